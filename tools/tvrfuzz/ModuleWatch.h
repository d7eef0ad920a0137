// Which modules the host may have loaded: its program file, the language modules and the
// libraries of the six plug-in category folders below the program folder, and system
// libraries. A library the fuzzer named in a host command is never allowed from a system
// folder either. Each path outside is reported once.
#pragma once
#include <windows.h>
#include <set>
#include <string>
#include <vector>

#include "HostAddressMap.h"

class CModuleWatch
{
public:
    void SetProgramFolder(const std::wstring& _strFolder);
    // A file name the fuzzer asked the host to load (never a legitimate module of the host).
    void AddRequestedName(const std::wstring& _strFileName);
    // Paths of modules outside the allowed folders that were not reported before.
    std::vector<std::wstring> NewViolations(const std::vector<HostModule>& _vecModules);

private:
    bool IsAllowed(const std::wstring& _strUpperPath, bool _bMainModule) const;

    std::wstring m_strUpperFolder;
    std::vector<std::wstring> m_vecUpperAllowed;   // folders with the trailing backslash
    std::vector<std::wstring> m_vecUpperSystem;
    std::set<std::wstring> m_setRequested;
    std::set<std::wstring> m_setReported;
};
