// The checks that load the plug-in and call it, in the host's order: load and the load-time
// answers, the ID against other plug-ins, after-load, the bus calls, resources over many
// calls, the settings page, before-close, and what the plug-in sent meanwhile. They run on
// one thread, which also owns the checker's host window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "CallWatch.h"
#include "CheckReport.h"
#include "bus/PluginModule.h"

struct SCheckOptions
{
    std::wstring strPlugin;
    std::vector<std::wstring> vecWith;
    DWORD dwBoundMs = 1000;
};

class CCheckerHost;

class CPluginChecks
{
public:
    CPluginChecks(const SCheckOptions& _options, CCheckReport& _report, CCallWatch& _watch);
    // The names of the checks Run reports, in order.
    static std::vector<std::string> Names();
    void Run();

private:
    bool Load();
    void CheckPluginId();
    void CheckLifecycleCall(const char* _pszCheck, const char* _pszExport, void (CPluginModule::*_pfnCall)() const);
    void CheckBusRecords(const char* _pszCheck, const std::vector<struct STestRecord>& _vecRecords);
    void CheckResources();
    void CheckSettingsPage();
    bool ShowAndClosePage(HWND _hWndParent, WPARAM _wCommand, std::string* _pstrProblem);
    void CheckSends();
    // Calls the plug-in under the watch; false (and the check failed with the fault) on a fault.
    template <typename TCall>
    bool Call(const char* _pszCheck, const std::string& _strWhat, TCall&& _fnCall);

    const SCheckOptions& m_Options;
    CCheckReport& m_Report;
    CCallWatch& m_Watch;
    CPluginModule m_Plugin;
    CCheckerHost* m_pHost = nullptr;
    bool m_bBusFaulted = false;
};
