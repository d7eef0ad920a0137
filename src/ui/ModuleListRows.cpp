#include "ui/ModuleListRows.h"

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

}   // namespace

void AddModuleRow(HWND _hWndList, const wchar_t* _pszName, const wchar_t* _pszProduct, const wchar_t* _pszFile,
                  int _iImage, HMODULE _hModule)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(_hWndList);
    item.pszText = const_cast<wchar_t*>(_pszName);
    item.iImage = _iImage;
    item.lParam = reinterpret_cast<LPARAM>(_hModule);
    const int iRow = ListView_InsertItem(_hWndList, &item);
    if (iRow < 0)
        return;
    const wchar_t* apszCells[] = {_pszProduct, _pszFile};
    for (int i = 0; i < 2; ++i)
    {
        LVITEMW cell = {};
        cell.mask = LVIF_TEXT | LVIF_IMAGE;
        cell.iItem = iRow;
        cell.iSubItem = i + 1;
        cell.pszText = const_cast<wchar_t*>(apszCells[i]);
        cell.iImage = I_IMAGENONE;
        ListView_SetItem(_hWndList, &cell);
    }
}

int GetModuleRowImage(HWND _hWndList, int _iRow)
{
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = _iRow;
    return ListView_GetItem(_hWndList, &item) ? item.iImage : -1;
}

void SetModuleRowImage(HWND _hWndList, int _iRow, int _iImage)
{
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = _iRow;
    item.iImage = _iImage;
    ListView_SetItem(_hWndList, &item);
}

HMODULE GetModuleRowModule(HWND _hWndList, int _iRow)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = _iRow;
    return ListView_GetItem(_hWndList, &item) ? reinterpret_cast<HMODULE>(item.lParam) : nullptr;
}

bool HasModuleRowNamed(HWND _hWndList, const wchar_t* _pszName)
{
    const int iRows = ListView_GetItemCount(_hWndList);
    for (int i = 0; i < iRows; ++i)
    {
        wchar_t szName[MODULE_CELL_MAX_CHARS + 1] = L"";
        ListView_GetItemText(_hWndList, i, 0, szName, ARRAYSIZE(szName));
        if (CompareStringOrdinal(szName, -1, _pszName, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

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
