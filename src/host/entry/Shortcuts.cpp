// entry/Shortcuts
#include "host/entry/Shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <strsafe.h>

#include "base/ProgramPath.h"
#include "diag/Trace.h"

namespace {

// Folder path of a shell folder (current value); false when the shell does not know it.
bool GetShellFolder(int _iFolder, wchar_t (&_szPath)[MAX_PATH])
{
    _szPath[0] = 0;
    return SUCCEEDED(SHGetFolderPathW(nullptr, _iFolder, nullptr, SHGFP_TYPE_CURRENT, _szPath)) && _szPath[0] != 0;
}

// Formats a path into MAX_PATH characters. A path that does not fit is refused with a
// trace line: cut, it would name some other file, which would then be deleted or replaced.
bool FormatPath(wchar_t (&_szOut)[MAX_PATH], const wchar_t* _pszFormat, const wchar_t* _pszFirst,
                const wchar_t* _pszSecond)
{
    if (SUCCEEDED(StringCchPrintfW(_szOut, MAX_PATH, _pszFormat, _pszFirst, _pszSecond)))
        return true;
    WriteTrace(0, L"Func.CreateShortcut.Abort.Path longer than %d characters: %s", MAX_PATH - 1, _szOut);
    _szOut[0] = 0;
    return false;
}

// Folder + "\" + relative link path + ".LNK".
bool BuildLinkPath(const wchar_t* _pszFolder, const wchar_t* _pszRelative, wchar_t (&_szOut)[MAX_PATH])
{
    return FormatPath(_szOut, L"%s\\%s.LNK", _pszFolder, _pszRelative);
}

void DeleteLinkIn(int _iFolder, const wchar_t* _pszRelative)
{
    wchar_t szFolder[MAX_PATH];
    wchar_t szLink[MAX_PATH];
    if (GetShellFolder(_iFolder, szFolder) && BuildLinkPath(szFolder, _pszRelative, szLink))
        DeleteFileW(szLink);
}

template <typename T>
struct ComRelease
{
    T* p = nullptr;
    ~ComRelease()
    {
        if (p)
            p->Release();
    }
};

// Saves a shell link at _pszLink pointing to _pszTarget, optionally with the target's first icon.
bool SaveShellLink(const wchar_t* _pszLink, const wchar_t* _pszTarget, bool _bTargetIcon)
{
    ComRelease<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, 0x17, IID_IShellLinkW, reinterpret_cast<void**>(&link.p))))
        return false;
    link.p->SetPath(_pszTarget);
    if (_bTargetIcon)
        link.p->SetIconLocation(_pszTarget, 0);
    ComRelease<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        return false;
    return SUCCEEDED(file.p->Save(_pszLink, TRUE));
}

}   // namespace

void CreateStartupShortcut(const wchar_t* _pszTarget, const wchar_t* _pszLinkName)
{
    DeleteLinkIn(CSIDL_STARTUP, _pszLinkName);
    DeleteLinkIn(CSIDL_COMMON_STARTUP, _pszLinkName);
    wchar_t szFolder[MAX_PATH];
    wchar_t szLink[MAX_PATH];
    if (_pszLinkName[0] == 0 || !FileExists(_pszTarget) || !GetShellFolder(CSIDL_COMMON_STARTUP, szFolder) ||
        !BuildLinkPath(szFolder, _pszLinkName, szLink))
        return;
    if (!FileExists(szLink))
        SaveShellLink(szLink, _pszTarget, false);
}

void CreateStartMenuShortcut(const wchar_t* _pszMenuFolder, const wchar_t* _pszLinkName, const wchar_t* _pszTarget)
{
    wchar_t szRelative[MAX_PATH];
    if (!FormatPath(szRelative, L"%s\\%s", _pszMenuFolder, _pszLinkName))
        return;
    DeleteLinkIn(CSIDL_STARTMENU, szRelative);
    DeleteLinkIn(CSIDL_COMMON_STARTMENU, szRelative);
    wchar_t szStartMenu[MAX_PATH];
    wchar_t szMenuFolder[MAX_PATH];
    wchar_t szLink[MAX_PATH];
    if (_pszLinkName[0] == 0 || !GetShellFolder(CSIDL_COMMON_STARTMENU, szStartMenu) ||
        !FormatPath(szMenuFolder, L"%s\\%s", szStartMenu, _pszMenuFolder) ||
        !BuildLinkPath(szStartMenu, szRelative, szLink))
        return;
    CreateDirectoryW(szMenuFolder, nullptr);
    if (!FileExists(szLink))
        SaveShellLink(szLink, _pszTarget, true);
}
