#include "Exclusions.h"

#include "TelvarinPlugin.h"

namespace {

const UINT CMD_TRAY_EXIT = 11007;

} // namespace

bool IsExitBusType(unsigned long long _ullType)
{
    return static_cast<UINT>(_ullType) == QEL_BUSMSG_EXIT;
}

bool EndsHostLegitimately(UINT _uMsg, WPARAM _wParam)
{
    switch (_uMsg)
    {
    case WM_CLOSE:
    case WM_DESTROY:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_QUERYENDSESSION:
        return true;
    case WM_SYSCOMMAND: return (_wParam & 0xFFF0) == SC_CLOSE;
    case WM_COMMAND: return LOWORD(_wParam) == CMD_TRAY_EXIT || static_cast<UINT>(_wParam) == CMD_TRAY_EXIT;
    case WM_QEL_BUS: return IsExitBusType(_wParam);
    // Alt+F4 and the close button of the caption, which the default handling turns into SC_CLOSE.
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN: return LOWORD(_wParam) == VK_F4;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK: return _wParam == HTCLOSE || _wParam == HTSYSMENU;
    default: break;
    }
    return false;
}
