#include "ui/QelMessageBox.h"
#include "config/VersionTool.h"

int CQelMessageBox::ShowMessageBox(HWND _hWndOwner, const wchar_t* _pszText, const wchar_t* _pszCaption, UINT _uFlags)
{
    if (_pszCaption == nullptr)
    {
        const CVersionTool version;
        return MessageBoxW(_hWndOwner, _pszText, version.GetProductName(), _uFlags);
    }
    return MessageBoxW(_hWndOwner, _pszText, _pszCaption, _uFlags);
}
