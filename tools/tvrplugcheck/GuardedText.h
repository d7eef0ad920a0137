// A record text handed to the plug-in as the host hands it: read-only, and placed so that its
// terminator is the last character before a page that cannot be read. A plug-in that reads
// past the terminator or writes into the host's record faults at once, in the checker,
// instead of now and then in the host.
#pragma once
#include <string>

class CGuardedText
{
public:
    explicit CGuardedText(const std::wstring& _strText);
    ~CGuardedText();
    CGuardedText(const CGuardedText&) = delete;
    CGuardedText& operator=(const CGuardedText&) = delete;
    const wchar_t* Text() const { return m_pszText; }

private:
    void* m_pPages = nullptr;
    const wchar_t* m_pszText = L"";
};
