// The probe plug-in seen from a test: its configuration file and its call log.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "HostHarness.h"

namespace tvr {

// Built name of the probe in the test plug-in folder.
extern const wchar_t PROBE_BUILT_NAME[];

// Answers of one probe copy (written to "<copy base name>.ini" beside it).
struct ProbeSettings
{
    int iID = 0;
    std::wstring strName;            // empty: the copy's base name
    int iIsUnicode = 1;
    int iIsBeta = 0;
    int iIsSupported = 1;
    int iCanDisable = 0;
    int iDisableState = 0;
    int iReturnDefault = 1;
    std::map<UINT, int> mapReturns;  // result of DLL_PluginBusProcess per bus type
    // Access violation in "AfterLoad", "BeforeClose" or "BusProcess:<type>" (followed by
    // ":<text>": only for a record holding the text).
    std::wstring strFaultOn;         // "Thread:<call>": the call starts a thread that faults;
                                     // "Window:<call>": it posts to a window of its own that faults
    std::wstring strHangOn;          // the call (as for FaultOn, or "Load": its entry point) sleeps dwHangMs
    DWORD dwHangMs = 0;
    std::wstring strPostOn;          // "AfterLoad", "BeforeClose" or "BusProcess:<type>"
    UINT uPostType = 0;
    bool bPostSync = false;
    std::vector<std::pair<std::wstring, std::wstring>> vecPostFields;
    UINT uPostMemBlock = 0;          // >0: the posted record carries a fresh "MemBlock" of that size
    // A posted block shaped as an independent plug-in may shape it (see the probe's
    // configuration); the probe then logs "Posted" with "Live", how many of its blocks live.
    UINT uPostBlockChars = 0;
    UINT uPostCutAt = 0;
    int iPostTypeLine = -1;
    bool bPostFill = false;
    bool bPostMemBlockMovable = false;
};

// Writes the configuration of the probe copy at _strDllPath; all copies given the same
// log file write one shared sequence.
bool WriteProbeConfig(const std::wstring& _strDllPath, const std::wstring& _strLog, const ProbeSettings& _settings);
// Copies the probe into the category folder under the new name and writes its configuration.
bool InstallProbe(const CInstallFolder& _folder, const std::wstring& _strCategory, const std::wstring& _strAsName,
                  const std::wstring& _strLog, const ProbeSettings& _settings);
// Copies the probe to _strTarget (any folder) and writes its configuration.
bool CopyProbe(const std::wstring& _strTarget, const std::wstring& _strLog, const ProbeSettings& _settings);
// Default settings with the plug-in id _iID.
ProbeSettings ProbeWithId(int _iID);

// One recorded call: "<module>|<call>|<type>|key=value|...", escapes undone. A BusProcess
// call lists the record's fields in order, and "MemBlockSize" (GlobalSize of the record's
// "MemBlock") when the record names one.
struct ProbeCall
{
    std::string strModule;   // base name of the copy, as loaded (PluginProbeA)
    std::string strCall;     // BusProcess, AfterLoad, BeforeClose, GetPluginID, ...
    std::string strType;     // bus type for BusProcess, else empty
    std::vector<std::pair<std::string, std::string>> vecFields;
    // Value of the first field with the key; empty when none.
    std::string Field(const std::string& _strKey) const;
};

ProbeCall ParseProbeLine(const std::string& _strLine);
// Every complete line of the log, in order; empty when the file is missing.
std::vector<ProbeCall> ReadProbeLog(const std::wstring& _strLog);
// Polls the log until a call matches; true when one did in time.
bool WaitForProbeCall(const std::wstring& _strLog, const std::function<bool(const ProbeCall&)>& _match,
                      DWORD _dwTimeoutMs);
// "<module>.<call>" of the calls whose call name is one of _vecCalls, in log order.
std::vector<std::string> ProbeSequence(const std::vector<ProbeCall>& _vecLog, const std::vector<std::string>& _vecCalls);

} // namespace tvr
