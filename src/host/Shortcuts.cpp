#include "host/Shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <strsafe.h>

namespace {

bool FileExists(const wchar_t* _pszPath)
{
    return GetFileAttributesW(_pszPath) != INVALID_FILE_ATTRIBUTES;
}

// Folder path of a shell folder (current value); false when the shell does not know it.
bool GetShellFolder(int _iFolder, wchar_t (&_szPath)[MAX_PATH])
{
    _szPath[0] = 0;
    return SUCCEEDED(SHGetFolderPathW(nullptr, _iFolder, nullptr, SHGFP_TYPE_CURRENT, _szPath)) && _szPath[0] != 0;
}

// Folder + "\" + relative link path (+ ".LNK").
void BuildLinkPath(const wchar_t* _pszFolder, const wchar_t* _pszRelative, wchar_t (&_szOut)[MAX_PATH])
{
    StringCchPrintfW(_szOut, MAX_PATH, L"%s\\%s.LNK", _pszFolder, _pszRelative);
}

void DeleteLinkIn(int _iFolder, const wchar_t* _pszRelative)
{
    wchar_t szFolder[MAX_PATH];
    wchar_t szLink[MAX_PATH];
    if (!GetShellFolder(_iFolder, szFolder))
        return;
    BuildLinkPath(szFolder, _pszRelative, szLink);
    DeleteFileW(szLink);
}

template <typename T> struct ComRelease
{
    T* p = nullptr;
    ~ComRelease() { if (p) p->Release(); }
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

} // namespace

void CreateStartupShortcut(const wchar_t* _pszTarget, const wchar_t* _pszLinkName)
{
    DeleteLinkIn(CSIDL_STARTUP, _pszLinkName);
    DeleteLinkIn(CSIDL_COMMON_STARTUP, _pszLinkName);
    wchar_t szFolder[MAX_PATH];
    wchar_t szLink[MAX_PATH];
    if (_pszLinkName[0] == 0 || !FileExists(_pszTarget) || !GetShellFolder(CSIDL_COMMON_STARTUP, szFolder))
        return;
    BuildLinkPath(szFolder, _pszLinkName, szLink);
    if (!FileExists(szLink))
        SaveShellLink(szLink, _pszTarget, false);
}

void CreateStartMenuShortcut(const wchar_t* _pszMenuFolder, const wchar_t* _pszLinkName, const wchar_t* _pszTarget)
{
    wchar_t szRelative[MAX_PATH];
    StringCchPrintfW(szRelative, MAX_PATH, L"%s\\%s", _pszMenuFolder, _pszLinkName);
    DeleteLinkIn(CSIDL_STARTMENU, szRelative);
    DeleteLinkIn(CSIDL_COMMON_STARTMENU, szRelative);
    wchar_t szStartMenu[MAX_PATH];
    if (_pszLinkName[0] == 0 || !GetShellFolder(CSIDL_COMMON_STARTMENU, szStartMenu))
        return;
    wchar_t szMenuFolder[MAX_PATH];
    StringCchPrintfW(szMenuFolder, MAX_PATH, L"%s\\%s", szStartMenu, _pszMenuFolder);
    CreateDirectoryW(szMenuFolder, nullptr);
    wchar_t szLink[MAX_PATH];
    BuildLinkPath(szStartMenu, szRelative, szLink);
    if (!FileExists(szLink))
        SaveShellLink(szLink, _pszTarget, true);
}
