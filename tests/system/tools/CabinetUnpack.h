// Reads the bundles tvrctl writes, with the system's own Cabinet API.
#pragma once
#include <windows.h>
#include <string>

// Unpacks a cabinet with the system's Cabinet API (FDI) into the folder ("\" in a name
// becomes "_"); the listing gets "name size\n" for each file.
bool UnpackCabinet(const std::wstring& _strCab, const std::wstring& _strFolder, std::string* _pstrListing);
