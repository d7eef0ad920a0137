// Version resource texts of one file.
#pragma once
#include <windows.h>

class CVersionTool
{
public:
    explicit CVersionTool(HMODULE _hModule = nullptr);   // 0 = the program file
    explicit CVersionTool(const wchar_t* _pszPath);
    virtual ~CVersionTool() = default;
    const wchar_t* GetProductVersion() const { return m_szProductVersion; }
    const wchar_t* GetFileVersion() const { return m_szFileVersion; }
    const wchar_t* GetFileDescription() const { return m_szFileDescription; }
    const wchar_t* GetProductName() const { return m_szProductName; }
    const wchar_t* GetComments() const { return m_szComments; }
    const wchar_t* GetOriginalFilename() const { return m_szOriginalFilename; }

private:
    void Read(const wchar_t* _pszPath);
    VS_FIXEDFILEINFO m_FixedInfo = {};
    wchar_t m_szProductVersion[32] = L"";
    wchar_t m_szFileVersion[32] = L"";
    wchar_t m_szFileDescription[128] = L"";
    wchar_t m_szProductName[128] = L"";
    wchar_t m_szComments[128] = L"";
    wchar_t m_szOriginalFilename[128] = L"";
};
