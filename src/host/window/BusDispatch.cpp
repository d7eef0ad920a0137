// The bus type table of the main window.
#include "host/window/BusDispatch.h"

#include "TelvarinPlugin.h"
#include "base/SentMessage.h"
#include "bus/BusRecord.h"
#include "bus/PluginBase.h"
#include "config/ResourceAccess.h"
#include "diag/Trace.h"
#include "host/report/StartupReport.h"
#include "host/window/HostRequests.h"
#include "host/window/MainWindow.h"
#include "host/window/MainWindowState.h"
#include "host/window/TrayActions.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

#include <utility>

// The bus type table of the main window.
namespace {

const UINT MENU_ITEM_EXIT = 11007;
const UINT SETICON_TIMEOUT_MS = 2000;

UINT ReadId(const wchar_t* _pszRecord, const wchar_t* _pszKey)
{
    return static_cast<UINT>(GetBusNumber(_pszRecord, _pszKey));
}

BOOL ReadFlag(const wchar_t* _pszRecord, const wchar_t* _pszKey)
{
    return GetBusNumber(_pszRecord, _pszKey) != 0;
}

void OnMenuAdd(const wchar_t* _pszRecord)
{
    wchar_t szId[32];
    wchar_t szSeparator[32];
    wchar_t szText[128];
    CopyBusValue(_pszRecord, L"ID", szId, ARRAYSIZE(szId));
    CopyBusValue(_pszRecord, L"Seperator", szSeparator, ARRAYSIZE(szSeparator));
    CopyBusValue(_pszRecord, L"Text", szText, ARRAYSIZE(szText));
    g_InfoIcon.InsertItem(MENU_ITEM_EXIT, static_cast<UINT>(wcstol(szId, nullptr, 10)), szText,
                          wcstol(szSeparator, nullptr, 10) != 0);
}

void OnMenuItem(const wchar_t* _pszRecord)
{
    wchar_t szText[256];
    CopyBusValue(_pszRecord, L"Text", szText, ARRAYSIZE(szText));
    g_InfoIcon.ShowItem(ReadId(_pszRecord, L"ID"), ReadFlag(_pszRecord, L"Visible"), ReadFlag(_pszRecord, L"Separator"),
                        szText);
}

void OnMenuText(const wchar_t* _pszRecord)
{
    wchar_t szText[256];
    CopyBusValue(_pszRecord, L"Text", szText, ARRAYSIZE(szText));
    g_InfoIcon.SetItemText(ReadId(_pszRecord, L"ID"), szText);
}

void OnMenuSeparator(const wchar_t* _pszRecord)
{
    wchar_t szId[32];
    wchar_t szSeparator[32];
    CopyBusValue(_pszRecord, L"ID", szId, ARRAYSIZE(szId));
    CopyBusValue(_pszRecord, L"Seperator", szSeparator, ARRAYSIZE(szSeparator));
    g_InfoIcon.RemoveItem(static_cast<UINT>(wcstol(szId, nullptr, 10)), wcstol(szSeparator, nullptr, 10) != 0);
}

void OnMenuCheck(const wchar_t* _pszRecord)
{
    wchar_t szId[32];
    wchar_t szEnable[32];
    CopyBusValue(_pszRecord, L"ID", szId, ARRAYSIZE(szId));
    CopyBusValue(_pszRecord, L"Enable", szEnable, ARRAYSIZE(szEnable));
    g_InfoIcon.CheckItem(static_cast<UINT>(wcstol(szId, nullptr, 10)), wcstol(szEnable, nullptr, 10) != 0);
}

void OnHostCommand(const wchar_t* _pszRecord)
{
    wchar_t szCommand[128];
    wchar_t szArgument[256];
    CopyBusValue(_pszRecord, L"CMD", szCommand, ARRAYSIZE(szCommand));
    CopyBusValue(_pszRecord, L"Arg", szArgument, ARRAYSIZE(szArgument));
    RunHostCommand(szCommand, szArgument);
}

// The module is a handle: read at pointer width, so a 64-bit build finds modules above 4 GB.
void OnShowConfig(const wchar_t* _pszRecord)
{
    const UINT_PTR uModule = static_cast<UINT_PTR>(GetBusHandle(_pszRecord, L"Module"));
    AnswerWaitingSender(0);
    g_QelConfig.ShowConfig(uModule);
}

void OnExit()
{
    g_QelConfig.CloseConfig();
    g_InfoIcon.CloseInfoDialog();
    g_InfoIcon.Show(FALSE);
    RequestHostEnd();
}

// The window handle comes from a record anybody can send: only an existing window gets
// the icon, and a hung one cannot block the host.
void OnSetIcon(const wchar_t* _pszRecord)
{
    HWND hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(GetBusNumber(_pszRecord, L"Window")));
    if (!hWnd || !IsWindow(hWnd))
        return;
    SendMessageTimeoutW(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_InfoIcon.GetIcon()),
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, SETICON_TIMEOUT_MS, nullptr);
}

void OnLastError(const wchar_t* _pszRecord)
{
    MainWindowState().TakeLastError(_pszRecord);
    g_pServiceWindow->LogLastError(MainWindowState().GetLastErrorText());
}

void OnVersionInfo(const wchar_t* _pszRecord)
{
    wchar_t szHighest[64];
    wchar_t szActual[64];
    CopyBusValue(_pszRecord, L"HighestVersion", szHighest, ARRAYSIZE(szHighest));
    CopyBusValue(_pszRecord, L"ActualVersion", szActual, ARRAYSIZE(szActual));
    WriteTrace(1, L"Event.QEL_BUSMSG_VERSIONINFO.Begin");
    WriteTrace(1, L"Event.QEL_BUSMSG_VERSIONINFO.Var.szHighestVersion: %s", szHighest);
    WriteTrace(1, L"Event.QEL_BUSMSG_VERSIONINFO.Var.szActualVersion: %s", szActual);
    WriteTrace(1, L"Event.QEL_BUSMSG_VERSIONINFO.End");
}

// Types the host consumes: true when the type is one of them (its action has run; the block
// is freed when its owner goes). They all answer 0; those that open or close the settings
// window answer a sender on another thread first (what they read is read before), since
// closing it can ask the person about a pending change.
bool ConsumeBusMessage(UINT _uType, const CBusBlock& _block)
{
    const wchar_t* pszRecord = _block.Record();
    const bool bTray = !IsServiceMode();
    switch (_uType)
    {
    case QEL_BUSMSG_MENUENABLE:
        if (bTray)
            g_InfoIcon.EnableItem(ReadId(pszRecord, L"ID"), ReadFlag(pszRecord, L"Enable"));
        return true;
    case QEL_BUSMSG_HOSTCOMMAND: OnHostCommand(pszRecord); return true;
    case QEL_BUSMSG_SHOWCONFIG: OnShowConfig(pszRecord); return true;
    case QEL_BUSMSG_EXIT:
        AnswerWaitingSender(0);
        OnExit();
        return true;
    case QEL_BUSMSG_MENUADD:
        if (bTray)
            OnMenuAdd(pszRecord);
        return true;
    case QEL_BUSMSG_SETICON: OnSetIcon(pszRecord); return true;
    case QEL_BUSMSG_CLOSECONFIG:
        AnswerWaitingSender(0);
        g_QelConfig.CloseConfig();
        return true;
    case QEL_BUSMSG_MENUITEM:
        if (bTray)
            OnMenuItem(pszRecord);
        return true;
    case QEL_BUSMSG_MENUTEXT:
        if (bTray)
            OnMenuText(pszRecord);
        return true;
    case QEL_BUSMSG_LASTERROR: OnLastError(pszRecord); return true;
    case QEL_BUSMSG_MENUSEPARATOR: OnMenuSeparator(pszRecord); return true;
    case QEL_BUSMSG_MENUCHECK: OnMenuCheck(pszRecord); return true;
    case QEL_BUSMSG_VERSIONINFO: OnVersionInfo(pszRecord); return true;
    default: return false;
    }
}

// Action before the distribution of a forwarded type.
void ActBeforeDistribution(UINT _uType, const wchar_t* _pszRecord)
{
    switch (_uType)
    {
    case QEL_BUSMSG_APPLYCONFIG:
    case QEL_BUSMSG_APPLYHOSTCONFIG: g_QelConfig.ApplyModuleStates(); break;
    case QEL_BUSMSG_STATUS: OnStatusMessage(_pszRecord); break;
    case QEL_BUSMSG_DEBUGLEVEL: g_dwGlobalDebugLevel = static_cast<DWORD>(GetBusNumber(_pszRecord, L"Level")); break;
    default: break;
    }
}

// Forwarded types that the host acts on itself; the sender gets 0 for them.
bool IsHandledForwardedType(UINT _uType)
{
    switch (_uType)
    {
    case QEL_BUSMSG_TRACE:
    case QEL_BUSMSG_APPLYCONFIG:
    case QEL_BUSMSG_APPLYHOSTCONFIG:
    case QEL_BUSMSG_STATUS:
    case QEL_BUSMSG_DEBUGLEVEL:
    case QEL_BUSMSG_MODULECHANGED:
    case QEL_BUSMSG_MODULECHANGED2: return true;
    default: return false;
    }
}

const wchar_t* RefusalReason(EBlockVerdict _eVerdict)
{
    switch (_eVerdict)
    {
    case EBlockVerdict::Busy: return L"already being handled";
    case EBlockVerdict::OtherType: return L"a record of the host's on its way as another type";
    case EBlockVerdict::Unterminated: return L"record without terminator in its block, freed";
    default: return L"no record block of this process";
    }
}

// A refused block, and the host's own records that could not be posted because too many
// waited, each cost one rate-limited trace line.
void TraceRefusals(UINT _uType, LPARAM _lBlock, EBlockVerdict _eVerdict)
{
    if (_lBlock != 0 && _eVerdict != EBlockVerdict::Taken)
        HostRefusals().Refuse(L"Event.WM_QEL_BUS.Error.Block 0x%p of type %u refused: %s",
                              reinterpret_cast<void*>(_lBlock), _uType, RefusalReason(_eVerdict));
    if (const UINT uRefused = BusBlocks().TakeRefusedPosts())
        HostRefusals().Refuse(L"Event.WM_QEL_BUS.Error.%u records not posted: %u were waiting", uRefused,
                              static_cast<UINT>(CBusBlockRegistry::MAX_WAITING));
}

}   // namespace

LRESULT OnBusMessage(HWND _hWnd, UINT _uType, LPARAM _lBlock)
{
    // From here on only a block the host may handle is used; any other value becomes 0,
    // an empty record that frees nothing.
    EBlockVerdict eVerdict = EBlockVerdict::Taken;
    CBusBlock block = CBusBlock::Accept(_lBlock, _uType, &eVerdict);
    TraceRefusals(_uType, _lBlock, eVerdict);
    if (ConsumeBusMessage(_uType, block))
        return 0;
    ActBeforeDistribution(_uType, block.Record());
    const int iResult = g_pServiceWindow->DistributeBusMessage(_uType, std::move(block));
    if (_uType == QEL_BUSMSG_MODULECHANGED || _uType == QEL_BUSMSG_MODULECHANGED2)
        PostMessageW(_hWnd, WM_QEL_MODULESCHANGED, 0, 0);
    return IsHandledForwardedType(_uType) ? 0 : iResult;
}

// Plug-in status (bus type 11): status report, tray icon, tooltip, error instance.
namespace {

const UINT IDS_ERROR_TIP_HINT = 1048;
const long STATE_ERROR = 3;

}   // namespace

StatusAppearance GetStatusAppearance(long _lState)
{
    switch (_lState)
    {
    case 0: return {L"STOPPED", 0, false};
    case 1: return {L"STARTING", 0, false};
    case 2: return {L"OK", 1, false};
    case STATE_ERROR: return {L"ERROR", 0, true};
    case 4: return {L"PAUSED", 2, false};
    default: return {L"UNKNOWN", 1, false};
    }
}

void OnStatusMessage(const wchar_t* _pszRecord)
{
    MainWindowState().SetErrorInstance(0);
    const long lState = GetBusNumber(_pszRecord, L"State");
    wchar_t szText[128];
    CopyBusValue(_pszRecord, L"Text", szText, ARRAYSIZE(szText));
    if (IsServiceMode())
        return;

    const StatusAppearance appearance = GetStatusAppearance(lState);
    g_pServiceWindow->LogProgramStatus(appearance.pszProgramStatus);
    g_InfoIcon.SetState(appearance.iIconState);
    const wchar_t* pszProductName = ProgramVersion().GetProductName();
    if (!appearance.bErrorTip)
    {
        g_InfoIcon.SetTip(pszProductName);
        return;
    }
    wchar_t szHint[128];
    StringCchCopyW(szHint, ARRAYSIZE(szHint), g_ResourceAccess.GetString(IDS_ERROR_TIP_HINT, L""));
    wchar_t szTip[256];
    CInfoIcon::BuildErrorTip(pszProductName, szText, szHint, szTip, ARRAYSIZE(szTip));
    g_InfoIcon.SetTip(szTip);
    MainWindowState().SetErrorInstance(
        static_cast<UINT_PTR>(wcstoull(GetBusValue(_pszRecord, L"Instance"), nullptr, 16)));
}
