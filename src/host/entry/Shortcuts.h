// Shortcuts of the -S switch: one in the all-users Startup folder, one in the all-users Start Menu.
#pragma once
void CreateStartupShortcut(const wchar_t* _pszTarget, const wchar_t* _pszLinkName);
void CreateStartMenuShortcut(const wchar_t* _pszMenuFolder, const wchar_t* _pszLinkName, const wchar_t* _pszTarget);
