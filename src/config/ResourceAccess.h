// Language texts from the language module Resource\<folder>\RESOURCE.DLL.
#pragma once
#include <windows.h>

class CResourceAccess
{
public:
    CResourceAccess() = default;
    virtual ~CResourceAccess() = default;
    void Init();
    const wchar_t* GetString(UINT _uId, const wchar_t* _pszDefault);
    void SetDlgItemString(HWND _hDlg, int _iItem, UINT _uId, const wchar_t* _pszDefault);
    void SetWindowString(HWND _hWnd, UINT _uId, const wchar_t* _pszDefault);
    void SetMenuText(HMENU _hMenu, UINT _uItem, UINT _uId, const wchar_t* _pszDefault);
    int SelectLanguage(const wchar_t* _pszName);
    HMODULE GetModule() const { return m_hModule; }
private:
    // owned by the configuration subsystem
    HMODULE m_hModule = nullptr;
    wchar_t m_szSearchFolder[260] = L"";
    wchar_t m_szText[1024] = L"";
    wchar_t m_szScratch[1024] = L"";
    int m_iUnicode = 0;
    LANGID m_Languages[10] = {};
};

extern CResourceAccess g_ResourceAccess;
