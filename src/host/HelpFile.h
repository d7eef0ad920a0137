// The help file name: the product name without blanks, upper-cased, plus ".CHM",
// when such a file is in the current directory; else "QELMARIS.CHM".
#pragma once
#include <cstddef>

void BuildHelpFileName(const wchar_t* _pszProductName, wchar_t* _pszOut, size_t _cchOut);
