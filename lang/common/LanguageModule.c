/* Code of a language module: an entry point that accepts every call and the optional
   "IsUnicode" export. The module is built without any runtime library. */
#include <windows.h>

BOOL WINAPI LanguageModuleEntry(HINSTANCE _hInstance, DWORD _dwReason, LPVOID _pReserved)
{
    (void)_hInstance;
    (void)_dwReason;
    (void)_pReserved;
    return TRUE;
}

/* The string table holds UTF-16 texts. */
__declspec(dllexport) int IsUnicode(void)
{
    return 1;
}
