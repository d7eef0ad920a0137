#include "CollectCommand.h"

#include "BundlePlan.h"
#include "CabinetWriter.h"
#include "CtlExit.h"
#include "CtlOutput.h"
#include "ModulesCommand.h"
#include "StatusCommand.h"
#include "VersionReport.h"
#include "base/Handle.h"

namespace {

ULONGLONG FileSize(const std::wstring& _strPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(_strPath.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FullPath(const std::wstring& _strPath)
{
    wchar_t szFull[MAX_PATH * 2] = L"";
    const DWORD cch = GetFullPathNameW(_strPath.c_str(), ARRAYSIZE(szFull), szFull, nullptr);
    return cch > 0 && cch < ARRAYSIZE(szFull) ? szFull : _strPath;
}

std::wstring DefaultBundleName(const SYSTEMTIME& _stNow)
{
    return Format(L"Telvarin-support-%04u%02u%02u-%02u%02u%02u.cab", _stNow.wYear, _stNow.wMonth, _stNow.wDay, _stNow.wHour,
                  _stNow.wMinute, _stNow.wSecond);
}

// The texts tvrctl writes itself go to a folder of their own in the temporary folder,
// which is removed again when the bundle is done.
class CGeneratedFiles
{
public:
    CGeneratedFiles()
    {
        wchar_t szTemp[MAX_PATH] = L"";
        GetTempPathW(ARRAYSIZE(szTemp), szTemp);
        m_strFolder = Format(L"%stvrctl-%lu-%lu", szTemp, GetCurrentProcessId(), GetTickCount());
        CreateDirectoryW(m_strFolder.c_str(), nullptr);
    }
    ~CGeneratedFiles()
    {
        for (const std::wstring& strFile : m_vecFiles)
            DeleteFileW(strFile.c_str());
        RemoveDirectoryW(m_strFolder.c_str());
    }
    CGeneratedFiles(const CGeneratedFiles&) = delete;
    CGeneratedFiles& operator=(const CGeneratedFiles&) = delete;

    // Writes the text as UTF-8 with a byte-order mark and adds it to the plan.
    void Add(SBundlePlan* _pPlan, const wchar_t* _pszName, const wchar_t* _pszWhat, const std::wstring& _strText)
    {
        const std::wstring strPath = m_strFolder + L"\\" + _pszName;
        const std::string strBytes = "\xEF\xBB\xBF" + ToUtf8(_strText);
        const CFileHandle hFile(CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD dwWritten = 0;
        if (!hFile || !WriteFile(hFile.Get(), strBytes.data(), static_cast<DWORD>(strBytes.size()), &dwWritten, nullptr))
        {
            _pPlan->vecMissing.push_back(_pszWhat);
            return;
        }
        m_vecFiles.push_back(strPath);
        _pPlan->vecFiles.push_back({strPath, _pszName, _pszWhat});
    }

private:
    std::wstring m_strFolder;
    std::vector<std::wstring> m_vecFiles;
};

std::wstring JoinList(const std::vector<std::wstring>& _vecItems)
{
    std::wstring strText;
    for (const std::wstring& strItem : _vecItems)
        strText += (strText.empty() ? L"" : L", ") + strItem;
    return strText;
}

bool WriteBundle(const std::wstring& _strTarget, const SBundlePlan& _plan, std::wstring* _pstrProblem)
{
    CCabinetWriter cabinet;
    bool bWritten = cabinet.Create(_strTarget);
    for (size_t i = 0; bWritten && i < _plan.vecFiles.size(); ++i)
        bWritten = cabinet.Add(_plan.vecFiles[i].strSource, _plan.vecFiles[i].strName);
    bWritten = bWritten && cabinet.Finish();
    if (!bWritten)
    {
        *_pstrProblem = cabinet.LastError();
        DeleteFileW(_strTarget.c_str());
    }
    return bWritten;
}

std::wstring Summary(const std::wstring& _strTarget, const SBundlePlan& _plan)
{
    ULONGLONG ullTotal = 0;
    std::wstring strLines;
    for (const SBundleFile& file : _plan.vecFiles)
    {
        const ULONGLONG ullSize = FileSize(file.strSource);
        ullTotal += ullSize;
        strLines += Format(L"  %-40s %14s bytes  %s\n", file.strName.c_str(), GroupDigits(ullSize).c_str(), file.strWhat.c_str());
    }
    std::wstring strText = Format(L"Support bundle %s\n%u files, %s bytes, packed into %s bytes:\n", _strTarget.c_str(),
                                  static_cast<unsigned>(_plan.vecFiles.size()), GroupDigits(ullTotal).c_str(),
                                  GroupDigits(FileSize(_strTarget)).c_str());
    strText += strLines;
    if (!_plan.vecMissing.empty())
        strText += L"Not found (so not in the bundle): " + JoinList(_plan.vecMissing) + L".\n";
    if (_plan.iLeftOut > 0)
        strText += Format(L"Left out: %d file(s) of other accounts.\n", _plan.iLeftOut);
    return strText;
}

} // namespace

int RunCollect(const CtlArgs& _vecArgs)
{
    if (_vecArgs.size() > 1 || (_vecArgs.size() == 1 && (_vecArgs[0].empty() || _vecArgs[0][0] == L'-')))
        return UsageOf(L"collect");
    SYSTEMTIME stNow;
    SYSTEMTIME stNowUtc;
    GetLocalTime(&stNow);
    GetSystemTime(&stNowUtc);
    const std::wstring strTarget = FullPath(_vecArgs.empty() ? DefaultBundleName(stNow) : _vecArgs[0]);
    const SHostContext host = LocateHost();
    if (host.strProgram.empty())
    {
        WriteError(L"Telvarin is not running and Telvarin.exe is not beside tvrctl: there is nothing to collect.");
        return CTL_EXIT_FAILED;
    }
    SBundlePlan plan = PlanBundle(host, stNowUtc);
    CGeneratedFiles generated;
    int iStatusExit = 0;
    generated.Add(&plan, L"Status.txt", L"status", DescribeStatus(host, &iStatusExit));
    generated.Add(&plan, L"Modules.txt", L"module list", DescribeModules(host));
    generated.Add(&plan, L"Versions.txt", L"program and system versions", DescribeVersions(host));
    std::wstring strProblem;
    if (!WriteBundle(strTarget, plan, &strProblem))
    {
        WriteError(L"the support bundle " + strTarget + L" could not be written: " + strProblem);
        return CTL_EXIT_FAILED;
    }
    WriteOut(Summary(strTarget, plan));
    return CTL_EXIT_OK;
}
