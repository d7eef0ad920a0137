// The program file a service is installed from, as its registry entry names it.
#include "host/ServiceControl.h"

#include <strsafe.h>

#include "base/ProgramPath.h"
#include "config/RegTool.h"

namespace {

const wchar_t SERVICES_KEY[] = L"SYSTEM\\CurrentControlSet\\Services\\";
const DWORD IMAGE_PATH_LIMIT_BYTES = 511;

wchar_t g_szServiceImagePath[512];

void RemoveQuotes(wchar_t* _pszText)
{
    wchar_t* pszOut = _pszText;
    for (const wchar_t* pszIn = _pszText; *pszIn; ++pszIn)
    {
        if (*pszIn != L'"')
            *pszOut++ = *pszIn;
    }
    *pszOut = 0;
}

bool IsExistingFile(const wchar_t* _pszPath)
{
    const DWORD dwAttributes = GetFileAttributesW(_pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReadImagePath(const wchar_t* _pszName)
{
    wchar_t szKey[512];
    if (FAILED(StringCchPrintfW(szKey, ARRAYSIZE(szKey), L"%s%s", SERVICES_KEY, _pszName)))
        return;
    CRegTool key;
    if (key.Open(HKEY_LOCAL_MACHINE, szKey) != ERROR_SUCCESS)
        return;
    // The buffer holds more than the limit, so the text stays terminated whatever was stored.
    if (ReadRawValue(key.GetKey(), L"ImagePath", g_szServiceImagePath, IMAGE_PATH_LIMIT_BYTES) != ERROR_SUCCESS)
        g_szServiceImagePath[0] = 0;
}

} // namespace

const wchar_t* GetServiceImagePath(const wchar_t* _pszName)
{
    SecureZeroMemory(g_szServiceImagePath, sizeof(g_szServiceImagePath));
    ReadImagePath(_pszName);
    RemoveQuotes(g_szServiceImagePath);
    if (!IsExistingFile(g_szServiceImagePath))
    {
        CopyModulePath(nullptr, g_szServiceImagePath, ARRAYSIZE(g_szServiceImagePath));
    }
    return g_szServiceImagePath;
}
