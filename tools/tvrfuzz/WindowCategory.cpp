#include "WindowCategory.h"

#include <cstring>

#include "Exclusions.h"
#include "PointerClasses.h"
#include "RecordText.h"
#include "TelvarinPlugin.h"
#include "UiResources.h"

namespace {

const unsigned REFRESH_EVERY = 200;   // messages between two listings of the host's windows
const size_t OPEN_TARGETS = 4;        // main window, settings window, module info page, information dialog
const int OPEN_CHECKS = 50;
const DWORD OPEN_CHECK_MS = 100;

// Messages that only a window's own thread sends, with lParam passed on as it is: every
// pointer class reaches the host.
const UINT OWN_THREAD_MESSAGES[] = {WM_NOTIFY, WM_INITDIALOG};
// The system copies what their lParam points to from this process: a structure naming one of
// the host's windows goes across.
const UINT COPIED_MESSAGES[] = {WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM, WM_HELP, WM_GETMINMAXINFO};
// Messages the host's procedures handle, with random values. Mouse buttons and commands are
// left out: they would click the controls (open a link, apply, close) as a person does.
const UINT HANDLED_MESSAGES[] = {WM_SIZE,           WM_DISPLAYCHANGE,   WM_ERASEBKGND,   WM_CTLCOLORSTATIC,
                                 WM_CTLCOLORDLG,    WM_CTLCOLORLISTBOX, WM_CTLCOLOREDIT, WM_CTLCOLORBTN,
                                 WM_MOUSEMOVE,      WM_SETCURSOR,       WM_PAINT,        WM_SETFONT};

std::vector<HWND> Targets(const CFuzzSession& _Session)
{
    std::vector<HWND> vecTargets;
    for (const HostWindow& window : _Session.Windows())
    {
        if (window.bHostProcedure)
            vecTargets.push_back(window.hWnd);
    }
    return vecTargets;
}

// The settings window (with its module info page) and the information dialog, opened as the
// tray menu opens them; the host takes the posted commands after what it was sent, so the
// windows are awaited the first time (a host that cannot show one is fuzzed with the rest).
std::vector<HWND> OpenWindows(CFuzzSession& _Session, int _iChecks)
{
    _Session.Post(WM_COMMAND, IDM_TRAY_SETTINGS, 0, L"open the settings window");
    _Session.Post(WM_COMMAND, IDM_TRAY_INFO, 0, L"open the information dialog");
    _Session.RefreshWindows();
    for (int iCheck = 0; iCheck < _iChecks && Targets(_Session).size() < OPEN_TARGETS && _Session.CanGoOn(); ++iCheck)
    {
        Sleep(OPEN_CHECK_MS);
        _Session.RefreshWindows();
    }
    return Targets(_Session);
}

void CloseWindows(CFuzzSession& _Session)
{
    for (const HostWindow& window : _Session.Windows())
    {
        if (window.strClass == L"QelMessageBoxClass")
            PostMessageW(window.hWnd, WM_COMMAND, IDCANCEL, 0);
    }
    _Session.SendText(MakeRecordText(QEL_BUSMSG_CLOSECONFIG, {}), 1, L"close the settings window");
    for (const HostWindow& window : _Session.Windows())
    {
        if (window.strClass == L"#32770" && GetParent(window.hWnd) == nullptr)
            PostMessageW(window.hWnd, WM_COMMAND, IDCANCEL, 0);   // the information dialog
    }
    _Session.Host().Answers();
}

// Any window of the host, its controls included: what a copied or forged structure names.
HWND AnyHostWindow(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    return _Session.Windows().empty() ? nullptr : _Random.Pick(_Session.Windows()).hWnd;
}

// A drawing structure naming one of the host's windows, in this process's buffer; the other
// copied structures read their first fields from the same bytes.
LPARAM CopiedStructure(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = static_cast<UINT>(_Random.Below(6));
    draw.hwndItem = AnyHostWindow(_Session, _Random);
    draw.CtlID = static_cast<UINT>(GetDlgCtrlID(draw.hwndItem));
    draw.itemID = static_cast<UINT>(_Random.Chance(50) ? _Random.Below(8) : _Random.Next());
    draw.itemAction = static_cast<UINT>(_Random.Below(8));
    draw.itemState = static_cast<UINT>(_Random.Next());
    draw.hDC = reinterpret_cast<HDC>(static_cast<UINT_PTR>(_Random.Next()));
    draw.rcItem = {0, 0, static_cast<LONG>(_Random.Below(2000)), static_cast<LONG>(_Random.Below(2000))};
    draw.itemData = static_cast<ULONG_PTR>(PickPointer(RandomPointerClass(_Random), _Session.Map(), _Random));
    void* pBuffer = FuzzerBuffer();
    std::memcpy(pBuffer, &draw, sizeof(draw));
    return reinterpret_cast<LPARAM>(pBuffer);
}

// Forged content now and then by choice, since it is where a forged header names the windows.
EPointerClass OwnThreadPointerClass(CFuzzRandom& _Random)
{
    return _Random.Chance(30) ? EPointerClass::Forged : RandomPointerClass(_Random);
}

void SendToWindow(CFuzzSession& _Session, CFuzzRandom& _Random, HWND _hWnd)
{
    const WPARAM wSmall = static_cast<WPARAM>(_Random.Below(0x10000));
    switch (_Random.Below(3))
    {
    case 0:
    {
        const UINT uMsg = OWN_THREAD_MESSAGES[_Random.Below(ARRAYSIZE(OWN_THREAD_MESSAGES))];
        const EPointerClass eClass = OwnThreadPointerClass(_Random);
        const LPARAM lPointer = PickPointer(eClass, _Session.Map(), _Random);
        if (_Random.Chance(80))
            _Session.SendTo(_hWnd, uMsg, wSmall, lPointer, PointerClassName(eClass));
        else
            _Session.PostTo(_hWnd, uMsg, wSmall, lPointer, PointerClassName(eClass));
        break;
    }
    case 1:
        _Session.SendTo(_hWnd, COPIED_MESSAGES[_Random.Below(ARRAYSIZE(COPIED_MESSAGES))], wSmall,
                        CopiedStructure(_Session, _Random), L"copied structure naming a host window");
        break;
    default:
    {
        const UINT uMsg = HANDLED_MESSAGES[_Random.Below(ARRAYSIZE(HANDLED_MESSAGES))];
        const WPARAM wParam = _Random.Chance(50) ? wSmall : static_cast<WPARAM>(_Random.Next());
        const LPARAM lParam = _Random.Chance(50) ? static_cast<LPARAM>(_Random.Next())
                                                 : reinterpret_cast<LPARAM>(AnyHostWindow(_Session, _Random));
        if (EndsHostLegitimately(uMsg, wParam))
            break;
        if (_Random.Chance(50))
            _Session.SendTo(_hWnd, uMsg, wParam, lParam, L"handled message");
        else
            _Session.PostTo(_hWnd, uMsg, wParam, lParam, L"handled message");
        break;
    }
    }
}

} // namespace

void RunHostWindows(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    std::vector<HWND> vecTargets;
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        if (i % REFRESH_EVERY == 0)
        {
            vecTargets = OpenWindows(_Session, i == 0 ? OPEN_CHECKS : 0);   // again, where one was closed meanwhile
            if (i == 0)
                _Session.Report().Note(L"host windows with their own procedure: " + std::to_wstring(vecTargets.size()) +
                                       L" of " + std::to_wstring(_Session.Windows().size()));
        }
        if (!vecTargets.empty())
            SendToWindow(_Session, _Random, _Random.Pick(vecTargets));
    }
    if (_Session.CanGoOn())
        CloseWindows(_Session);
}
