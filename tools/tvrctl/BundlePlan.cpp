#include "BundlePlan.h"

#include <aclapi.h>
#include <sddl.h>

#include "TraceCommand.h"
#include "base/Handle.h"
#include "config/ConfigPath.h"

namespace {

bool IsCurrentUser(PSID _pSid)
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    const CKernelHandle token(hToken);
    BYTE abUser[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
    DWORD cbUser = 0;
    return GetTokenInformation(token.Get(), TokenUser, abUser, sizeof(abUser), &cbUser) &&
           EqualSid(_pSid, reinterpret_cast<TOKEN_USER*>(abUser)->User.Sid);
}

// The newest file of a pattern in any of the folders (own files only).
void AddNewest(SBundlePlan* _pPlan, const std::vector<std::wstring>& _vecFolders, const std::wstring& _strPattern,
               const wchar_t* _pszBundleFolder, const wchar_t* _pszWhat)
{
    SBundleFile newest;
    FILETIME ftNewest = {};
    for (const std::wstring& strFolder : _vecFolders)
    {
        WIN32_FIND_DATAW found = {};
        const CFindHandle hFind(FindFirstFileW((strFolder + _strPattern).c_str(), &found));
        for (BOOL bMore = static_cast<bool>(hFind); bMore; bMore = FindNextFileW(hFind.Get(), &found))
        {
            const std::wstring strPath = strFolder + found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                continue;
            if (!IsOwnFile(strPath))
            {
                ++_pPlan->iLeftOut;
                continue;
            }
            if (newest.strSource.empty() || CompareFileTime(&found.ftLastWriteTime, &ftNewest) > 0)
            {
                newest = {strPath, std::wstring(_pszBundleFolder) + L"\\" + found.cFileName, _pszWhat};
                ftNewest = found.ftLastWriteTime;
            }
        }
    }
    if (newest.strSource.empty())
        _pPlan->vecMissing.push_back(_pszWhat);
    else
        _pPlan->vecFiles.push_back(newest);
}

void AddFile(SBundlePlan* _pPlan, const std::wstring& _strPath, const std::wstring& _strName, const wchar_t* _pszWhat)
{
    const DWORD dwAttributes = GetFileAttributesW(_strPath.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        _pPlan->vecMissing.push_back(_pszWhat);
    else if (!IsOwnFile(_strPath))
        ++_pPlan->iLeftOut;
    else
        _pPlan->vecFiles.push_back({_strPath, _strName, _pszWhat});
}

// Every file of a pattern in the folder (own files only).
void AddAllOf(SBundlePlan* _pPlan, const std::wstring& _strFolder, const wchar_t* _pszPattern, const wchar_t* _pszBundleFolder,
              const wchar_t* _pszWhat)
{
    const size_t nBefore = _pPlan->vecFiles.size();
    WIN32_FIND_DATAW found = {};
    const CFindHandle hFind(FindFirstFileW((_strFolder + L"\\" + _pszPattern).c_str(), &found));
    for (BOOL bMore = static_cast<bool>(hFind); bMore; bMore = FindNextFileW(hFind.Get(), &found))
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            AddFile(_pPlan, _strFolder + L"\\" + found.cFileName, std::wstring(_pszBundleFolder) + L"\\" + found.cFileName, _pszWhat);
    if (_pPlan->vecFiles.size() == nBefore)
        _pPlan->vecMissing.push_back(_pszWhat);
}

std::wstring FileName(const std::wstring& _strPath)
{
    const size_t nSlash = _strPath.find_last_of(L'\\');
    return nSlash == std::wstring::npos ? _strPath : _strPath.substr(nSlash + 1);
}

void AddTraceFile(SBundlePlan* _pPlan, const std::wstring& _strLog, const SYSTEMTIME& _stDay, const wchar_t* _pszWhat)
{
    const std::wstring strPath = TraceFileOfDay(_strLog, _stDay);
    AddFile(_pPlan, strPath, L"log\\" + FileName(strPath), _pszWhat);
}

SYSTEMTIME DayBefore(const SYSTEMTIME& _stDay)
{
    FILETIME ft = {};
    SystemTimeToFileTime(&_stDay, &ft);
    ULARGE_INTEGER ul = {};
    ul.LowPart = ft.dwLowDateTime;
    ul.HighPart = ft.dwHighDateTime;
    ul.QuadPart -= 864000000000ULL;
    ft.dwLowDateTime = ul.LowPart;
    ft.dwHighDateTime = ul.HighPart;
    SYSTEMTIME stBefore = {};
    FileTimeToSystemTime(&ft, &stBefore);
    return stBefore;
}

} // namespace

bool IsOwnFile(const std::wstring& _strPath)
{
    PSID pOwner = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (GetNamedSecurityInfoW(_strPath.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &pOwner, nullptr, nullptr, nullptr,
                              &pDescriptor) != ERROR_SUCCESS)
        return false;
    const bool bOwn = pOwner != nullptr && (IsCurrentUser(pOwner) || IsWellKnownSid(pOwner, WinLocalSystemSid) ||
                                            IsWellKnownSid(pOwner, WinBuiltinAdministratorsSid));
    LocalFree(pDescriptor);
    return bOwn;
}

SBundlePlan PlanBundle(const SHostContext& _host, const SYSTEMTIME& _stNowUtc)
{
    SBundlePlan plan;
    if (_host.strProgram.empty())
        return plan;
    const std::wstring strLog = _host.DataFolder(L"LOG");
    const std::wstring strConfig = _host.DataFolder(L"CFG");
    AddFile(&plan, strLog + L"\\StatusReport.ini", L"log\\StatusReport.ini", L"status report");
    AddFile(&plan, strLog + L"\\ErrorLog.txt", L"log\\ErrorLog.txt", L"error log");
    AddFile(&plan, strLog + L"\\ErrorLog.old.txt", L"log\\ErrorLog.old.txt", L"previous error log");
    // Dumps lie beside the program, or in the log folder where the program's folder refused them.
    const std::wstring strDumpBase = FileName(_host.strProgram).substr(0, FileName(_host.strProgram).size() - 3);
    const std::vector<std::wstring> vecDumpFolders = {_host.ProgramFolder(), strLog + L"\\"};
    AddNewest(&plan, vecDumpFolders, strDumpBase + L"_CRASHDUMP_*.DMP", L"dumps", L"newest crash dump");
    AddNewest(&plan, vecDumpFolders, strDumpBase + L"_HANGDUMP_*.DMP", L"dumps", L"newest hang dump");
    AddTraceFile(&plan, strLog, _stNowUtc, L"today's trace file");
    AddTraceFile(&plan, strLog, DayBefore(_stNowUtc), L"yesterday's trace file");
    AddAllOf(&plan, strConfig, L"*.ini", L"config", L"configuration files");
    wchar_t szProgramIni[MAX_PATH * 2] = L"";
    CopyIniPathOf(_host.strProgram.c_str(), szProgramIni, ARRAYSIZE(szProgramIni));
    AddFile(&plan, szProgramIni, L"program\\" + FileName(szProgramIni), L"configuration beside the program");
    return plan;
}
