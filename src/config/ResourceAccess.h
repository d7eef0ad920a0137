// Language texts from the language module Resource\<folder>\RESOURCE.DLL.
#pragma once
#include <windows.h>

class CResourceAccess
{
public:
    CResourceAccess() = default;
    virtual ~CResourceAccess();
    CResourceAccess(const CResourceAccess&) = delete;
    CResourceAccess& operator=(const CResourceAccess&) = delete;

    // Picks the start-up module below the program's folder.
    void Init();
    // The same below a given folder.
    void InitInFolder(const wchar_t* _pszSearchFolder);
    const wchar_t* GetString(UINT _uId, const wchar_t* _pszDefault);
    void SetDlgItemString(HWND _hDlg, int _iItem, UINT _uId, const wchar_t* _pszDefault);
    void SetWindowString(HWND _hWnd, UINT _uId, const wchar_t* _pszDefault);
    void SetMenuText(HMENU _hMenu, UINT _uItem, UINT _uId, const wchar_t* _pszDefault);
    int SelectLanguage(const wchar_t* _pszName);
    HMODULE GetModule() const { return m_hModule; }
    int GetUnicodeFlag() const { return m_iUnicode; }

private:
    bool LoadStartupFolder(const wchar_t* _pszFolder);
    void UseModule(HMODULE _hModule);
    void ReleaseModule();

    HMODULE m_hModule = nullptr;   // holds one reference of its own
    wchar_t m_szSearchFolder[260] = L"";
    wchar_t m_szText[1024] = L"";
    int m_iUnicode = 0;
    DWORD m_adwLanguages[10] = {};
};

extern CResourceAccess g_ResourceAccess;
