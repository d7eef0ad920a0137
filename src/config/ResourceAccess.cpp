#include "config/ResourceAccess.h"

#include <strsafe.h>
#include <cwchar>

#include "base/ProgramPath.h"
#include "config/ConfigPath.h"
#include "config/LanguageChoice.h"

namespace {

const size_t PATH_CCH = 260;
const int TEXT_LIMIT = 1023;        // every looked-up text, terminator included
const UINT FIRST_COMMAND_ID = 50;   // menu item values below are positions
const wchar_t MODULE_NAME[] = L"RESOURCE.DLL";

typedef int (*PFN_ISUNICODE)();

void CopyProgramFile(wchar_t* _pszOut, size_t _cchOut)
{
    CopyModulePath(nullptr, _pszOut, _cchOut);
}

// The text before "PLUGINEXTRA" of the upper-case program file, else its folder.
void CopySearchFolder(wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szProgram[PATH_CCH];
    CopyProgramFile(szProgram, ARRAYSIZE(szProgram));
    CharUpperW(szProgram);
    const wchar_t* pszPluginExtra = wcsstr(szProgram, L"PLUGINEXTRA");
    if (pszPluginExtra != nullptr)
        StringCchCopyNW(_pszOut, _cchOut, szProgram, static_cast<size_t>(pszPluginExtra - szProgram));
    else
        CopyFolderOf(szProgram, _pszOut, _cchOut);
}

}   // namespace

CResourceAccess::~CResourceAccess()
{
    ReleaseModule();
}

void CResourceAccess::Init()
{
    wchar_t szFolder[PATH_CCH];
    CopySearchFolder(szFolder, ARRAYSIZE(szFolder));
    InitInFolder(szFolder);
}

void CResourceAccess::InitInFolder(const wchar_t* _pszSearchFolder)
{
    StringCchCopyW(m_szSearchFolder, ARRAYSIZE(m_szSearchFolder), _pszSearchFolder);
    ReadLanguageList(m_adwLanguages);
    // A module loaded before (by whatever code) is used; our own reference keeps it loaded.
    HMODULE hLoaded = nullptr;
    if (m_hModule == nullptr && GetModuleHandleExW(0, MODULE_NAME, &hLoaded))
        UseModule(hLoaded);
    if (m_hModule == nullptr)
        ChooseStartupLanguage(m_adwLanguages,
                              [this](const wchar_t* _pszFolder) { return LoadStartupFolder(_pszFolder); });
    if (m_hModule == nullptr)
        return;
    const PFN_ISUNICODE pfnIsUnicode = reinterpret_cast<PFN_ISUNICODE>(GetProcAddress(m_hModule, "IsUnicode"));
    if (pfnIsUnicode != nullptr)
        m_iUnicode = pfnIsUnicode();
}

bool CResourceAccess::LoadStartupFolder(const wchar_t* _pszFolder)
{
    wchar_t szPath[PATH_CCH];
    StringCchCopyW(szPath, ARRAYSIZE(szPath), m_szSearchFolder);
    AppendBackslash(szPath, ARRAYSIZE(szPath));
    if (FAILED(StringCchPrintfW(szPath + wcslen(szPath), ARRAYSIZE(szPath) - wcslen(szPath), L"Resource\\%s\\%s",
                                _pszFolder, MODULE_NAME)))
        return false;
    HMODULE hModule = LoadLibraryW(szPath);
    if (hModule == nullptr)
        hModule = LoadLibraryExW(szPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (hModule != nullptr)
        UseModule(hModule);
    return hModule != nullptr;
}

const wchar_t* CResourceAccess::GetString(UINT _uId, const wchar_t* _pszDefault)
{
    m_szText[0] = 0;
    // The module in use; without one, any module of that name the process holds.
    HMODULE hModule = m_hModule != nullptr ? m_hModule : GetModuleHandleW(MODULE_NAME);
    if (hModule != nullptr && LoadStringW(hModule, _uId, m_szText, TEXT_LIMIT) <= 0)
        m_szText[0] = 0;
    if (m_szText[0] == 0 && _pszDefault != nullptr)
        StringCchCopyW(m_szText, TEXT_LIMIT, _pszDefault);
    return m_szText;
}

void CResourceAccess::SetDlgItemString(HWND _hDlg, int _iItem, UINT _uId, const wchar_t* _pszDefault)
{
    const wchar_t* pszText = GetString(_uId, _pszDefault);
    HWND hItem = GetDlgItem(_hDlg, _iItem);
    if (pszText[0] != 0 && hItem != nullptr)
        SetWindowTextW(hItem, pszText);
}

void CResourceAccess::SetWindowString(HWND _hWnd, UINT _uId, const wchar_t* _pszDefault)
{
    const wchar_t* pszText = GetString(_uId, _pszDefault);
    if (pszText[0] != 0)
        SetWindowTextW(_hWnd, pszText);
}

void CResourceAccess::SetMenuText(HMENU _hMenu, UINT _uItem, UINT _uId, const wchar_t* _pszDefault)
{
    const wchar_t* pszText = GetString(_uId, _pszDefault);
    if (pszText[0] == 0)
        return;
    // Only the text and the id change: check marks, grey state and submenus stay.
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_ID;
    info.wID = _uItem;
    info.dwTypeData = const_cast<wchar_t*>(pszText);
    SetMenuItemInfoW(_hMenu, _uItem, _uItem < FIRST_COMMAND_ID, &info);
}

int CResourceAccess::SelectLanguage(const wchar_t* _pszName)
{
    wchar_t szProgram[PATH_CCH];
    wchar_t szPath[PATH_CCH];
    CopyProgramFile(szProgram, ARRAYSIZE(szProgram));
    CopyFolderOf(szProgram, szPath, ARRAYSIZE(szPath));
    if (FAILED(StringCchPrintfW(szPath + wcslen(szPath), ARRAYSIZE(szPath) - wcslen(szPath),
                                L"Resource\\%s\\Resource.dll", LanguageFolderOfName(_pszName))))
        return 0;
    if (GetFileAttributesW(szPath) == INVALID_FILE_ATTRIBUTES)
        return 0;
    HMODULE hLoaded = nullptr;
    if (GetModuleHandleExW(0, szPath, &hLoaded))
    {
        UseModule(hLoaded);
        return 1;
    }
    ReleaseModule();
    HMODULE hModule = LoadLibraryExW(szPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (hModule == nullptr)
        return 0;
    UseModule(hModule);
    return 1;
}

void CResourceAccess::UseModule(HMODULE _hModule)
{
    // The new module's reference is taken already; the one of the module in use goes.
    ReleaseModule();
    m_hModule = _hModule;
}

void CResourceAccess::ReleaseModule()
{
    if (m_hModule != nullptr)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
}
