// Category folders beside the test program, filled with copies of the probe plug-in.
#pragma once
#include <windows.h>
#include <string>

#include "HostHarness.h"
#include "ProbeLog.h"

namespace tvrtest {

// Folder of the running test program, without a trailing backslash.
inline std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH];
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strPath = szPath;
    return strPath.substr(0, strPath.find_last_of(L'\\'));
}

// A category folder below the program folder, removed again on destruction.
class CCategoryFolder
{
public:
    explicit CCategoryFolder(const std::wstring& _strCategory)
        : m_strCategory(_strCategory), m_strPath(ProgramFolder() + L"\\" + _strCategory)
    {
        tvr::RemoveTree(m_strPath);
        CreateDirectoryW(m_strPath.c_str(), nullptr);
    }
    ~CCategoryFolder()
    {
        // The current directory may still be this folder (the lists enter it).
        SetCurrentDirectoryW(ProgramFolder().c_str());
        tvr::RemoveTree(m_strPath);
    }
    CCategoryFolder(const CCategoryFolder&) = delete;
    CCategoryFolder& operator=(const CCategoryFolder&) = delete;

    const std::wstring& Category() const { return m_strCategory; }
    const std::wstring& Path() const { return m_strPath; }
    std::wstring Child(const std::wstring& _strName) const { return m_strPath + L"\\" + _strName; }

    bool AddProbe(const std::wstring& _strAsName, const std::wstring& _strLog, const tvr::ProbeSettings& _settings) const
    {
        const std::wstring strTarget = Child(_strAsName);
        const std::wstring strSource = std::wstring(TVR_TEST_PLUGINS_DIR) + L"\\" + tvr::PROBE_BUILT_NAME;
        return CopyFileW(strSource.c_str(), strTarget.c_str(), FALSE) && tvr::WriteProbeConfig(strTarget, _strLog, _settings);
    }

private:
    std::wstring m_strCategory;
    std::wstring m_strPath;
};

inline tvr::ProbeSettings ProbeWithId(int _iID)
{
    tvr::ProbeSettings settings;
    settings.iID = _iID;
    return settings;
}

} // namespace tvrtest
