#include "ui/ModuleListText.h"

#include <commctrl.h>
#include <strsafe.h>

namespace {

const wchar_t HEADER[] = L"Modul;Produktversion;Dateiversion;\r\n";
const int CELLS_PER_ROW = 3;

// Gives the block to the clipboard, which then owns it.
bool PutOnClipboard(HWND _hWndOwner, const wchar_t* _pszText)
{
    const size_t cbText = (wcslen(_pszText) + 1) * sizeof(wchar_t);
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, cbText);
    if (!hBlock)
        return false;
    void* pBlock = GlobalLock(hBlock);
    if (pBlock)
    {
        memcpy(pBlock, _pszText, cbText);
        GlobalUnlock(hBlock);
    }
    if (!pBlock || !OpenClipboard(_hWndOwner))
    {
        GlobalFree(hBlock);
        return false;
    }
    // Emptied first: formats of an earlier copy would otherwise stay beside the text, and a
    // program that prefers them would paste the earlier content.
    const bool bPut = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, hBlock) != nullptr;
    CloseClipboard();
    if (!bPut)
        GlobalFree(hBlock);
    return bPut;
}

} // namespace

void BuildModuleListText(HWND _hWndList, wchar_t* _pszText, size_t _cchText)
{
    const size_t cchText = _cchText < MODULE_TEXT_MAX_CHARS + 1 ? _cchText : MODULE_TEXT_MAX_CHARS + 1;
    StringCchCopyW(_pszText, cchText, HEADER);
    for (int iRow = ListView_GetNextItem(_hWndList, -1, LVNI_SELECTED); iRow >= 0;
         iRow = ListView_GetNextItem(_hWndList, iRow, LVNI_SELECTED))
    {
        for (int iCell = 0; iCell < CELLS_PER_ROW; ++iCell)
        {
            wchar_t szCell[MODULE_CELL_MAX_CHARS + 1] = L"";
            ListView_GetItemText(_hWndList, iRow, iCell, szCell, ARRAYSIZE(szCell));
            StringCchCatW(_pszText, cchText, szCell);
            StringCchCatW(_pszText, cchText, L";");
        }
        StringCchCatW(_pszText, cchText, L"\r\n");
    }
}

bool CopyModuleListText(HWND _hWndList, HWND _hWndOwner)
{
    wchar_t szText[MODULE_TEXT_MAX_CHARS + 1] = L"";
    BuildModuleListText(_hWndList, szText, ARRAYSIZE(szText));
    return PutOnClipboard(_hWndOwner, szText);
}
