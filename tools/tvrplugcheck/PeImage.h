// A plug-in file read from disk as an image, without loading it: its machine, its exported
// names and the bytes at an address of the image. Nothing of the file is run, so a 32-bit
// plug-in can be examined by a 64-bit checker.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct SPeExport
{
    std::string strName;
    DWORD dwRva;
};

class CPeImage
{
public:
    // False, with the reason, when the file is not a PE image that can be read.
    bool Read(const wchar_t* _pszPath, std::string* _pstrReason);

    WORD Machine() const { return m_wMachine; }
    bool Is32Bit() const { return m_wMachine == IMAGE_FILE_MACHINE_I386; }
    const std::vector<SPeExport>& Exports() const { return m_vecExports; }
    // The export of that exact name, or null.
    const SPeExport* FindExport(const std::string& _strName) const;
    // The bytes of the image from the address to the end of its section (empty outside any
    // section's file data).
    std::vector<uint8_t> BytesAt(DWORD _dwRva, size_t _cbMax) const;

private:
    // File offset of an address of the image; false outside every section's file data.
    bool RvaToOffset(DWORD _dwRva, size_t* _pcbOffset, size_t* _pcbAvailable) const;
    bool ReadExports(DWORD _dwDirRva);
    template <typename T>
    bool ReadAt(size_t _cbOffset, T* _pValue) const;
    std::string TextAt(DWORD _dwRva) const;

    std::vector<uint8_t> m_vecFile;
    std::vector<IMAGE_SECTION_HEADER> m_vecSections;
    std::vector<SPeExport> m_vecExports;
    WORD m_wMachine = 0;
};
