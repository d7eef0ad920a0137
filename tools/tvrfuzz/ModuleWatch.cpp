#include "ModuleWatch.h"

namespace {

const wchar_t* const CATEGORY_FOLDERS[] = {L"PLUGINDEBUG\\", L"PLUGINSEARCH\\", L"PLUGINSAVE\\",
                                           L"PLUGININFO\\",  L"PLUGINEXTRA\\",  L"PLUGINTELEPHONY\\"};

bool StartsWith(const std::wstring& _strText, const std::wstring& _strPrefix)
{
    return _strText.compare(0, _strPrefix.size(), _strPrefix) == 0;
}

std::wstring FolderWithSlash(UINT (WINAPI* _pfnFolder)(LPWSTR, UINT))
{
    wchar_t szFolder[MAX_PATH] = L"";
    const UINT uLength = _pfnFolder(szFolder, MAX_PATH);
    if (uLength == 0 || uLength >= MAX_PATH)
        return std::wstring();
    return UpperText(szFolder) + L"\\";
}

} // namespace

void CModuleWatch::SetProgramFolder(const std::wstring& _strFolder)
{
    m_strUpperFolder = UpperText(_strFolder);
    m_vecUpperAllowed.clear();
    for (const wchar_t* pszCategory : CATEGORY_FOLDERS)
        m_vecUpperAllowed.push_back(m_strUpperFolder + pszCategory);
    m_vecUpperAllowed.push_back(m_strUpperFolder + L"RESOURCE\\");
    m_vecUpperSystem.clear();
    // The Windows folder holds the system folders and the side-by-side assemblies.
    const std::wstring strWindows = FolderWithSlash(GetWindowsDirectoryW);
    if (!strWindows.empty())
        m_vecUpperSystem.push_back(strWindows);
}

void CModuleWatch::AddRequestedName(const std::wstring& _strFileName)
{
    if (!_strFileName.empty())
        m_setRequested.insert(UpperText(_strFileName));
}

bool CModuleWatch::IsAllowed(const std::wstring& _strUpperPath, bool _bMainModule) const
{
    if (_bMainModule)
        return true;
    for (const std::wstring& strFolder : m_vecUpperAllowed)
    {
        // Directly in the category folder, or a language module below Resource.
        if (StartsWith(_strUpperPath, strFolder) &&
            (_strUpperPath.find(L'\\', strFolder.size()) == std::wstring::npos || strFolder.find(L"RESOURCE\\") != std::wstring::npos))
            return true;
    }
    if (m_setRequested.count(FileNameOf(_strUpperPath)))
        return false;
    for (const std::wstring& strFolder : m_vecUpperSystem)
    {
        if (StartsWith(_strUpperPath, strFolder))
            return true;
    }
    return false;
}

std::vector<std::wstring> CModuleWatch::NewViolations(const std::vector<HostModule>& _vecModules)
{
    std::vector<std::wstring> vecNew;
    for (size_t i = 0; i < _vecModules.size(); ++i)
    {
        const std::wstring strUpper = UpperText(_vecModules[i].strPath);
        if (IsAllowed(strUpper, i == 0) || m_setReported.count(strUpper))
            continue;
        m_setReported.insert(strUpper);
        vecNew.push_back(_vecModules[i].strPath);
    }
    return vecNew;
}
