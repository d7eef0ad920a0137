// Probing memory before reading it: for pointers, lengths and texts that arrive in window
// messages from plug-ins or other processes, which the host cannot vouch for. A region is
// asked for before any byte of it is read, so an unreadable page is never touched.
#pragma once
#include <windows.h>

#include <cstring>

// End of the committed, readable memory region that holds the address; nullptr when the
// address is not readable.
inline const BYTE* GetReadableRegionEnd(const void* _pAddress)
{
    const DWORD dwReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                             PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(_pAddress, &mbi, sizeof(mbi)) != sizeof(mbi))
        return nullptr;
    if (mbi.State != MEM_COMMIT || !(mbi.Protect & dwReadable) || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
        return nullptr;
    const BYTE* pRegionEnd = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
    return pRegionEnd > static_cast<const BYTE*>(_pAddress) ? pRegionEnd : nullptr;
}

// True when every byte of [_pStart, _pStart + _cbSize) lies in committed, readable pages.
// A range that would run past the end of the address space is not readable.
inline bool IsBusMemoryReadable(const void* _pStart, size_t _cbSize)
{
    const UINT_PTR uStart = reinterpret_cast<UINT_PTR>(_pStart);
    if (_cbSize > ~uStart)
        return false;
    const BYTE* pCursor = static_cast<const BYTE*>(_pStart);
    const BYTE* pEnd = pCursor + _cbSize;
    while (pCursor < pEnd)
    {
        pCursor = GetReadableRegionEnd(pCursor);
        if (pCursor == nullptr)
            return false;
    }
    return true;
}

// Characters before the first terminator among the first _cchMax characters, which must all
// be readable; _cchMax when there is none. Aligned eight-byte words are tested four
// characters at a time, and no byte outside the range is read.
inline size_t BoundedTextLength(const wchar_t* _pszText, size_t _cchMax)
{
    const unsigned long long ullLowBits = 0x0001000100010001ULL;
    const unsigned long long ullHighBits = 0x8000800080008000ULL;
    size_t i = 0;
    while (i < _cchMax && (reinterpret_cast<UINT_PTR>(_pszText + i) & 7) != 0)
    {
        if (_pszText[i] == L'\0')
            return i;
        ++i;
    }
    // The words are read by address: a word may hold characters behind the terminator, which
    // lie in the range and so are readable, but outside the text as the compiler sees it.
    const UINT_PTR uWords = reinterpret_cast<UINT_PTR>(_pszText);
    for (; _cchMax - i >= 4; i += 4)
    {
        unsigned long long ullWord;
        memcpy(&ullWord, reinterpret_cast<const void*>(uWords + i * sizeof(wchar_t)), sizeof(ullWord));
        if (((ullWord - ullLowBits) & ~ullWord & ullHighBits) != 0)
            break;   // a zero character among these four
    }
    while (i < _cchMax && _pszText[i] != L'\0')
        ++i;
    return i;
}

// Length of a wide text whose characters up to and including the terminator all lie in
// readable memory, scanning at most _cchMax characters; -1 when the text is null,
// unreadable or not terminated within that bound. Each region is checked before the
// scan enters it, so a text that runs into an unreadable page is never touched there;
// within a region the terminator is searched for in one pass.
inline INT_PTR GetBusTextLength(const wchar_t* _pszText, size_t _cchMax = ((size_t)-1) / sizeof(wchar_t))
{
    if (_pszText == nullptr)
        return -1;
    const UINT_PTR uBase = reinterpret_cast<UINT_PTR>(_pszText);
    const size_t cchAddressable = (~uBase) / sizeof(wchar_t);   // characters before the end of the address space
    UINT_PTR uKnownEnd = uBase;
    size_t cchScanned = 0;
    while (cchScanned < _cchMax)
    {
        if (cchScanned >= cchAddressable)
            return -1;
        const UINT_PTR uCharEnd = uBase + (cchScanned + 1) * sizeof(wchar_t);
        while (uCharEnd > uKnownEnd)
        {
            const BYTE* pRegionEnd = GetReadableRegionEnd(reinterpret_cast<const void*>(uKnownEnd));
            if (pRegionEnd == nullptr)
                return -1;
            uKnownEnd = reinterpret_cast<UINT_PTR>(pRegionEnd);
        }
        // The characters that lie wholly in readable memory from here on, within the bound.
        size_t cchChunk = (uKnownEnd - uBase) / sizeof(wchar_t) - cchScanned;
        if (cchChunk > _cchMax - cchScanned)
            cchChunk = _cchMax - cchScanned;
        const size_t cchFound = BoundedTextLength(_pszText + cchScanned, cchChunk);
        if (cchFound < cchChunk)
            return static_cast<INT_PTR>(cchScanned + cchFound);
        cchScanned += cchChunk;
    }
    return -1;
}

// The text when it is terminated within _cchMax characters of readable memory, else an empty
// text: what a receiver reads when a text comes from a pointer it cannot vouch for.
inline const wchar_t* ReadableTextOrEmpty(const wchar_t* _pszText, size_t _cchMax = ((size_t)-1) / sizeof(wchar_t))
{
    return GetBusTextLength(_pszText, _cchMax) < 0 ? L"" : _pszText;
}
