// The table of the main window's messages.
#include "bus/MainWindowMessages.h"

#include "TelvarinPlugin.h"

namespace {

// The undocumented message that pops the system menu up (its default handling runs the menu).
const UINT WM_POPUPSYSTEMMENU = 0x0313;

constexpr bool POSTED = true;
constexpr bool SENT_ONLY = false;
constexpr bool ANY_SENDER = true;
constexpr bool OWN_THREAD = false;
constexpr bool DEFAULT = true;
constexpr bool NO_DEFAULT = false;

using H = EHandledBy;
using G = EGuard;

const SMainWindowMessage s_aMessages[] = {
    // The host's own messages. A scheme record must stay valid until the host has read it,
    // so plug-in code sends it; a posted one points at memory that nobody vouches for.
    {WM_QEL_TRAYNOTIFY, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QEL_SERVICE, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QEL_TRACE, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QEL_BUS, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QEL_CONFIGCHANGED, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QEL_MODULESCHANGED, H::Procedure, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_QEL_CALLFUNCTION, H::Procedure, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_QEL_SCHEME, H::Procedure, SENT_ONLY, ANY_SENDER, DEFAULT, G::None},
    // System messages the host acts on: the lifecycle messages the host or a remove switch
    // posts, the system's timer, the tray menu's commands and the end of the session.
    {WM_COMMAND, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_SETTEXT, H::Procedure, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_CLOSE, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_QUERYENDSESSION, H::Procedure, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_ENDSESSION, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    {WM_POWERBROADCAST, H::Procedure, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_TIMER, H::Procedure, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_DESTROY, H::Procedure, POSTED, ANY_SENDER, NO_DEFAULT, G::None},
    // Queued messages the system's default handling takes.
    {WM_NULL, H::System, POSTED, ANY_SENDER, DEFAULT, G::None},
    {WM_PAINT, H::System, POSTED, ANY_SENDER, DEFAULT, G::None},
    // Messages whose lParam points to a structure the procedure reads or fills, and
    // WM_INITDIALOG, whose lParam the creating call chose: only the receiving window's own
    // thread (the system, its controls) sends them, to any of the host's windows; nobody
    // posts them.
    {WM_INITDIALOG, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_NOTIFY, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_DRAWITEM, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_MEASUREITEM, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_DELETEITEM, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_COMPAREITEM, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_HELP, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_GETMINMAXINFO, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    // Messages whose wParam is a device context of the receiving window's own thread (the
    // system's painting, its controls' colour requests, printing into a window's own DC):
    // another process's number would reach the drawing functions as a handle of the host.
    {WM_ERASEBKGND, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_ICONERASEBKGND, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORMSGBOX, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLOREDIT, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORLISTBOX, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORBTN, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORDLG, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORSCROLLBAR, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_CTLCOLORSTATIC, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_PRINT, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    {WM_PRINTCLIENT, H::System, SENT_ONLY, OWN_THREAD, DEFAULT, G::None},
    // The window is hidden and titled for its whole life: the default handling of these
    // would show it, clear its title or give it a hot key. Closing stays possible.
    {WM_SYSCOMMAND, H::Guard, SENT_ONLY, ANY_SENDER, DEFAULT, G::CloseOnly},
    {WM_NCCREATE, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_CREATE, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCDESTROY, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SETREDRAW, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SHOWWINDOW, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SETHOTKEY, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_WINDOWPOSCHANGING, H::Guard, SENT_ONLY, ANY_SENDER, DEFAULT, G::KeepHidden},
    {WM_STYLECHANGING, H::Guard, SENT_ONLY, ANY_SENDER, DEFAULT, G::KeepStyleHidden},
    // Their default handling opens the system menu or tracks a frame button in a modal loop
    // of its own, which would hold the main thread until a click that never comes.
    {WM_POPUPSYSTEMMENU, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_CONTEXTMENU, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCLBUTTONDOWN, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCLBUTTONDBLCLK, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCRBUTTONDOWN, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCRBUTTONUP, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCRBUTTONDBLCLK, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCMBUTTONDOWN, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCMBUTTONDBLCLK, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCXBUTTONDOWN, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_NCXBUTTONDBLCLK, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SYSKEYDOWN, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SYSKEYUP, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
    {WM_SYSCHAR, H::Guard, SENT_ONLY, ANY_SENDER, NO_DEFAULT, G::Refuse},
};

}   // namespace

const SMainWindowMessage* FindMainWindowMessage(UINT _uMsg)
{
    for (const SMainWindowMessage& row : s_aMessages)
    {
        if (row.uMsg == _uMsg)
            return &row;
    }
    return nullptr;
}

const SMainWindowMessage* MainWindowMessageTable(size_t* _pcRows)
{
    *_pcRows = ARRAYSIZE(s_aMessages);
    return s_aMessages;
}
