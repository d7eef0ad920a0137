// A host started from a fresh install folder with probe copies in several lists; the
// probes' shared call log shows the order of every plug-in call across the lists.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "ProbeLog.h"

class PluginHostTest : public ::testing::Test
{
protected:
    PluginHostTest() : m_strLog(m_Folder.Child(L"calls.log")) {}
    void TearDown() override;

    void AddProbe(const std::wstring& _strCategory, const std::wstring& _strName, const tvr::ProbeSettings& _settings = {});
    // One probe per list, named PluginDebugP, PluginSearchP, ... (ID 1 to 6 in list order).
    void AddProbePerList(const tvr::ProbeSettings& _settings = {});
    // The sort rule in the configuration file beside the program.
    void WriteSortRule(const std::string& _strRule);
    // Starts the host and waits until every list's after-load has reached the probes.
    void StartHost(const std::string& _strLastAfterLoad);
    std::vector<std::string> Sequence(const std::vector<std::string>& _vecCalls) const;
    // BusProcess calls of the type, as "<module>".
    std::vector<tvr::ProbeCall> BusCalls(UINT _uType) const;
    bool WaitForBus(const std::string& _strModule, UINT _uType, DWORD _dwTimeoutMs = 5000) const;
    LRESULT SendBus(UINT _uType) const;
    void PostRecord(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields = {}) const;

    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    std::wstring m_strExe = m_Folder.ExePath();   // the program StartHost starts
    std::wstring m_strLog;
    HWND m_hWnd = nullptr;
};

// Categories in the order of the lists' load; and the display names of their probes.
extern const wchar_t* const LOAD_ORDER[6];
std::string ProbeNameOf(const wchar_t* _pszCategory);
