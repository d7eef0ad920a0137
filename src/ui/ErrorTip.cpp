// The tray tooltip for an ERROR status: the product name, then, when it fits within the
// tooltip's 127 characters, the status text (cut with "...") and the hint text.
#include "ui/InfoIcon.h"

#include <strsafe.h>
#include <cwchar>

namespace {

const size_t TIP_CHARS = 127;
const size_t TIP_FRAME_CHARS = 7;   // "\r\n" + "..." + "\r\n"
const size_t STATUS_TEXT_CHARS = 127;

} // namespace

void CInfoIcon::BuildErrorTip(const wchar_t* _pszProductName, const wchar_t* _pszText, const wchar_t* _pszHint,
                              wchar_t* _pszOut, size_t _cchOut)
{
    if (!_pszOut || _cchOut == 0)
        return;
    const wchar_t* pszProduct = _pszProductName ? _pszProductName : L"";
    const wchar_t* pszHint = _pszHint ? _pszHint : L"";
    const size_t cchText = _pszText ? wcsnlen(_pszText, STATUS_TEXT_CHARS) : 0;
    StringCchCopyW(_pszOut, _cchOut, pszProduct);
    const size_t cchFrame = wcslen(pszProduct) + TIP_FRAME_CHARS + wcslen(pszHint);
    if (cchText == 0 || cchFrame >= TIP_CHARS)
        return;
    const size_t cchRoom = TIP_CHARS - cchFrame;
    StringCchCatW(_pszOut, _cchOut, L"\r\n");
    StringCchCatNW(_pszOut, _cchOut, _pszText, cchText < cchRoom ? cchText : cchRoom);
    if (cchText > cchRoom)
        StringCchCatW(_pszOut, _cchOut, L"...");
    StringCchCatW(_pszOut, _cchOut, L"\r\n");
    StringCchCatW(_pszOut, _cchOut, pszHint);
}
