// Settings of plug-ins, kept by the host's store rules under each plug-in's module name: the
// functions behind the program's exports TVR_ReadPluginSetting and TVR_WritePluginSetting.
#pragma once
#include <windows.h>

// Copies the plug-in's value into _pszValue (cut to _cchValue - 1 characters; empty when not
// stored) and returns 1. 0, with _pszValue empty where there is room: not on the main
// window's thread, a module that is no plug-in of the six lists, a null text or no room.
int HostReadPluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszValue,
                          int _cchValue);
// Stores the plug-in's value: 1 when stored; 0 when refused as above or not stored.
int HostWritePluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey,
                           const wchar_t* _pszValue);
