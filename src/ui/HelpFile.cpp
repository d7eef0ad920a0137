#include "ui/HelpFile.h"

#include <windows.h>
#include <strsafe.h>

#include "base/ProgramPath.h"

const SHelpTopic HELP_TOPICS[] = {
    {HELP_TOPIC_MAIN, L"tray.htm"},
    {HELP_TOPIC_SETTINGS, L"settings.htm"},
    {HELP_TOPIC_MODULE_INFO, L"moduleinfo.htm"},
};
const size_t HELP_TOPIC_COUNT = sizeof(HELP_TOPICS) / sizeof(HELP_TOPICS[0]);

const wchar_t* HelpTopicPage(int _iTopic)
{
    for (const SHelpTopic& topic : HELP_TOPICS)
        if (topic.iTopic == _iTopic)
            return topic.pszPage;
    return nullptr;
}

void BuildHelpTarget(const wchar_t* _pszFile, int _iTopic, wchar_t* _pszOut, size_t _cchOut)
{
    const wchar_t* pszPage = HelpTopicPage(_iTopic);
    if (!pszPage || FAILED(StringCchPrintfW(_pszOut, _cchOut, L"%s::/%s", _pszFile, pszPage)))
        StringCchCopyW(_pszOut, _cchOut, _pszFile);
}

bool LocateHelpFile(const wchar_t* _pszName, wchar_t* _pszPath, size_t _cchPath)
{
    if (!_pszName || !_pszName[0])
        return false;
    if (BuildProgramPath(_pszName, _pszPath, _cchPath) && FileExists(_pszPath))
        return true;
    wchar_t szWindows[MAX_PATH];
    const UINT cchWindows = GetWindowsDirectoryW(szWindows, ARRAYSIZE(szWindows));
    return cchWindows > 0 && cchWindows < ARRAYSIZE(szWindows) &&
           SUCCEEDED(StringCchPrintfW(_pszPath, _cchPath, L"%s\\HELP\\%s", szWindows, _pszName)) &&
           FileExists(_pszPath);
}
