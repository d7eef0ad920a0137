// Texts of the trace-file plug-in's page in the host's language: German when the host's
// language module is the German one, English otherwise.
#pragma once

enum PageText
{
    TEXT_LEVEL,
    TEXT_LEVEL_0,
    TEXT_LEVEL_1,
    TEXT_LEVEL_2,
    TEXT_LEVEL_3,
    TEXT_LEVEL_4,
    TEXT_FOLDER,
    TEXT_OPEN_FOLDER,
    TEXT_KEEP_DAYS,
    TEXT_KEEP_NOTE,
    PAGE_TEXT_COUNT
};

// True when the host process holds the German language module (Resource\DE\RESOURCE.DLL).
bool HostSpeaksGerman();
const wchar_t* GetPageText(PageText _eText, bool _bGerman);
