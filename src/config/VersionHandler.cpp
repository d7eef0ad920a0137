#include "config/VersionHandler.h"

#include <strsafe.h>
#include <cwchar>

#include "config/RegIniAccess.h"
#include "config/VersionTool.h"

namespace {

const size_t VERSION_LIMIT = 63;   // every field, terminator included
const wchar_t SECTION[] = L"General";
const wchar_t HIGHEST_VERSION_KEY[] = L"HighestVersion";

}   // namespace

void MakeComparableVersion(const wchar_t* _pszVersion, wchar_t* _pszOut, size_t _cchOut)
{
    int aiPart[4] = {0, 0, 0, 0};
    swscanf(_pszVersion, L"%d.%d.%d.%d", &aiPart[0], &aiPart[1], &aiPart[2], &aiPart[3]);
    StringCchPrintfW(_pszOut, _cchOut, L"%05d.%05d.%05d.%05d", aiPart[0], aiPart[1], aiPart[2], aiPart[3]);
}

void CVersionHandler::Load()
{
    const CVersionTool program;
    LoadWithVersion(program.GetProductVersion());
}

void CVersionHandler::LoadWithVersion(const wchar_t* _pszActualVersion)
{
    StringCchCopyW(szActualVersion, VERSION_LIMIT, _pszActualVersion);
    MakeComparableVersion(szActualVersion, szActualCompare, VERSION_LIMIT);
    StringCchCopyW(szHighestVersion, VERSION_LIMIT, g_RegIniAccess.ReadString(SECTION, HIGHEST_VERSION_KEY, 0));
    MakeComparableVersion(szHighestVersion, szHighestCompare, VERSION_LIMIT);
}

bool CVersionHandler::CheckVersion()
{
    if (szHighestVersion[0] != 0 && wcscmp(szActualCompare, szHighestCompare) <= 0)
        return false;
    g_RegIniAccess.WriteString(SECTION, HIGHEST_VERSION_KEY, szActualVersion);
    return true;
}
