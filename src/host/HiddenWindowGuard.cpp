#include "host/HiddenWindowGuard.h"

#include "TelvarinPlugin.h"
#include "host/HostState.h"

namespace {

// The undocumented message that pops the system menu up (its default handling runs the menu).
const UINT WM_POPUPSYSTEMMENU = 0x0313;

// A position change may move or size the window but never show it.
void KeepHidden(LPARAM _lPosition)
{
    auto* pPosition = reinterpret_cast<WINDOWPOS*>(_lPosition);
    if (pPosition && IsBusMemoryReadable(pPosition, sizeof(WINDOWPOS)))
        pPosition->flags &= ~SWP_SHOWWINDOW;
}

void KeepStyleHidden(WPARAM _wWhich, LPARAM _lStyles)
{
    auto* pStyles = reinterpret_cast<STYLESTRUCT*>(_lStyles);
    if (static_cast<int>(_wWhich) == GWL_STYLE && pStyles && IsBusMemoryReadable(pStyles, sizeof(STYLESTRUCT)))
        pStyles->styleNew &= ~WS_VISIBLE;
}

} // namespace

bool GuardHiddenWindow(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, LRESULT* _plResult)
{
    // The window's own creation messages arrive before its handle is known.
    if (_hWnd == nullptr || _hWnd != g_hWndParent)
        return false;
    *_plResult = 0;
    switch (_uMsg)
    {
    case WM_SYSCOMMAND:
        // Closing stays possible, as through WM_CLOSE; restore, maximise, minimise,
        // move, size, hot keys and the rest would only show or activate the window.
        return (_wParam & 0xFFF0) != SC_CLOSE;
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_NCDESTROY:
    case WM_SETREDRAW:
    case WM_SHOWWINDOW:
    case WM_SETHOTKEY:
        return true;
    case WM_POPUPSYSTEMMENU:
    case WM_CONTEXTMENU:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        // Their default handling opens the system menu or tracks a frame button in a modal
        // loop of its own, which would hold the main thread until a click that never comes.
        return true;
    case WM_WINDOWPOSCHANGING:
        KeepHidden(_lParam);
        return false;
    case WM_STYLECHANGING:
        KeepStyleHidden(_wParam, _lParam);
        return false;
    default:
        return false;
    }
}
