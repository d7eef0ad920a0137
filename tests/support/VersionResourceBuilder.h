// Writes a version resource of chosen string blocks into a copy of a built module, through
// the system's resource update functions, so the reader meets real version data.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace tvr {

struct SStringBlock
{
    std::wstring strBlock;   // for example "040904b0"
    std::vector<std::pair<std::wstring, std::wstring>> vecStrings;
};

// Copies the English language module of the build to _strPath and gives it a version
// resource with the product version _wProduct[4], file version _wFile[4] and the blocks.
bool MakeVersionedModule(const std::wstring& _strPath, const WORD (&_awProduct)[4], const WORD (&_awFile)[4],
                         const std::vector<SStringBlock>& _vecBlocks);

} // namespace tvr
