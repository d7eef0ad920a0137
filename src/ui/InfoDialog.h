// The program information dialog: product name, version and the maker's web address as a
// link that opens in the default browser. One dialog at a time, modal on the calling thread.
#pragma once
#include <windows.h>

class CInfoIcon;

// Brings an open dialog to the front, else runs it (returns when it ends). _icon lends the
// hand cursor, the link font, the button-face brush and the window icon.
void RunInfoDialog(const CInfoIcon& _icon);
// Ends an open dialog as its OK button would.
void EndInfoDialog();
// The open dialog; null when none is open.
HWND GetInfoDialog();

// The maker's web address that the link shows; the link opens it with "https://" in front.
extern const wchar_t INFO_MAKER_ADDRESS[];
