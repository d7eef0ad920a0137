// A record under construction in a buffer of its own: header and Type at once,
// fields in the order added, footer when it is delivered.
#pragma once
#include <windows.h>

#include <cstdarg>
#include <memory>

class CBusRecordBuilder
{
public:
    // The buffer is on the block account while it lives: a message naming it is refused.
    CBusRecordBuilder(UINT _uType, size_t _cchCapacity);
    ~CBusRecordBuilder();
    CBusRecordBuilder(const CBusRecordBuilder&) = delete;
    CBusRecordBuilder& operator=(const CBusRecordBuilder&) = delete;
    // Appends one field line built from the format (cut at the capacity).
    void AddField(const wchar_t* _pszFormat, ...);
    // Appends the footer; the finished record text.
    const wchar_t* Finish();
    // Finishes the record and posts (or sends) it; the result of PostBusRecord.
    int Deliver(HWND _hWnd, BOOL _bSynchronous);
    const wchar_t* Text() const { return m_pszBuffer.get(); }

private:
    // Formats at the end of the text, bounded by what is left of the capacity: the same
    // cut text as formatting the line alone and appending it.
    void AppendV(const wchar_t* _pszFormat, va_list _args);
    void Append(const wchar_t* _pszFormat, ...);

    UINT m_uType;
    size_t m_cchCapacity;
    std::unique_ptr<wchar_t[]> m_pszBuffer;
    size_t m_cchText = 0;
};

// Null stays out of the formatted text: it reads as an empty value.
inline const wchar_t* TextOrEmpty(const wchar_t* _pszText)
{
    return _pszText ? _pszText : L"";
}
