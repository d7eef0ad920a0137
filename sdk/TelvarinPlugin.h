// Telvarin plug-in interface: everything a plug-in module and the host agree on.
// The host's main window and its window messages, the bus message types, the exports of
// a plug-in module, and the helpers that find the host, build, post and read bus records.
// Header only, no exceptions: usable from C++ plug-ins built with mingw-w64 or MSVC.
#pragma once

#include <windows.h>

// Version of this plug-in interface: major in the high byte, minor in the low byte.
// 1.1: bus type table with names, host window search, record writer.
// 1.2: settings of a plug-in kept by the host, colours of the schemes.
// 1.3: settings page window with the settings window's look.
#define TELVARIN_SDK_VERSION 0x0103

// ---------------------------------------------------------------------------
// The host's main window
// ---------------------------------------------------------------------------

// User data (GWLP_USERDATA) of the host's hidden main window; class and title "Telvarin".
#define HOST_WINDOW_ID 0x4578AD11u

// Window messages of the host's main window. All of them are handled on the host's main
// thread; the ones marked "send" carry a pointer that must stay valid until handled.
//
// wParam: icon id; lParam: mouse message (WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP).
// From the tray icon only.
#define WM_QEL_TRAYNOTIFY     1129
// wParam: service state 4 (running), 7 (paused) or 1 (stopped); lParam: 0.
// From the host's service side and its tray menu.
#define WM_QEL_SERVICE        1133
// wParam: trace level 0-4; lParam: a finished trace line, at most 8190 characters, that
// begins with the time stamp "YYYY-MM-DD hh:mm:ss.mmm (" and holds no control characters.
// The host posts it on as a type 4 record. Send, from plug-in code in the host's process.
#define WM_QEL_TRACE          1145
// wParam: bus type; lParam: the record's memory block (see CBusRecordWriter), which the
// receiver owns once the message was posted or sent. Post (or send) from any thread.
#define WM_QEL_BUS            1151
// wParam, lParam: not used. A settings page reports a change (the settings window's Apply
// button becomes active).
#define WM_QEL_CONFIGCHANGED  1152
// wParam, lParam: not used. Posted by the host itself after bus types 51 and 53: it asks the
// Search list's DLL_CanDisable again and refreshes the settings window's module list.
#define WM_QEL_MODULESCHANGED 1155
// wParam: not used; lParam: a function "void Function(void)" in the code of a loaded plug-in
// module, which the host calls on its main thread (any other address is refused), or 0.
#define WM_QEL_CALLFUNCTION   1156
// wParam: not used; lParam: a record (at most 16382 characters, beginning with the record
// header) with "SchemeIndex", "UsedFont" and "UsedLanguage". Send, from plug-in code in the
// host's process; the host posts type 76 with the three values to every plug-in.
#define WM_QEL_SCHEME         1157

// ---------------------------------------------------------------------------
// Bus message types
// ---------------------------------------------------------------------------
// One row per type: number, constant, fields in record order (after "Type"), direction,
// delivery and thread. Every bus message reaches the host's main window as WM_QEL_BUS and
// every plug-in on the host's main thread, through DLL_PluginBusProcess. "posted" types are
// posted to the host (a sender in the host's process may also send them and gets the
// host's result); "sent" types are sent by the host, which uses the plug-ins' result.
// Types the host does not consume go to every plug-in list (Debug, Extra, Search, Info,
// Save, Telephony); plug-in to plug-ins types pass through the host unchanged.
#define TELVARIN_BUS_TYPES(X) \
    X(1,  QEL_BUSMSG_MENUCOMMAND,        "WParam (%u: menu command id), LParam (%u: 0)", "host to plug-ins: a tray menu item a plug-in added was chosen", "posted", "main") \
    X(2,  QEL_BUSMSG_TRAYDBLCLICK,       "none", "host to plug-ins: tray icon double-click; a result of 0 keeps the settings window closed", "sent", "main") \
    X(3,  QEL_BUSMSG_PHONECOMMAND,       "Command (%s), OrgCmdId (%d), Socket (%d), Extension (%s), Partner (%s), Extra (%s); the last three only when given", "plug-in to plug-ins", "posted", "main") \
    X(4,  QEL_BUSMSG_TRACE,              "Level (%u), Text (%s), Thread (%d)", "host and plug-ins to plug-ins: a trace line", "posted", "main; posted from any thread") \
    X(5,  QEL_BUSMSG_APPLYCONFIG,        "none", "host to the one plug-in whose settings page is applied (direct call); to the host: module states applied, then to plug-ins", "called", "main") \
    X(6,  QEL_BUSMSG_TRAYRCLICK,         "none", "host to plug-ins: tray icon right-click, before the tray menu opens", "sent", "main") \
    X(7,  QEL_BUSMSG_MENUENABLE,         "ID, Enable", "plug-in to host: enables or greys a tray menu item", "posted", "main") \
    X(8,  QEL_BUSMSG_HOSTCOMMAND,        "CMD (127), Arg (255)", "plug-in to host: reloads or removes a list, adds or removes a Search module", "posted", "main") \
    X(9,  QEL_BUSMSG_SHOWCONFIG,         "Module (%u)", "plug-in, or a second start of the program as window text, to host: opens the settings window at that module (0: the host's page)", "posted", "main") \
    X(10, QEL_BUSMSG_EXIT,               "none", "plug-in to host: ends the host", "posted", "main") \
    X(11, QEL_BUSMSG_STATUS,             "State, Sender, Text, Instance (127 each)", "plug-in to host (tray state), then to plug-ins", "posted", "main") \
    X(12, QEL_BUSMSG_MENUADD,            "ID, Seperator, Text", "plug-in to host: adds a tray menu item above the exit item", "posted", "main") \
    X(14, QEL_BUSMSG_TRAYCLICK,          "none", "host to plug-ins: tray icon single click", "posted", "main") \
    X(18, QEL_BUSMSG_PHONECOMMANDRESULT, "Ext (%s), Command (%s), OrgCmdId (%s), Success (%d), Socket (%d), Info (%s, only when given)", "plug-in to plug-ins", "posted", "main") \
    X(19, QEL_BUSMSG_SETICON,            "Window", "plug-in to host: gives that window the host's icon", "posted", "main") \
    X(21, QEL_BUSMSG_COMMANDINFO,        "Command, OrgCmdId, Info", "plug-in to plug-ins", "posted", "main") \
    X(24, QEL_BUSMSG_COMMANDDELETE,      "Command, OrgCmdId, Delete (%d), Info", "plug-in to plug-ins", "posted", "main") \
    X(25, QEL_BUSMSG_COMMANDDELETE2,     "Command, OrgCmdId, Delete (%d), Info", "plug-in to plug-ins", "posted", "main") \
    X(26, QEL_BUSMSG_DEBUGLEVEL,         "Level", "plug-in to host (sets the trace level), then to plug-ins", "posted", "main") \
    X(33, QEL_BUSMSG_PLUGININITIATED,    "PluginID (%u), PluginInitiated (%u: 0)", "host to plug-ins: another process raised the shared memory flag", "posted", "main; posted from the host's monitor thread") \
    X(34, QEL_BUSMSG_APPLYHOSTCONFIG,    "none", "host to host (module states applied), then to plug-ins: Apply on the host's own settings page", "sent", "main") \
    X(36, QEL_BUSMSG_CLOSECONFIG,        "none", "plug-in to host: closes the settings window", "posted", "main") \
    X(37, QEL_BUSMSG_CONNECTED,          "Connected (%d)", "plug-in to plug-ins", "posted", "main") \
    X(43, QEL_BUSMSG_ENABLED,            "Enabled (%d)", "plug-in to plug-ins", "posted", "main") \
    X(44, QEL_BUSMSG_CALLEVENT,          "Event (%s), PartnerNumber (%s), CallID (%u), Value (%s), UniqueCallID (%010u and a text)", "plug-in to plug-ins", "posted", "main") \
    X(48, QEL_BUSMSG_BUTTONS,            "Buttons (%d)", "plug-in to plug-ins", "posted", "main") \
    X(51, QEL_BUSMSG_MODULECHANGED,      "none defined", "plug-in to plug-ins, then the host refreshes its module information", "posted", "main") \
    X(53, QEL_BUSMSG_MODULECHANGED2,     "none defined", "as type 51", "posted", "main") \
    X(60, QEL_BUSMSG_MENUITEM,           "ID, Visible, Separator, Text (255)", "plug-in to host: shows, hides and labels a tray menu item", "posted", "main") \
    X(61, QEL_BUSMSG_MENUTEXT,           "ID, Text (255)", "plug-in to host: relabels a tray menu item", "posted", "main") \
    X(62, QEL_BUSMSG_SERVICERUNNING,     "none", "host to plug-ins: tray mode continues after a pause", "posted", "main") \
    X(63, QEL_BUSMSG_SERVICEPAUSED,      "none", "host to plug-ins: tray mode pauses", "posted", "main") \
    X(66, QEL_BUSMSG_LASTERROR,          "LastErr (%s, 255)", "host and plug-ins to host: recorded as the last error", "posted", "main") \
    X(71, QEL_BUSMSG_SETCOMMAND,         "Command (%s)", "plug-in to plug-ins", "posted", "main") \
    X(73, QEL_BUSMSG_WAKEUP,             "none", "host to plug-ins: the system resumed", "posted", "main") \
    X(76, QEL_BUSMSG_SCHEME,             "SchemeIndex (%u), UsedFont (%s), UsedLanguage (%s)", "host to plug-ins: colour scheme, font or language changed", "posted", "main") \
    X(77, QEL_BUSMSG_JSONRECORD,         "PluginID (%u), JSONRecord (%s)", "plug-in to plug-ins", "posted", "main") \
    X(78, QEL_BUSMSG_MENUSEPARATOR,      "ID, Seperator", "plug-in to host: tray menu separator", "posted", "main") \
    X(79, QEL_BUSMSG_MENUCHECK,          "ID, Enable", "plug-in to host: checks or clears a tray menu item", "posted", "main") \
    X(80, QEL_BUSMSG_PARAM,              "Param (%s)", "plug-in to plug-ins", "posted", "main") \
    X(82, QEL_BUSMSG_VERSIONINFO,        "HighestVersion (%s), ActualVersion (%s)", "host to host: module version check, traced", "posted", "main")

// The constants QEL_BUSMSG_MENUCOMMAND ... QEL_BUSMSG_VERSIONINFO.
#define TELVARIN_BUS_CONSTANT(uNumber, Name, pszFields, pszDirection, pszDelivery, pszThread) \
    const UINT Name = uNumber;
TELVARIN_BUS_TYPES(TELVARIN_BUS_CONSTANT)
#undef TELVARIN_BUS_CONSTANT

#define TELVARIN_WIDE_TEXT2(pszText) L##pszText
#define TELVARIN_WIDE_TEXT(pszText) TELVARIN_WIDE_TEXT2(pszText)

// Name of a bus type for trace and log lines ("QEL_BUSMSG_TRACE"); BUS_TYPE_NAME_UNKNOWN
// for a number the table does not list.
#define BUS_TYPE_NAME_UNKNOWN L"unknown bus type"
inline const wchar_t* GetBusTypeName(UINT _uType)
{
    switch (_uType)
    {
#define TELVARIN_BUS_NAME_CASE(uNumber, Name, pszFields, pszDirection, pszDelivery, pszThread) \
    case uNumber: return TELVARIN_WIDE_TEXT(#Name);
    TELVARIN_BUS_TYPES(TELVARIN_BUS_NAME_CASE)
#undef TELVARIN_BUS_NAME_CASE
    default: return BUS_TYPE_NAME_UNKNOWN;
    }
}

// ---------------------------------------------------------------------------
// Exports of a plug-in module (all optional, __stdcall, undecorated names: use the .def template)
// ---------------------------------------------------------------------------

typedef int (WINAPI* PFN_DLL_PluginBusProcess)(UINT _uType, const wchar_t* _pszRecord);
typedef int (WINAPI* PFN_DLL_GetPluginID)(void);
typedef void (WINAPI* PFN_DLL_PluginAfterLoad)(void);
typedef void (WINAPI* PFN_DLL_PluginBeforeClose)(void);
typedef const wchar_t* (WINAPI* PFN_DLL_GetPluginName)(void);
typedef int (WINAPI* PFN_DLL_IsUnicode)(void);
typedef int (WINAPI* PFN_DLL_IsSupportedVersion)(void);
typedef int (WINAPI* PFN_DLL_IsBetaVersion)(void);
typedef int (WINAPI* PFN_DLL_CanDisable)(void);
typedef int (WINAPI* PFN_DLL_GetDisableState)(void);
typedef void (WINAPI* PFN_DLL_SetDisableState)(int _iDisable);
typedef HWND (WINAPI* PFN_DLL_ShowConfig)(HWND _hWndParent);

// The exports as a plug-in defines them: a definition with another signature does not
// compile against this header.
#ifdef __cplusplus
extern "C" {
#endif
int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord);
int WINAPI DLL_GetPluginID(void);
void WINAPI DLL_PluginAfterLoad(void);
void WINAPI DLL_PluginBeforeClose(void);
const wchar_t* WINAPI DLL_GetPluginName(void);
int WINAPI DLL_IsUnicode(void);
int WINAPI DLL_IsSupportedVersion(void);
int WINAPI DLL_IsBetaVersion(void);
int WINAPI DLL_CanDisable(void);
int WINAPI DLL_GetDisableState(void);
void WINAPI DLL_SetDisableState(int _iDisable);
HWND WINAPI DLL_ShowConfig(HWND _hWndParent);
#ifdef __cplusplus
}
#endif

#define DLL_NAME_PLUGINBUSPROCESS   "DLL_PluginBusProcess"
#define DLL_NAME_GETPLUGINID        "DLL_GetPluginID"
#define DLL_NAME_PLUGINAFTERLOAD    "DLL_PluginAfterLoad"
#define DLL_NAME_PLUGINBEFORECLOSE  "DLL_PluginBeforeClose"
#define DLL_NAME_GETPLUGINNAME      "DLL_GetPluginName"
#define DLL_NAME_ISUNICODE          "DLL_IsUnicode"
#define DLL_NAME_ISSUPPORTEDVERSION "DLL_IsSupportedVersion"
#define DLL_NAME_ISBETAVERSION      "DLL_IsBetaVersion"
#define DLL_NAME_CANDISABLE         "DLL_CanDisable"
#define DLL_NAME_GETDISABLESTATE    "DLL_GetDisableState"
#define DLL_NAME_SETDISABLESTATE    "DLL_SetDisableState"
#define DLL_NAME_SHOWCONFIG         "DLL_ShowConfig"

// ---------------------------------------------------------------------------
// Bus records
// ---------------------------------------------------------------------------
// A record is a UTF-16 text: the header, the "Type" line, one line per field
// (" <value keyword=\"Keyword\">value</value>\r\n", values verbatim, nothing escaped), the
// "Sender" line and the closing tag.

#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE   // keep the C++ runtime headers usable after this one
#endif
#include <strsafe.h>
#include <stdarg.h>
#include <stdlib.h>
#include <wchar.h>
#include <new>

// Record buffer capacities in characters (terminator included).
#define BUS_RECORD_CAPACITY       16383   // trace, status and most other senders
#define BUS_RECORD_CAPACITY_SMALL 2047    // the menu-command sender (type 1)
// Value reader buffers: 65536 characters, values longer than 65534 are cut.
#define BUS_VALUE_CAPACITY        65536
#define BUS_VALUE_MAX_CHARS       65534
// The search text "<value keyword=\"...\">" is cut to this many characters.
#define BUS_SEARCH_MAX_CHARS      511

#define BUS_RECORD_HEADER L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<data>\r\n"
#define BUS_RECORD_FOOTER L" <value keyword=\"Sender\">Unknown</value>\r\n</data>\r\n"
#define BUS_FIELD_TYPE    L" <value keyword=\"Type\">%u</value>\r\n"

// Starts a record: the header replaces the buffer's content.
inline void BusRecordBegin(wchar_t* _pszBuffer, size_t _cchCapacity)
{
    if (_pszBuffer != NULL && _cchCapacity > 0)
        StringCchCopyW(_pszBuffer, _cchCapacity, BUS_RECORD_HEADER);
}

// Formats one field line (wide printf format, %s is a wide text) and appends it.
// Both steps are bounded by the capacity; what does not fit is cut, the buffer stays terminated.
inline void BusRecordAppendV(wchar_t* _pszBuffer, size_t _cchCapacity, const wchar_t* _pszFormat, va_list _args)
{
    if (_pszBuffer == NULL || _cchCapacity == 0 || _pszFormat == NULL)
        return;
    wchar_t* pszScratch = new (std::nothrow) wchar_t[_cchCapacity];
    if (pszScratch == NULL)
        return;
    pszScratch[0] = L'\0';
    StringCchVPrintfW(pszScratch, _cchCapacity, _pszFormat, _args);
    StringCchCatW(_pszBuffer, _cchCapacity, pszScratch);
    delete[] pszScratch;
}

inline void BusRecordAppend(wchar_t* _pszBuffer, size_t _cchCapacity, const wchar_t* _pszFormat, ...)
{
    va_list args;
    va_start(args, _pszFormat);
    BusRecordAppendV(_pszBuffer, _cchCapacity, _pszFormat, args);
    va_end(args);
}

// Appends the "MemBlock" field: a global memory handle that belongs to the message. Written
// at pointer size; a 32-bit module writes exactly the "%d" text of the handle.
inline void BusRecordAppendMemBlock(wchar_t* _pszBuffer, size_t _cchCapacity, HGLOBAL _hBlock)
{
    BusRecordAppend(_pszBuffer, _cchCapacity, L" <value keyword=\"MemBlock\">%lld</value>\r\n",
                    static_cast<long long>(reinterpret_cast<INT_PTR>(_hBlock)));
}

// Ends a record: the Sender line and the closing tag.
inline void BusRecordEnd(wchar_t* _pszBuffer, size_t _cchCapacity)
{
    if (_pszBuffer != NULL && _cchCapacity > 0)
        StringCchCatW(_pszBuffer, _cchCapacity, BUS_RECORD_FOOTER);
}

// Reading. A record given to these readers is a terminated text in readable memory, such as
// the record the host passes to DLL_PluginBusProcess; a null record reads as empty. (Text
// from a pointer nobody vouches for is checked by its receiver before it is read.)

// Finds the value of the keyword's first occurrence (case-sensitive, entities undecoded):
// its first character and its length, cut to BUS_VALUE_MAX_CHARS. False when the record or
// the keyword is null, or the keyword or the closing "</value>" is missing.
inline bool FindBusValue(const wchar_t* _pszRecord, const wchar_t* _pszKeyword, const wchar_t** _ppszStart,
                         size_t* _pcchValue)
{
    if (_pszRecord == NULL || _pszKeyword == NULL)
        return false;
    wchar_t szSearch[BUS_SEARCH_MAX_CHARS + 1];
    StringCchPrintfW(szSearch, BUS_SEARCH_MAX_CHARS + 1, L"<value keyword=\"%s\">", _pszKeyword);
    const wchar_t* pszStart = wcsstr(_pszRecord, szSearch);
    if (pszStart == NULL)
        return false;
    pszStart += wcslen(szSearch);
    const wchar_t* pszEnd = wcsstr(pszStart, L"</value>");
    if (pszEnd == NULL)
        return false;
    const size_t cchValue = static_cast<size_t>(pszEnd - pszStart);
    *_ppszStart = pszStart;
    *_pcchValue = cchValue > BUS_VALUE_MAX_CHARS ? BUS_VALUE_MAX_CHARS : cchValue;
    return true;
}

// Copies the keyword's value into _pszValue (cut to _cchValue - 1 characters); empty when
// there is none.
inline void CopyBusValue(const wchar_t* _pszRecord, const wchar_t* _pszKeyword, wchar_t* _pszValue, size_t _cchValue)
{
    if (_pszValue == NULL || _cchValue == 0)
        return;
    _pszValue[0] = L'\0';
    const wchar_t* pszStart = NULL;
    size_t cchValue = 0;
    if (FindBusValue(_pszRecord, _pszKeyword, &pszStart, &cchValue))
        StringCchCopyNW(_pszValue, _cchValue, pszStart, cchValue);
}

// The value of a keyword; the text stays valid until this thread's next GetBusValue call.
inline const wchar_t* GetBusValue(const wchar_t* _pszRecord, const wchar_t* _pszKeyword)
{
    static thread_local wchar_t s_szValue[BUS_VALUE_CAPACITY];
    CopyBusValue(_pszRecord, _pszKeyword, s_szValue, BUS_VALUE_CAPACITY);
    return s_szValue;
}

// Second reader with a buffer of its own, so that two values can be held at once.
inline const wchar_t* GetBusValue2(const wchar_t* _pszRecord, const wchar_t* _pszKeyword)
{
    static thread_local wchar_t s_szValue[BUS_VALUE_CAPACITY];
    CopyBusValue(_pszRecord, _pszKeyword, s_szValue, BUS_VALUE_CAPACITY);
    return s_szValue;
}

// Converts the keyword's (cut) value as a signed decimal number, without touching the
// readers' buffers; 0 when there is no value.
inline long long ParseBusValue(const wchar_t* _pszRecord, const wchar_t* _pszKeyword, bool _bPointerSize)
{
    const wchar_t* pszStart = NULL;
    size_t cchValue = 0;
    if (!FindBusValue(_pszRecord, _pszKeyword, &pszStart, &cchValue))
        return 0;
    wchar_t szSmall[64];
    wchar_t* pszValue = cchValue < 64 ? szSmall : new (std::nothrow) wchar_t[cchValue + 1];
    if (pszValue == NULL)
        return 0;
    StringCchCopyNW(pszValue, cchValue + 1, pszStart, cchValue);
    const long long llValue = _bPointerSize ? wcstoll(pszValue, NULL, 10) : wcstol(pszValue, NULL, 10);
    if (pszValue != szSmall)
        delete[] pszValue;
    return llValue;
}

// A value read as a number in the manner of wcstol with base 10; empty or non-numeric gives 0.
inline long GetBusNumber(const wchar_t* _pszRecord, const wchar_t* _pszKeyword)
{
    return static_cast<long>(ParseBusValue(_pszRecord, _pszKeyword, false));
}

// A handle-sized decimal value such as "MemBlock"; empty or non-numeric gives 0.
inline INT_PTR GetBusHandle(const wchar_t* _pszRecord, const wchar_t* _pszKeyword)
{
    return static_cast<INT_PTR>(ParseBusValue(_pszRecord, _pszKeyword, sizeof(INT_PTR) > sizeof(long)));
}

// ---------------------------------------------------------------------------
// Talking to the host
// ---------------------------------------------------------------------------

// The smallest memory block of a bus message, in characters: every record travels in a
// fixed, zero-filled GlobalAlloc block of at least this many characters.
#define BUS_BLOCK_MIN_CHARS (16384 + 2)

inline BOOL CALLBACK TelvarinMatchHostWindow(HWND _hWnd, LPARAM _lFound)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(_hWnd, &dwProcessId);
    if (dwProcessId != GetCurrentProcessId() ||
        GetWindowLongPtrW(_hWnd, GWLP_USERDATA) != static_cast<LONG_PTR>(HOST_WINDOW_ID))
        return TRUE;
    *reinterpret_cast<HWND*>(_lFound) = _hWnd;
    return FALSE;
}

// The host's main window in this process: the top-level window with the user data
// HOST_WINDOW_ID. NULL before the host created it (during DllMain and the load-time
// queries) and after its end; DLL_PluginAfterLoad and later calls find it.
inline HWND FindHostMainWindow()
{
    HWND hWndHost = NULL;
    EnumWindows(TelvarinMatchHostWindow, reinterpret_cast<LPARAM>(&hWndHost));
    return hWndHost;
}

// A bus record to hand to the host: fields added in order, then posted (or sent) with its
// type. Post and Send write header, Type line, fields, Sender line and closing tag into a
// fresh block exactly as the host expects it (fixed, zero-filled, BUS_BLOCK_MIN_CHARS), so
// the record holds at most BUS_RECORD_CAPACITY - 1 characters. A field that does not fit
// whole, or that would not read back as written, is left out and its Add call returns
// false; the record stays well-formed. One writer may post the same fields several times.
//
//     CBusRecordWriter record;
//     record.AddNumber(L"Level", 0);
//     record.AddText(L"Text", L"MYPLUGIN.Func.Connect.Info.Connected");
//     record.AddNumber(L"Thread", GetCurrentThreadId());
//     record.Post(FindHostMainWindow(), QEL_BUSMSG_TRACE);
class CBusRecordWriter
{
public:
    CBusRecordWriter() : m_pszFields(new (std::nothrow) wchar_t[BUS_RECORD_CAPACITY]), m_cchFields(0)
    {
        if (m_pszFields != NULL)
            m_pszFields[0] = L'\0';
    }
    ~CBusRecordWriter() { delete[] m_pszFields; }

    // A text value, inserted verbatim. Refused: a null keyword or value, a keyword holding
    // '"', '<' or '>', a value holding "</value>" (it would end the value early).
    bool AddText(const wchar_t* _pszKeyword, const wchar_t* _pszValue)
    {
        if (!IsKeyword(_pszKeyword) || _pszValue == NULL || wcsstr(_pszValue, L"</value>") != NULL)
            return false;
        return AddLine(_pszKeyword, _pszValue);
    }

    // A signed decimal number; unsigned 32-bit values (ids, types) fit as they are.
    bool AddNumber(const wchar_t* _pszKeyword, long long _llValue)
    {
        wchar_t szValue[24];
        StringCchPrintfW(szValue, ARRAYSIZE(szValue), L"%lld", _llValue);
        return IsKeyword(_pszKeyword) && AddLine(_pszKeyword, szValue);
    }

    // A handle or pointer in decimal at pointer size, as GetBusHandle reads it back; for
    // "MemBlock", a second GlobalAlloc block that the host frees after the last list saw it.
    bool AddHandle(const wchar_t* _pszKeyword, const void* _pHandle)
    {
        return AddNumber(_pszKeyword, static_cast<long long>(reinterpret_cast<INT_PTR>(_pHandle)));
    }

    // The record of the type in a fresh block; NULL when memory is short. The caller owns it
    // until a post or send hands it over.
    HGLOBAL NewBlock(UINT _uType) const
    {
        if (m_pszFields == NULL)
            return NULL;
        wchar_t* pszBlock = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, BUS_BLOCK_MIN_CHARS * sizeof(wchar_t)));
        if (pszBlock == NULL)
            return NULL;
        wchar_t szType[64];
        StringCchPrintfW(szType, ARRAYSIZE(szType), BUS_FIELD_TYPE, _uType);
        StringCchCopyW(pszBlock, BUS_RECORD_CAPACITY, BUS_RECORD_HEADER);
        StringCchCatW(pszBlock, BUS_RECORD_CAPACITY, szType);
        StringCchCatW(pszBlock, BUS_RECORD_CAPACITY, m_pszFields);
        StringCchCatW(pszBlock, BUS_RECORD_CAPACITY, BUS_RECORD_FOOTER);
        return pszBlock;
    }

    // Posts the record as WM_QEL_BUS. True when it is on its way (the host owns the block);
    // false when the window is missing, memory is short or the post failed (the block is
    // freed again).
    bool Post(HWND _hWnd, UINT _uType) const
    {
        if (_hWnd == NULL || !IsWindow(_hWnd))
            return false;
        HGLOBAL hBlock = NewBlock(_uType);
        if (hBlock == NULL)
            return false;
        if (PostMessageW(_hWnd, WM_QEL_BUS, _uType, reinterpret_cast<LPARAM>(hBlock)))
            return true;
        GlobalFree(hBlock);
        return false;
    }

    // Sends the record as WM_QEL_BUS and returns the host's result (for a type the host only
    // forwards: 0 when a plug-in of the Extra, Save or Telephony list refused it). 0 without
    // sending when the window is missing or memory is short. Only from the host's process.
    LRESULT Send(HWND _hWnd, UINT _uType) const
    {
        if (_hWnd == NULL || !IsWindow(_hWnd))
            return 0;
        HGLOBAL hBlock = NewBlock(_uType);
        if (hBlock == NULL)
            return 0;
        return SendMessageW(_hWnd, WM_QEL_BUS, _uType, reinterpret_cast<LPARAM>(hBlock));
    }

    CBusRecordWriter(const CBusRecordWriter&) = delete;
    CBusRecordWriter& operator=(const CBusRecordWriter&) = delete;

private:

    static bool IsKeyword(const wchar_t* _pszKeyword)
    {
        return _pszKeyword != NULL && _pszKeyword[0] != L'\0' && wcspbrk(_pszKeyword, L"\"<>") == NULL;
    }

    // Room for fields: the capacity less header, the longest Type line, footer and terminator.
    static size_t FieldCapacity()
    {
        return BUS_RECORD_CAPACITY - 1 - wcslen(BUS_RECORD_HEADER) -
               wcslen(L" <value keyword=\"Type\">4294967295</value>\r\n") - wcslen(BUS_RECORD_FOOTER);
    }

    bool AddLine(const wchar_t* _pszKeyword, const wchar_t* _pszValue)
    {
        static const wchar_t s_szFormat[] = L" <value keyword=\"%s\">%s</value>\r\n";
        const size_t cchLine = (ARRAYSIZE(s_szFormat) - 1 - 4) + wcslen(_pszKeyword) + wcslen(_pszValue);
        if (m_pszFields == NULL || cchLine > FieldCapacity() - m_cchFields)
            return false;
        StringCchPrintfW(m_pszFields + m_cchFields, cchLine + 1, s_szFormat, _pszKeyword, _pszValue);
        m_cchFields += cchLine;
        return true;
    }

    wchar_t* m_pszFields;   // the field lines added so far, terminated
    size_t m_cchFields;
};

// ---------------------------------------------------------------------------
// Colour schemes
// ---------------------------------------------------------------------------
// The host draws its windows in one of five colour schemes, 0 to 4 (0 at start), chosen with
// WM_QEL_SCHEME and announced to the plug-ins as QEL_BUSMSG_SCHEME. The host takes its
// colours from this table, so a plug-in can show or draw a scheme the way the host does.

#define TELVARIN_SCHEME_COUNT 5

// The colours of a scheme, in the order of the table's rows.
enum ETelvarinSchemeColor
{
    SCHEME_COLOR_BACKGROUND,          // windows, dialogs and static controls
    SCHEME_COLOR_HIGHLIGHTTEXT,       // static controls marked as highlighted (user data 2)
    SCHEME_COLOR_TEXT,                // normal text
    SCHEME_COLOR_DISABLEDTEXT,        // text of disabled controls
    SCHEME_COLOR_FOCUSFRAME,          // frame around the edit control with the focus
    SCHEME_COLOR_FRAME,               // frame around other edit controls
    SCHEME_COLOR_FIELDBACK,           // edit controls, list boxes and combo boxes
    SCHEME_COLOR_BUTTONFACE,          // push buttons
    SCHEME_COLOR_BUTTONPRESSED,       // push buttons while pressed
    SCHEME_COLOR_PANEBACK,            // the settings tree and the strip beside it
    SCHEME_COLOR_NODETEXT,            // settings tree: category nodes
    SCHEME_COLOR_MODULETEXT,          // settings tree: active plug-ins
    SCHEME_COLOR_DISABLEDMODULETEXT,  // settings tree: disabled plug-ins
    SCHEME_COLOR_LISTBACK,            // lists and their odd rows
    SCHEME_COLOR_LISTALTBACK,         // even rows of lists
    SCHEME_COLOR_LISTTEXT,            // text of lists, list boxes and combo boxes
    SCHEME_COLOR_OTHERVERSIONTEXT,    // module rows whose version differs from the host's
    SCHEME_COLOR_COUNT
};

// A colour of a scheme as COLORREF (0x00BBGGRR), before the host maps it to the screen's
// nearest colour; 0 for a scheme or colour outside the table.
inline COLORREF GetSchemeColor(UINT _uScheme, int _iColor)
{
    static const COLORREF s_acrSchemes[SCHEME_COLOR_COUNT][TELVARIN_SCHEME_COUNT] = {
        {0xFFFFFF, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // background
        {0xC04040, 0xC08080, 0xFF8080, 0xFF8080, 0xFF8080},   // highlighted text
        {0x000000, 0xFAFAFF, 0x3F3F3F, 0xFFFFC0, 0xC0FFC0},   // text
        {0xA0A0A0, 0x7F7F7F, 0x7F7F7F, 0xC0C080, 0x80C080},   // disabled text
        {0xD77800, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // focus frame
        {0xC0C0C0, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // frame
        {0xFFFFFF, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // field background
        {0xCCCCCC, 0x2D2D2D, 0xF5F5F5, 0x803F3F, 0x64648C},   // button face
        {0x808080, 0x555555, 0xDEDEDE, 0xC07F7F, 0x8080C0},   // button pressed
        {0xF0F0F0, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // pane background
        {0x000000, 0x20FFFF, 0xFF3F3F, 0xFF0000, 0x008080},   // node text
        {0x000000, 0xE6FFFF, 0x3F3F3F, 0x553F3F, 0x004040},   // module text
        {0x7F7F7F, 0xC0C0C0, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F},   // disabled module text
        {0xF5F5F5, 0x646464, 0xF0F0FA, 0xFFEBE6, 0xF0F0FF},   // list background
        {0xFCFCFC, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // list alternate rows
        {0x000000, 0xE6FFFF, 0x3F3F3F, 0x553F3F, 0x004040},   // list text
        {0x0000FF, 0x00C0C0, 0x0000FF, 0x0000FF, 0x0000FF},   // other version text
    };
    if (_uScheme >= TELVARIN_SCHEME_COUNT || _iColor < 0 || _iColor >= SCHEME_COLOR_COUNT)
        return 0;
    return s_acrSchemes[_iColor][_uScheme];
}

// ---------------------------------------------------------------------------
// Settings of a plug-in
// ---------------------------------------------------------------------------
// The host keeps a plug-in's settings where and how it keeps its own, under the plug-in's
// module name (its file name without folder and extension):
// - in the registry, HKEY_CURRENT_USER\SOFTWARE\orvex\<program>\<module>\<section>, when
//   the host keeps its own settings there;
// - otherwise in "<module>.INI" in the user's configuration folder (the host's CFG folder),
//   falling back to "<module>.INI" beside the plug-in; without a user (service mode, or the
//   environment variable QelConfig=1) beside the plug-in only.
// Values are texts of at most PLUGIN_SETTING_MAX_CHARS characters, kept whole whatever their
// characters. The program exports the two functions below; ReadPluginSetting and
// WritePluginSetting find them. They answer on the host's main thread once its main window
// exists (from DLL_PluginAfterLoad on, and in every later call the host makes), for a module
// of the six plug-in lists, and refuse elsewhere.

#define PLUGIN_SETTING_MAX_CHARS 8191

// Exported by the program under these undecorated names, __cdecl on both architectures.
// Read: copies the value into _pszValue (cut to _cchValue - 1 characters; empty when not
// stored) and returns 1; 0 when refused. Write: 1 when stored, 0 when refused or failed.
#define TVR_EXPORT_READPLUGINSETTING  "TVR_ReadPluginSetting"
#define TVR_EXPORT_WRITEPLUGINSETTING "TVR_WritePluginSetting"
typedef int (__cdecl* PFN_TVR_ReadPluginSetting)(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey,
                                                  wchar_t* _pszValue, int _cchValue);
typedef int (__cdecl* PFN_TVR_WritePluginSetting)(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey,
                                                   const wchar_t* _pszValue);

// The module that holds the calling code: the plug-in itself.
inline HMODULE GetPluginModule()
{
    HMODULE hModule = NULL;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&GetPluginModule), &hModule);
    return hModule;
}

// Reads one of this plug-in's settings into _pszValue (empty when not stored). False when
// the host refused or has no settings store for plug-ins; _pszValue is then empty.
inline bool ReadPluginSetting(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszValue, size_t _cchValue)
{
    if (_pszValue == NULL || _cchValue == 0)
        return false;
    _pszValue[0] = L'\0';
    const PFN_TVR_ReadPluginSetting pfnRead = reinterpret_cast<PFN_TVR_ReadPluginSetting>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(NULL), TVR_EXPORT_READPLUGINSETTING)));
    const int cchValue = _cchValue > PLUGIN_SETTING_MAX_CHARS + 1 ? PLUGIN_SETTING_MAX_CHARS + 1 : static_cast<int>(_cchValue);
    return pfnRead != NULL && pfnRead(GetPluginModule(), _pszSection, _pszKey, _pszValue, cchValue) != 0;
}

// Stores one of this plug-in's settings. False when refused or not stored.
inline bool WritePluginSetting(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue)
{
    const PFN_TVR_WritePluginSetting pfnWrite = reinterpret_cast<PFN_TVR_WritePluginSetting>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(NULL), TVR_EXPORT_WRITEPLUGINSETTING)));
    return pfnWrite != NULL && pfnWrite(GetPluginModule(), _pszSection, _pszKey, _pszValue) != 0;
}

// ---------------------------------------------------------------------------
// Settings page
// ---------------------------------------------------------------------------
// A page takes the settings window's look (the current scheme) by handing its background,
// its controls' colours and its owner-drawn buttons, combo and list boxes to its parent.

// Default procedure of a settings page: WM_ERASEBKGND fills the page with the brush the
// parent gives for WM_CTLCOLORDLG (the system's button face when it gives none);
// WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX and WM_DRAWITEM return the parent's
// answer; everything else goes to DefWindowProcW. Call it for every message the page's own
// procedure does not handle.
inline LRESULT DefSettingsPageProc(HWND _hWndPage, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    switch (_uMsg)
    {
    case WM_ERASEBKGND:
    {
        RECT rc = {};
        GetClientRect(_hWndPage, &rc);
        const HBRUSH hbr = reinterpret_cast<HBRUSH>(
            SendMessageW(GetParent(_hWndPage), WM_CTLCOLORDLG, _wParam, reinterpret_cast<LPARAM>(_hWndPage)));
        FillRect(reinterpret_cast<HDC>(_wParam), &rc, hbr != NULL ? hbr : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM: return SendMessageW(GetParent(_hWndPage), _uMsg, _wParam, _lParam);
    default: return DefWindowProcW(_hWndPage, _uMsg, _wParam, _lParam);
    }
}

// Creates a settings page for DLL_ShowConfig: a visible child of the settings window, of the
// class _pszClass with the procedure _pfnProc (registered for this plug-in on first use),
// that Tab moves through (WS_EX_CONTROLPARENT). NULL when it could not be created.
inline HWND CreateSettingsPage(HWND _hWndParent, const wchar_t* _pszClass, WNDPROC _pfnProc, int _cx, int _cy)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = _pfnProc;
    wc.hInstance = GetPluginModule();
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = _pszClass;
    RegisterClassExW(&wc);   // fails harmlessly when an earlier page registered it
    return CreateWindowExW(WS_EX_CONTROLPARENT, _pszClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, _cx, _cy, _hWndParent, NULL,
                           wc.hInstance, NULL);
}
