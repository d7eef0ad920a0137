#include "host/CommandLine.h"

#include <cwchar>
#include <cwctype>

wchar_t ParseSwitch(const wchar_t* _pszCommandLine)
{
    if (_pszCommandLine == nullptr || _pszCommandLine[0] != L'-')
        return 0;
    const wchar_t chLetter = static_cast<wchar_t>(std::towupper(_pszCommandLine[1]));
    switch (chLetter)
    {
    case L'D':
    case L'I':
    case L'S':
    case L'U':
        return chLetter;
    default:
        return 0;
    }
}

ShortcutFields SplitShortcutFields(const wchar_t* _pszCommandLine)
{
    ShortcutFields fields = {};
    // "-S" and one separator character come first.
    if (_pszCommandLine == nullptr || wcslen(_pszCommandLine) < 3)
        return fields;
    swscanf(_pszCommandLine + 3, L"%255l[^#]#%255l[^#]#%255l[^#]#", fields.szMenuFolder, fields.szLinkName,
            fields.szThird);
    return fields;
}
