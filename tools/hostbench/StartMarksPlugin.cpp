// A plug-in that does nothing for the host but note when the host calls it, into the
// benchmark's shared marks (StartMarks.h); without the benchmark's mapping it notes nothing.
#include <windows.h>
#include <cwchar>

#include "StartMarks.h"
#include "TelvarinPlugin.h"

namespace {

SStartMarks* g_pMarks = nullptr;
wchar_t g_szList[32] = L"";     // the folder the module was loaded from: its list
bool g_bAsked = false;

void Note(LONG _lEvent, const wchar_t* _pszText)
{
    LARGE_INTEGER liNow;
    QueryPerformanceCounter(&liNow);
    if (g_pMarks == nullptr)
        return;
    const LONG lIndex = InterlockedIncrement(&g_pMarks->lCount) - 1;
    if (lIndex >= START_MARKS_MAX)
        return;
    SStartMark& mark = g_pMarks->aMarks[lIndex];
    mark.llCounter = liNow.QuadPart;
    mark.lEvent = _lEvent;
    wcsncpy(mark.szText, _pszText ? _pszText : L"", ARRAYSIZE(mark.szText) - 1);
}

void Attach(HINSTANCE _hInstance)
{
    wchar_t szPath[MAX_PATH] = L"";
    GetModuleFileNameW(_hInstance, szPath, MAX_PATH);
    if (wchar_t* pszName = wcsrchr(szPath, L'\\'))
    {
        *pszName = 0;
        const wchar_t* pszFolder = wcsrchr(szPath, L'\\');
        wcsncpy(g_szList, pszFolder ? pszFolder + 1 : szPath, ARRAYSIZE(g_szList) - 1);
    }
    if (HANDLE hMapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, START_MARKS_MAPPING))
    {
        g_pMarks = static_cast<SStartMarks*>(MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, sizeof(SStartMarks)));
        CloseHandle(hMapping);
    }
    Note(START_MARK_ATTACH, g_szList);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE _hInstance, DWORD _dwReason, LPVOID)
{
    if (_dwReason == DLL_PROCESS_ATTACH)
        Attach(_hInstance);
    return TRUE;
}

extern "C" {

int WINAPI DLL_IsUnicode(void)
{
    if (!g_bAsked)
        Note(START_MARK_LOADED, g_szList);
    g_bAsked = true;
    return 1;
}

void WINAPI DLL_PluginAfterLoad(void) { Note(START_MARK_AFTERLOAD, g_szList); }
void WINAPI DLL_PluginBeforeClose(void) { Note(START_MARK_BEFORECLOSE, g_szList); }

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_TRACE && wcscmp(g_szList, L"PluginDebug") == 0)
        Note(START_MARK_TRACE, GetBusValue(_pszRecord, L"Text"));
    return 1;
}

} // extern "C"
