// The help file: where it lies, the help topics the host opens and the page each one shows.
// The file is opened at the page itself ("file.chm::/page.htm"): its compiler stores the
// topic aliases with the build machine's paths, so a lookup by topic number finds nothing.
#pragma once
#include <cstddef>

const int HELP_TOPIC_MAIN = 1;            // the tray menu and the information dialog
const int HELP_TOPIC_SETTINGS = 100;      // the settings window
const int HELP_TOPIC_MODULE_INFO = 101;   // the module info page

struct SHelpTopic
{
    int iTopic;
    const wchar_t* pszPage;
};

extern const SHelpTopic HELP_TOPICS[];
extern const size_t HELP_TOPIC_COUNT;

// The page of a topic; nullptr for a topic without one.
const wchar_t* HelpTopicPage(int _iTopic);
// What the help viewer is asked to show for the topic: "<file>::/<page>", or the file alone
// (its first page) for a topic without a page or when the page's name does not fit.
void BuildHelpTarget(const wchar_t* _pszFile, int _iTopic, wchar_t* _pszOut, size_t _cchOut);

// The full path of the help file of that name (no folder): the program folder, then HELP
// below the Windows folder; false when it is in neither.
bool LocateHelpFile(const wchar_t* _pszName, wchar_t* _pszPath, size_t _cchPath);
