// Facts about the machine that both start-up reports trace.
#pragma once
#include <windows.h>

struct SystemFacts
{
    wchar_t szComputerName[512] = L"";
    wchar_t szUserName[512] = L"";
    wchar_t szLanguage[8] = L"";   // system default language id in hexadecimal
    wchar_t szWindowsDir[MAX_PATH] = L"";
    UINT uWindowsDirLength = 0;   // as returned by GetWindowsDirectoryW
    wchar_t szSystemDir[MAX_PATH] = L"";
    SYSTEM_INFO Info = {};
};

SystemFacts ReadSystemFacts();
