// A record under construction in a buffer of its own: header and Type at once,
// fields in the order added, footer when it is delivered.
#pragma once
#include <windows.h>
#include <vector>

class CBusRecordBuilder
{
public:
    CBusRecordBuilder(UINT _uType, size_t _cchCapacity);
    // Appends one field line built from the format (cut at the capacity).
    void AddField(const wchar_t* _pszFormat, ...);
    // Appends the footer; the finished record text.
    const wchar_t* Finish();
    // Finishes the record and hands it to PostBusRecord.
    int Deliver(HWND _hWnd, BOOL _bSynchronous);
    const wchar_t* Text() const { return m_vecBuffer.data(); }

private:
    UINT m_uType;
    std::vector<wchar_t> m_vecBuffer;
};

// Null stays out of the formatted text: it reads as an empty value.
inline const wchar_t* TextOrEmpty(const wchar_t* _pszText)
{
    return _pszText ? _pszText : L"";
}
