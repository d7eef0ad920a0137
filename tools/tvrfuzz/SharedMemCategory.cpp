#include "SharedMemCategory.h"

#include <lmcons.h>
#include <strsafe.h>

#include "bus/Crc32.h"

namespace {

const DWORD BLOCK_BYTES = 16;
const DWORD MONITOR_ANSWER_MS = 7000;   // one monitor cycle of 3 s plus its 3 s wait

// The block's name for the host's folder and this user: the signed CRC-32 of the folder
// text (UTF-16LE, with the trailing backslash) and the upper-case user name.
std::wstring BlockName(const std::wstring& _strFolder)
{
    const CCrc32 crc;
    const int iChecksum = static_cast<int>(crc.Compute(_strFolder.c_str(), _strFolder.size() * sizeof(wchar_t)));
    wchar_t szUser[UNLEN + 1] = L"";
    DWORD cchUser = UNLEN + 1;
    if (!GetUserNameW(szUser, &cchUser))
        szUser[0] = L'\0';
    szUser[127] = L'\0';
    CharUpperW(szUser);
    wchar_t szName[512];
    StringCchPrintfW(szName, ARRAYSIZE(szName), L"Local\\SharedMemQelServer%d%s", iChecksum, szUser);
    return szName;
}

} // namespace

void RunSharedMemory(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    const std::wstring strName = BlockName(_Session.Host().Folder());
    HANDLE hMapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, strName.c_str());
    auto* plWords = hMapping ? static_cast<volatile LONG*>(MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, BLOCK_BYTES))
                             : nullptr;
    if (!plWords)
    {
        _Session.Report().Current().strNote += L"block " + strName + L" not found; ";
        if (hMapping)
            CloseHandle(hMapping);
        return;
    }
    _Session.Report().Note(L"shared memory block " + strName + L" opened");
    const LONG lRunning = plWords[2];
    const LONG lWindow = plWords[3];
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const UINT uWord = static_cast<UINT>(_Random.Below(4));
        const LONG lValue = _Random.Chance(30) ? static_cast<LONG>(_Random.Below(3)) : static_cast<LONG>(_Random.Next());
        plWords[uWord] = lValue;
        _Session.CountStep(uWord == 0 ? L"word 0 (request)" : uWord == 1 ? L"word 1 (plug-in id)"
                                                            : uWord == 2 ? L"word 2 (running)" : L"word 3 (window)",
                           static_cast<UINT_PTR>(static_cast<ULONG>(lValue)));
        if (i % CFuzzSession::BATCH == 0)
            Sleep(20);   // the monitor thread reads the block between writes
    }
    // A raised request flag is answered after one cycle; the host must still be sound then.
    plWords[0] = 1;
    plWords[1] = static_cast<LONG>(_Random.Next());
    Sleep(MONITOR_ANSWER_MS);
    _Session.CountStep(L"request answered", static_cast<UINT_PTR>(static_cast<ULONG>(plWords[0])));
    plWords[0] = 0;
    plWords[1] = 0;
    plWords[2] = lRunning;
    plWords[3] = lWindow;
    UnmapViewOfFile(const_cast<LONG*>(plWords));
    CloseHandle(hMapping);
}
