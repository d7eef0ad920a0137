// tvrfuzz: hostile-input soak of a running Telvarin host. Drives the host from this process
// with reproducible random messages by category and prints, per category, the messages
// sent, crashes, hangs, unwanted effects and the host's private memory before and after.
#include <windows.h>
#include <cstdio>

#include "BurstCategory.h"
#include "CommandFloodCategory.h"
#include "FuzzHost.h"
#include "FuzzOptions.h"
#include "FuzzRandom.h"
#include "FuzzReport.h"
#include "FuzzSession.h"
#include "HostCommandCategory.h"
#include "MessageCategories.h"
#include "RecordCategories.h"
#include "SharedMemCategory.h"
#include "WindowCategory.h"

namespace {

const DWORD DRAIN_MS = 60000;
const DWORD BURST_DRAIN_MS = 600000;

typedef void (*PFN_Category)(CFuzzSession&, CFuzzRandom&, unsigned);

PFN_Category CategoryFunction(const std::wstring& _strName)
{
    if (_strName == L"random") return RunRandomMessages;
    if (_strName == L"hostmsg") return RunHostMessages;
    if (_strName == L"records") return RunMalformedRecords;
    if (_strName == L"bustypes") return RunBusTypes;
    if (_strName == L"hostcmd") return RunHostCommands;
    if (_strName == L"sharedmem") return RunSharedMemory;
    if (_strName == L"burst") return RunBurst;
    if (_strName == L"cmdflood") return RunCommandFlood;
    if (_strName == L"lifecycle") return RunLifecycleMessages;
    if (_strName == L"windows") return RunHostWindows;
    return RunCodeAndHeapAddresses;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CFuzzOptions options;
    if (!options.Parse(argc, argv))
    {
        CFuzzOptions::PrintUsage();
        return 2;
    }
    CFuzzHost host;
    if (!host.Attach(options.m_dwPid))
    {
        std::fputs("tvrfuzz: no running host found\n", stderr);
        return 2;
    }
    std::wprintf(L"tvrfuzz: seed %llu, %u messages per category\n", static_cast<unsigned long long>(options.m_ullSeed),
                 options.m_uCount);
    CFuzzReport report;
    CFuzzSession session(host, report, options);
    session.Prepare();
    for (const std::wstring& strCategory : options.m_vecCategories)
    {
        if (!session.CanGoOn())
            break;
        // Each category has its own sequence, so that one category's messages do not depend on the others.
        CFuzzRandom random(options.m_ullSeed * 1000003ull + std::hash<std::wstring>()(strCategory));
        session.BeginCategory(strCategory);
        CategoryFunction(strCategory)(session, random, options.m_uCount);
        session.EndCategory(strCategory == L"burst" ? BURST_DRAIN_MS : DRAIN_MS);
    }
    report.PrintTable();
    const bool bTimeUp = session.TimeLimitHit();
    if (bTimeUp)
        report.Note(L"the time limit ended the run before every message was sent");
    host.CloseStarted();
    if (!report.Clean())
        return 1;
    return bTimeUp ? 3 : 0;
}
