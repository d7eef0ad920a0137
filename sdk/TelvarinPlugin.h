// Telvarin plug-in interface: what a plug-in module and the host agree on.
// Export names and signatures, bus message types, window messages of the host's
// main window, and the helpers that build and read bus records.
#pragma once

#include <windows.h>

// ---------------------------------------------------------------------------
// The host's main window
// ---------------------------------------------------------------------------

// Version of this plug-in interface: major in the high byte, minor in the low byte.
#define TELVARIN_SDK_VERSION 0x0100

// User data (GWLP_USERDATA) of the host's hidden main window; class and title "Telvarin".
#define HOST_WINDOW_ID 0x4578AD11u

#define WM_QEL_TRAYNOTIFY     1129  // wParam icon id, lParam mouse message
#define WM_QEL_SERVICE        1133  // wParam service state 4, 7 or 1
#define WM_QEL_TRACE          1145  // wParam level, lParam finished trace line (send, in-process)
#define WM_QEL_BUS            1151  // wParam bus type, lParam record memory block (receiver owns it)
#define WM_QEL_CONFIGCHANGED  1152
#define WM_QEL_MODULESCHANGED 1155
#define WM_QEL_CALLFUNCTION   1156  // lParam: function without arguments, in the host's code
#define WM_QEL_SCHEME         1157  // lParam: record with SchemeIndex, UsedFont, UsedLanguage

// ---------------------------------------------------------------------------
// Bus message types
// ---------------------------------------------------------------------------

#define QEL_BUSMSG_MENUCOMMAND          1
#define QEL_BUSMSG_TRAYDBLCLICK         2
#define QEL_BUSMSG_PHONECOMMAND         3
#define QEL_BUSMSG_TRACE                4
#define QEL_BUSMSG_APPLYCONFIG          5
#define QEL_BUSMSG_TRAYRCLICK           6
#define QEL_BUSMSG_MENUENABLE           7
#define QEL_BUSMSG_HOSTCOMMAND          8
#define QEL_BUSMSG_SHOWCONFIG           9
#define QEL_BUSMSG_EXIT                 10
#define QEL_BUSMSG_STATUS               11
#define QEL_BUSMSG_MENUADD              12
#define QEL_BUSMSG_TRAYCLICK            14
#define QEL_BUSMSG_PHONECOMMANDRESULT   18
#define QEL_BUSMSG_SETICON              19
#define QEL_BUSMSG_COMMANDINFO          21
#define QEL_BUSMSG_COMMANDDELETE        24
#define QEL_BUSMSG_COMMANDDELETE2       25
#define QEL_BUSMSG_DEBUGLEVEL           26
#define QEL_BUSMSG_PLUGININITIATED      33
#define QEL_BUSMSG_APPLYHOSTCONFIG      34
#define QEL_BUSMSG_CLOSECONFIG          36
#define QEL_BUSMSG_CONNECTED            37
#define QEL_BUSMSG_ENABLED              43
#define QEL_BUSMSG_CALLEVENT            44
#define QEL_BUSMSG_BUTTONS              48
#define QEL_BUSMSG_MODULECHANGED        51
#define QEL_BUSMSG_MODULECHANGED2       53
#define QEL_BUSMSG_MENUITEM             60
#define QEL_BUSMSG_MENUTEXT             61
#define QEL_BUSMSG_SERVICERUNNING       62
#define QEL_BUSMSG_SERVICEPAUSED        63
#define QEL_BUSMSG_LASTERROR            66
#define QEL_BUSMSG_SETCOMMAND           71
#define QEL_BUSMSG_WAKEUP               73
#define QEL_BUSMSG_SCHEME               76
#define QEL_BUSMSG_JSONRECORD           77
#define QEL_BUSMSG_MENUSEPARATOR        78
#define QEL_BUSMSG_MENUCHECK            79
#define QEL_BUSMSG_PARAM                80
#define QEL_BUSMSG_VERSIONINFO          82

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
// Record helpers follow below (building, reading, numbers).

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

// End of the committed, readable memory region that holds the address; NULL when the
// address is not readable.
inline const BYTE* GetReadableRegionEnd(const void* _pAddress)
{
    const DWORD dwReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                             PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(_pAddress, &mbi, sizeof(mbi)) != sizeof(mbi))
        return NULL;
    if (mbi.State != MEM_COMMIT || !(mbi.Protect & dwReadable) || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
        return NULL;
    const BYTE* pRegionEnd = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
    return pRegionEnd > static_cast<const BYTE*>(_pAddress) ? pRegionEnd : NULL;
}

// True when every byte of [_pStart, _pStart + _cbSize) lies in committed, readable pages.
inline bool IsBusMemoryReadable(const void* _pStart, size_t _cbSize)
{
    const BYTE* pCursor = static_cast<const BYTE*>(_pStart);
    const BYTE* pEnd = pCursor + _cbSize;
    if (pEnd < pCursor)
        return false;
    while (pCursor < pEnd)
    {
        pCursor = GetReadableRegionEnd(pCursor);
        if (pCursor == NULL)
            return false;
    }
    return true;
}

// Length of a wide text whose characters up to and including the terminator all lie in
// readable memory, scanning at most _cchMax characters; -1 when the text is null,
// unreadable or not terminated within that bound. Each region is checked before the
// scan enters it, so a text that runs into an unreadable page is never touched there.
inline INT_PTR GetBusTextLength(const wchar_t* _pszText, size_t _cchMax = ((size_t)-1) / sizeof(wchar_t))
{
    if (_pszText == NULL)
        return -1;
    const BYTE* pBase = reinterpret_cast<const BYTE*>(_pszText);
    const BYTE* pKnownEnd = pBase;
    for (size_t i = 0; i < _cchMax; ++i)
    {
        const BYTE* pCharEnd = reinterpret_cast<const BYTE*>(_pszText + i + 1);
        if (pCharEnd <= pBase)
            return -1;   // ran past the end of the address space
        while (pCharEnd > pKnownEnd)
        {
            pKnownEnd = GetReadableRegionEnd(pKnownEnd);
            if (pKnownEnd == NULL)
                return -1;
        }
        if (_pszText[i] == L'\0')
            return static_cast<INT_PTR>(i);
    }
    return -1;
}

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

// Finds the value of the keyword's first occurrence (case-sensitive, entities undecoded):
// its first character and its length, cut to BUS_VALUE_MAX_CHARS. False when the record is
// unreadable or unterminated, or the keyword or the closing "</value>" is missing.
inline bool FindBusValue(const wchar_t* _pszRecord, const wchar_t* _pszKeyword, const wchar_t** _ppszStart,
                         size_t* _pcchValue)
{
    if (_pszKeyword == NULL || GetBusTextLength(_pszRecord) < 0)
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
