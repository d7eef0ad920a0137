#include "MessageCategories.h"

#include "Exclusions.h"
#include "PointerClasses.h"
#include "TelvarinPlugin.h"

namespace {

const UINT HOST_MESSAGES[] = {WM_QEL_TRAYNOTIFY, WM_QEL_SERVICE,        WM_QEL_TRACE,        WM_QEL_BUS,
                              WM_QEL_CONFIGCHANGED, WM_QEL_MODULESCHANGED, WM_QEL_CALLFUNCTION, WM_QEL_SCHEME};
const UINT TIMER_IDS = 6;   // 0 .. 5

// Sends or posts; the label says which, so that a fault names the road it took.
void Deliver(CFuzzSession& _Session, CFuzzRandom& _Random, UINT _uMsg, WPARAM _wParam, LPARAM _lParam,
             const wchar_t* _pszLabel)
{
    if (EndsHostLegitimately(_uMsg, _wParam))
        return;
    if (_Random.Chance(50))
        _Session.Send(_uMsg, _wParam, _lParam, _pszLabel);
    else
        _Session.Post(_uMsg, _wParam, _lParam, _pszLabel);
}

WPARAM HostMessageWParam(UINT _uMsg, CFuzzRandom& _Random)
{
    static const WPARAM s_awService[] = {1, 4, 7, 0, 2, 3, 5, 6};
    if (_uMsg == WM_QEL_SERVICE)
        return s_awService[_Random.Below(ARRAYSIZE(s_awService))];
    if (_uMsg == WM_QEL_BUS)
        return _Random.Chance(70) ? static_cast<WPARAM>(_Random.Below(101)) : static_cast<WPARAM>(_Random.Next());
    return _Random.Chance(50) ? static_cast<WPARAM>(_Random.Below(16)) : static_cast<WPARAM>(_Random.Next());
}

// Plug-in code is what messages 1156 and WM_TIMER exist to call: the host runs any address
// in a loaded plug-in module's code, as plug-ins in its process rely on, so a random one of
// them is no refusal to test. Every other class must be refused.
EPointerClass NonPluginCodeClass(UINT _uMsg, EPointerClass _eClass)
{
    const bool bCalls = _uMsg == WM_QEL_CALLFUNCTION || _uMsg == WM_TIMER;
    return bCalls && _eClass == EPointerClass::PluginCode ? EPointerClass::ProgramCode : _eClass;
}

// A function address the host must never call: any class but plug-in code, or the canary.
LPARAM CallTarget(const CFuzzSession& _Session, CFuzzRandom& _Random, const wchar_t** _ppszLabel)
{
    if (_Session.Canary().IsArmed() && _Random.Chance(10))
    {
        *_ppszLabel = L"canary function";
        return static_cast<LPARAM>(_Session.Canary().Function());
    }
    const EPointerClass eClass = NonPluginCodeClass(WM_QEL_CALLFUNCTION, RandomPointerClass(_Random));
    *_ppszLabel = PointerClassName(eClass);
    return PickPointer(eClass, _Session.Map(), _Random);
}

// A random number, or now and then an address of one of the pointer classes: on 32 bits a
// random number often is a readable address of the host, which a 64-bit run meets this way.
LPARAM RandomValue(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    if (_Random.Chance(70))
        return static_cast<LPARAM>(_Random.Next());
    return PickPointer(RandomPointerClass(_Random), _Session.Map(), _Random);
}

} // namespace

void RunRandomMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        UINT uMsg = static_cast<UINT>(_Random.Below(0x10000));
        if (_Random.Chance(20))
            uMsg = static_cast<UINT>(_Random.Below(WM_USER));
        else if (_Random.Chance(20))
            uMsg = WM_USER + static_cast<UINT>(_Random.Below(0x100));
        WPARAM wParam = static_cast<WPARAM>(_Random.Next());
        if (EndsHostLegitimately(uMsg, wParam))
            continue;
        if (uMsg >= WM_USER)
            Deliver(_Session, _Random, uMsg, wParam, RandomValue(_Session, _Random), L"random message");
        else if (_Random.Chance(50))
            _Session.Post(uMsg, wParam, RandomValue(_Session, _Random), L"random system message");
        else
        {
            // The system copies what a system message's lParam points to from this process: a
            // zeroed buffer keeps that copy safe here; a small wParam keeps counts inside it.
            wParam &= 0xFF;
            if (uMsg == WM_NCCALCSIZE || EndsHostLegitimately(uMsg, wParam))
                wParam = 0;
            if (!EndsHostLegitimately(uMsg, wParam))
                _Session.Send(uMsg, wParam, reinterpret_cast<LPARAM>(FuzzerBuffer()), L"random system message");
        }
    }
}

void RunHostMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const UINT uMsg = HOST_MESSAGES[_Random.Below(ARRAYSIZE(HOST_MESSAGES))];
        const EPointerClass eClass = NonPluginCodeClass(uMsg, RandomPointerClass(_Random));
        Deliver(_Session, _Random, uMsg, HostMessageWParam(uMsg, _Random), PickPointer(eClass, _Session.Map(), _Random),
                PointerClassName(eClass));
    }
}

void RunLifecycleMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    static const WPARAM s_awSysCommands[] = {SC_RESTORE, SC_MAXIMIZE, SC_MINIMIZE, SC_SIZE,       SC_MOVE,
                                             SC_KEYMENU, SC_MOUSEMENU, SC_NEXTWINDOW, SC_PREVWINDOW, SC_VSCROLL,
                                             SC_HSCROLL, SC_ARRANGE,  SC_HOTKEY,    SC_DEFAULT,   SC_CONTEXTHELP,
                                             SC_MONITORPOWER, SC_SCREENSAVE};
    static CREATESTRUCTW s_Create = {};
    static wchar_t s_szSetting[] = L"intl";
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const LPARAM lCode = PickPointer(EPointerClass::ProgramCode, _Session.Map(), _Random);
        switch (_Random.Below(10))
        {
        case 0: Deliver(_Session, _Random, WM_POWERBROADCAST, static_cast<WPARAM>(_Random.Below(20)), lCode, L"WM_POWERBROADCAST"); break;
        case 1: Deliver(_Session, _Random, WM_TIMER, static_cast<WPARAM>(_Random.Below(TIMER_IDS)), lCode, L"WM_TIMER code lParam"); break;
        case 2:
            Deliver(_Session, _Random, WM_SYSCOMMAND, s_awSysCommands[_Random.Below(ARRAYSIZE(s_awSysCommands))],
                    static_cast<LPARAM>(_Random.Below(0x10000)), L"WM_SYSCOMMAND");
            break;
        case 3: Deliver(_Session, _Random, WM_SETREDRAW, static_cast<WPARAM>(_Random.Below(2)), 0, L"WM_SETREDRAW"); break;
        case 4:
            s_Create.lpszName = L"Fuzzed";
            s_Create.lpszClass = L"Telvarin";
            _Session.Send(_Random.Chance(50) ? WM_NCCREATE : WM_CREATE, 0, reinterpret_cast<LPARAM>(&s_Create),
                          L"WM_NCCREATE/WM_CREATE");
            break;
        case 5: Deliver(_Session, _Random, WM_SHOWWINDOW, static_cast<WPARAM>(_Random.Below(2)), static_cast<LPARAM>(_Random.Below(5)), L"WM_SHOWWINDOW"); break;
        case 6: Deliver(_Session, _Random, WM_ACTIVATE, static_cast<WPARAM>(_Random.Below(3)), 0, L"WM_ACTIVATE"); break;
        case 7: Deliver(_Session, _Random, WM_ACTIVATEAPP, static_cast<WPARAM>(_Random.Below(2)), static_cast<LPARAM>(_Random.Below(100)), L"WM_ACTIVATEAPP"); break;
        case 8: _Session.Send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(s_szSetting), L"WM_SETTINGCHANGE"); break;
        default:
            Deliver(_Session, _Random, _Random.Chance(50) ? WM_ENABLE : WM_SIZE, static_cast<WPARAM>(_Random.Below(5)),
                    static_cast<LPARAM>(_Random.Next()), L"WM_ENABLE/WM_SIZE");
            break;
        }
    }
}

void RunCodeAndHeapAddresses(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const wchar_t* pszLabel = L"";
        const LPARAM lTarget = CallTarget(_Session, _Random, &pszLabel);
        if (_Random.Chance(50))
            Deliver(_Session, _Random, WM_QEL_CALLFUNCTION, 0, lTarget, pszLabel);
        else
            Deliver(_Session, _Random, WM_TIMER, static_cast<WPARAM>(_Random.Below(TIMER_IDS)), lTarget, pszLabel);
    }
}
