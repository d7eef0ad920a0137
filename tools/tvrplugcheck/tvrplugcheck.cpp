// tvrplugcheck: checks that a plug-in DLL keeps the host's plug-in contract before it ships.
//   tvrplugcheck PLUGIN.DLL [--category NAME] [--json] [--timeout MS] [--with OTHER.DLL...]
// It reads the file's exports, loads the module as the host does with a main window of its
// own that takes what the plug-in posts or sends, calls every export, and prints one line
// per check (name, result, reason) and a summary line. Exit code 0 only when every required
// check passed; 2 for bad usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "CallWatch.h"
#include "CheckReport.h"
#include "ExportCheck.h"
#include "PeImage.h"
#include "PluginChecks.h"
#include "config/VersionTool.h"

namespace {

const wchar_t* const CATEGORIES[] = {L"Debug", L"Search", L"Save", L"Info", L"Extra", L"Telephony"};

struct SArguments
{
    SCheckOptions options;
    std::wstring strCategory;
    bool bJson = false;
};

bool IsCategory(const std::wstring& _strName)
{
    for (const wchar_t* pszCategory : CATEGORIES)
        if (_wcsicmp(_strName.c_str(), pszCategory) == 0 || _wcsicmp(_strName.c_str(), (std::wstring(L"Plugin") + pszCategory).c_str()) == 0)
            return true;
    return false;
}

bool ParseArguments(int _iArgc, wchar_t** _ppszArgv, SArguments* _pArgs)
{
    bool bWith = false;
    for (int i = 1; i < _iArgc; ++i)
    {
        const std::wstring strArg = _ppszArgv[i];
        if (strArg == L"--json")
            _pArgs->bJson = true;
        else if (strArg == L"--with")
            bWith = true;
        else if (strArg == L"--category" && i + 1 < _iArgc && IsCategory(_ppszArgv[i + 1]))
            _pArgs->strCategory = _ppszArgv[++i];
        else if (strArg == L"--timeout" && i + 1 < _iArgc && wcstoul(_ppszArgv[i + 1], nullptr, 10) > 0)
            _pArgs->options.dwBoundMs = wcstoul(_ppszArgv[++i], nullptr, 10);
        else if (strArg.compare(0, 2, L"--") == 0)
            return false;
        else if (_pArgs->options.strPlugin.empty() && !bWith)
            _pArgs->options.strPlugin = strArg;
        else
            _pArgs->options.vecWith.push_back(strArg);
    }
    return !_pArgs->options.strPlugin.empty() && (!bWith || !_pArgs->options.vecWith.empty());
}

std::wstring FullPath(const std::wstring& _strPath)
{
    wchar_t szFull[MAX_PATH * 2];
    const DWORD cch = GetFullPathNameW(_strPath.c_str(), MAX_PATH * 2, szFull, nullptr);
    return cch > 0 && cch < MAX_PATH * 2 ? szFull : _strPath;
}

std::string FileName(const std::wstring& _strPath)
{
    const size_t cchSlash = _strPath.find_last_of(L"\\/");
    const std::wstring strName = cchSlash == std::wstring::npos ? _strPath : _strPath.substr(cchSlash + 1);
    return std::string(strName.begin(), strName.end());
}

// "file": the name the host loads, and an image the checker's architecture can load.
bool CheckFile(const CPeImage& _image, const SArguments& _args, CCheckReport& _report)
{
    const std::string strName = FileName(_args.options.strPlugin);
    const std::string strFolder = _args.strCategory.empty()
                                      ? std::string("any category folder")
                                      : "Plugin" + FileName(_args.strCategory.compare(0, 6, L"Plugin") == 0
                                                                ? _args.strCategory.substr(6)
                                                                : _args.strCategory);
    const bool bName = _strnicmp(strName.c_str(), "Plugin", 6) == 0 && strName.size() > 4 &&
                       _stricmp(strName.c_str() + strName.size() - 4, ".dll") == 0;
#if defined(_M_IX86) || defined(__i386__)
    const WORD wOwnMachine = IMAGE_FILE_MACHINE_I386;
#else
    const WORD wOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#endif
    if (!bName)
        _report.Fail("file", "the host loads only files named Plugin*.DLL");
    else if (_image.Machine() != wOwnMachine)
        _report.Fail("file", Format("a %s image: this checker is %s-bit and loads only %s-bit plug-ins",
                                    _image.Is32Bit() ? "32-bit" : "64-bit", wOwnMachine == IMAGE_FILE_MACHINE_I386 ? "32" : "64",
                                    wOwnMachine == IMAGE_FILE_MACHINE_I386 ? "32" : "64"));
    else
        _report.Pass("file", Format("%s, for %s", _image.Is32Bit() ? "32-bit" : "64-bit", strFolder.c_str()));
    return bName && _image.Machine() == wOwnMachine;
}

void CheckVersionResource(const std::wstring& _strPath, CCheckReport& _report)
{
    const CVersionTool version(_strPath.c_str());
    if (version.GetFileVersion()[0] == L'\0' || version.GetProductVersion()[0] == L'\0')
        _report.Add("version", ECheckResult::Warn, "no version resource with file and product version: the module "
                                                   "report and the settings window show empty versions");
    else
        _report.Pass("version", Format("file version %ls, product version %ls", version.GetFileVersion(),
                                       version.GetProductVersion()));
}

DWORD WINAPI RunChecks(void* _pContext)
{
    static_cast<CPluginChecks*>(_pContext)->Run();
    return 0;
}

// The checks of the loaded module on a thread of their own, watched from this one. A call
// that does not return ends the checker: the report so far, the call's check failed, the
// checks after it not run.
int RunLoadedChecks(const SArguments& _args, CCheckReport& _report)
{
    CCallWatch watch(_args.options.dwBoundMs);
    CPluginChecks checks(_args.options, _report, watch);
    const HANDLE hThread = CreateThread(nullptr, 0, RunChecks, &checks, 0, nullptr);
    std::string strHungCheck;
    if (hThread == nullptr || watch.Watch(hThread, &strHungCheck))
        return _report.Finish(_args.bJson, {});
    _report.Fail(strHungCheck, Format("a call did not return within %lu ms", watch.Bound()));
    std::vector<std::string> vecNotRun;
    for (const std::string& strName : CPluginChecks::Names())
        if (!_report.Has(strName))
            vecNotRun.push_back(strName);
    const int iExit = _report.Finish(_args.bJson, vecNotRun);
    // The checking thread still runs inside the plug-in: end without running its detach code.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(iExit));
    return iExit;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SArguments args;
    if (!ParseArguments(argc, argv, &args))
    {
        fputs("usage: tvrplugcheck PLUGIN.DLL [--category NAME] [--json] [--timeout MS] [--with OTHER.DLL...]\n", stderr);
        return 2;
    }
    args.options.strPlugin = FullPath(args.options.strPlugin);
    for (std::wstring& strOther : args.options.vecWith)
        strOther = FullPath(strOther);
    CCheckReport report(FileName(args.options.strPlugin));
    CPeImage image;
    std::string strReason;
    if (!image.Read(args.options.strPlugin.c_str(), &strReason))
    {
        report.Fail("file", strReason);
        return report.Finish(args.bJson, {});
    }
    const bool bLoadable = CheckFile(image, args, report);
    CheckExports(image, report);
    CheckConvention(image, report);
    CheckVersionResource(args.options.strPlugin, report);
    if (!bLoadable)
        return report.Finish(args.bJson, {});
    return RunLoadedChecks(args, report);
}
