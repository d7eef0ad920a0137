#include "base/Account.h"

#include <windows.h>
#include <cwchar>

int IsSystemAccountName(const wchar_t* _pszName)
{
    static const wchar_t* const s_apszNames[] = {L"SYSTEM", L"SYST\u00C8ME", L"Syst\u00E8me"};
    for (const wchar_t* pszName : s_apszNames)
        if (wcscmp(_pszName, pszName) == 0)
            return 1;
    return 0;
}

int IsSystemAccount()
{
    wchar_t szName[256] = L"";
    DWORD cchName = 256;
    if (!GetUserNameW(szName, &cchName))
        return 0;
    return IsSystemAccountName(szName);
}
