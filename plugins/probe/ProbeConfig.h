// The probe's answers, read once from "<own base name>.ini" beside the module.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct ProbeConfig
{
    std::wstring strModule;          // own file base name, the first column of every log line
    std::wstring strLog;             // log file (default: ProbeCalls.log beside the program)
    std::wstring strName;            // answer of DLL_GetPluginName
    int iID = 0;
    int iIsUnicode = 1;
    int iIsBeta = 0;
    int iIsSupported = 1;
    int iCanDisable = 0;
    int iDisableState = 0;
    int iReturnDefault = 1;          // result of DLL_PluginBusProcess unless Return<type> is set
    std::map<UINT, int> mapReturns;  // per bus type
    // An access violation inside the call named by FaultOn: "AfterLoad", "BeforeClose" or
    // "BusProcess:<type>", the last optionally followed by ":<text>" the record must hold.
    // Prefixed with "Thread:" ("Thread:AfterLoad"), the call starts a thread that faults.
    std::wstring strFaultOn;
    // The call named by HangOn (as FaultOn names it, or "Load" for the module's entry point
    // while it is loaded) sleeps HangMs milliseconds before it returns.
    std::wstring strHangOn;
    DWORD dwHangMs = 0;
    // A record posted (or sent) to the host's main window when the call named by PostOn
    // happens: "AfterLoad", "BeforeClose" or "BusProcess:<type>".
    std::wstring strPostOn;
    UINT uPostType = 0;
    bool bPostSync = false;
    std::vector<std::pair<std::wstring, std::wstring>> vecPostFields;   // PostFields=K=V|K=V
    UINT uPostMemBlock = 0;          // >0: a fresh block of that many bytes goes along as "MemBlock"
    // A block shaped as an independent plug-in may shape it (any key set): its size in
    // characters (0: the SDK's), the record cut after that many characters (0: whole), the
    // number in its Type line (-1: PostType), the rest of the block filled without a
    // terminator, a movable "MemBlock". Each BusProcess call then logs how many still live.
    bool bPostShaped = false;
    UINT uPostBlockChars = 0;
    UINT uPostCutAt = 0;
    int iPostTypeLine = -1;
    bool bPostFill = false;
    bool bPostMemBlockMovable = false;
};

// The configuration of this module (read at the first call).
ProbeConfig& GetProbeConfig();
