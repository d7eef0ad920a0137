#include "PeImage.h"

#include <cstring>

#include "base/Handle.h"

namespace {

const size_t MAX_IMAGE_BYTES = 256u * 1024u * 1024u;
const DWORD MAX_EXPORT_NAMES = 65536;

bool ReadWholeFile(const wchar_t* _pszPath, std::vector<uint8_t>* _pvecBytes)
{
    CFileHandle hFile(CreateFileW(_pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!hFile || !GetFileSizeEx(hFile.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > MAX_IMAGE_BYTES)
        return false;
    _pvecBytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD cbRead = 0;
    return ReadFile(hFile.Get(), _pvecBytes->data(), static_cast<DWORD>(_pvecBytes->size()), &cbRead, nullptr) &&
           cbRead == _pvecBytes->size();
}

} // namespace

template <typename T>
bool CPeImage::ReadAt(size_t _cbOffset, T* _pValue) const
{
    if (_cbOffset > m_vecFile.size() || m_vecFile.size() - _cbOffset < sizeof(T))
        return false;
    memcpy(_pValue, m_vecFile.data() + _cbOffset, sizeof(T));
    return true;
}

bool CPeImage::Read(const wchar_t* _pszPath, std::string* _pstrReason)
{
    if (!ReadWholeFile(_pszPath, &m_vecFile))
    {
        *_pstrReason = "the file cannot be read";
        return false;
    }
    IMAGE_DOS_HEADER dos = {};
    DWORD dwSignature = 0;
    IMAGE_FILE_HEADER file = {};
    if (!ReadAt(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
        !ReadAt(static_cast<size_t>(dos.e_lfanew), &dwSignature) || dwSignature != IMAGE_NT_SIGNATURE ||
        !ReadAt(static_cast<size_t>(dos.e_lfanew) + 4, &file))
    {
        *_pstrReason = "not a Windows PE image";
        return false;
    }
    m_wMachine = file.Machine;
    const size_t cbOptional = static_cast<size_t>(dos.e_lfanew) + 4 + sizeof(IMAGE_FILE_HEADER);
    WORD wMagic = 0;
    ReadAt(cbOptional, &wMagic);
    IMAGE_DATA_DIRECTORY exportDir = {};
    if (wMagic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        ReadAt(cbOptional + offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory), &exportDir);
    else if (wMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        ReadAt(cbOptional + offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory), &exportDir);
    else
    {
        *_pstrReason = "unknown optional header";
        return false;
    }
    const size_t cbSections = cbOptional + file.SizeOfOptionalHeader;
    for (WORD i = 0; i < file.NumberOfSections; ++i)
    {
        IMAGE_SECTION_HEADER section = {};
        if (!ReadAt(cbSections + i * sizeof(section), &section))
            break;
        m_vecSections.push_back(section);
    }
    if (exportDir.VirtualAddress != 0 && !ReadExports(exportDir.VirtualAddress))
    {
        *_pstrReason = "the export directory cannot be read";
        return false;
    }
    return true;
}

bool CPeImage::RvaToOffset(DWORD _dwRva, size_t* _pcbOffset, size_t* _pcbAvailable) const
{
    for (const IMAGE_SECTION_HEADER& section : m_vecSections)
    {
        const DWORD dwStart = section.VirtualAddress;
        const DWORD dwSize = section.SizeOfRawData < section.Misc.VirtualSize || section.Misc.VirtualSize == 0
                                 ? section.SizeOfRawData
                                 : section.Misc.VirtualSize;
        if (_dwRva < dwStart || _dwRva - dwStart >= dwSize)
            continue;
        const size_t cbOffset = static_cast<size_t>(section.PointerToRawData) + (_dwRva - dwStart);
        if (cbOffset >= m_vecFile.size())
            return false;
        *_pcbOffset = cbOffset;
        const size_t cbInSection = dwSize - (_dwRva - dwStart);
        *_pcbAvailable = cbInSection < m_vecFile.size() - cbOffset ? cbInSection : m_vecFile.size() - cbOffset;
        return true;
    }
    return false;
}

std::string CPeImage::TextAt(DWORD _dwRva) const
{
    size_t cbOffset = 0;
    size_t cbAvailable = 0;
    if (!RvaToOffset(_dwRva, &cbOffset, &cbAvailable))
        return std::string();
    const char* pszText = reinterpret_cast<const char*>(m_vecFile.data() + cbOffset);
    return std::string(pszText, strnlen(pszText, cbAvailable < 512 ? cbAvailable : 512));
}

bool CPeImage::ReadExports(DWORD _dwDirRva)
{
    size_t cbOffset = 0;
    size_t cbAvailable = 0;
    IMAGE_EXPORT_DIRECTORY dir = {};
    if (!RvaToOffset(_dwDirRva, &cbOffset, &cbAvailable) || !ReadAt(cbOffset, &dir))
        return false;
    if (dir.NumberOfNames > MAX_EXPORT_NAMES)
        return false;
    size_t cbNames = 0;
    size_t cbOrdinals = 0;
    size_t cbFunctions = 0;
    if (dir.NumberOfNames == 0)
        return true;
    if (!RvaToOffset(dir.AddressOfNames, &cbNames, &cbAvailable) ||
        !RvaToOffset(dir.AddressOfNameOrdinals, &cbOrdinals, &cbAvailable) ||
        !RvaToOffset(dir.AddressOfFunctions, &cbFunctions, &cbAvailable))
        return false;
    for (DWORD i = 0; i < dir.NumberOfNames; ++i)
    {
        DWORD dwNameRva = 0;
        WORD wOrdinal = 0;
        DWORD dwFunctionRva = 0;
        if (!ReadAt(cbNames + i * sizeof(DWORD), &dwNameRva) || !ReadAt(cbOrdinals + i * sizeof(WORD), &wOrdinal) ||
            wOrdinal >= dir.NumberOfFunctions || !ReadAt(cbFunctions + wOrdinal * sizeof(DWORD), &dwFunctionRva))
            return false;
        m_vecExports.push_back({TextAt(dwNameRva), dwFunctionRva});
    }
    return true;
}

const SPeExport* CPeImage::FindExport(const std::string& _strName) const
{
    for (const SPeExport& entry : m_vecExports)
        if (entry.strName == _strName)
            return &entry;
    return nullptr;
}

std::vector<uint8_t> CPeImage::BytesAt(DWORD _dwRva, size_t _cbMax) const
{
    size_t cbOffset = 0;
    size_t cbAvailable = 0;
    if (!RvaToOffset(_dwRva, &cbOffset, &cbAvailable))
        return {};
    const size_t cbTake = cbAvailable < _cbMax ? cbAvailable : _cbMax;
    return std::vector<uint8_t>(m_vecFile.begin() + cbOffset, m_vecFile.begin() + cbOffset + cbTake);
}
