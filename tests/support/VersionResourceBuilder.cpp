#include "VersionResourceBuilder.h"

namespace tvr {

namespace {

typedef std::vector<BYTE> Bytes;

void PadTo4(Bytes& _bytes)
{
    while (_bytes.size() % 4 != 0)
        _bytes.push_back(0);
}

// The text in UTF-16 little-endian with its terminator.
void AppendText(Bytes& _bytes, const std::wstring& _strText)
{
    for (const wchar_t ch : _strText)
    {
        _bytes.push_back(LOBYTE(ch));
        _bytes.push_back(HIBYTE(ch));
    }
    _bytes.push_back(0);
    _bytes.push_back(0);
}

// One node: wLength, wValueLength, wType, key, value, children, each aligned to 4 bytes.
Bytes Node(const std::wstring& _strKey, WORD _wType, const Bytes& _value, WORD _wValueLength, const std::vector<Bytes>& _vecChildren)
{
    Bytes bytes(6, 0);
    AppendText(bytes, _strKey);
    PadTo4(bytes);
    bytes.insert(bytes.end(), _value.begin(), _value.end());
    for (const Bytes& child : _vecChildren)
    {
        PadTo4(bytes);
        bytes.insert(bytes.end(), child.begin(), child.end());
    }
    const WORD awHeader[3] = {static_cast<WORD>(bytes.size()), _wValueLength, _wType};
    for (size_t i = 0; i < 3; ++i)
    {
        bytes[2 * i] = LOBYTE(awHeader[i]);
        bytes[2 * i + 1] = HIBYTE(awHeader[i]);
    }
    return bytes;
}

Bytes StringNode(const std::wstring& _strName, const std::wstring& _strValue)
{
    Bytes value;
    AppendText(value, _strValue);
    return Node(_strName, 1, value, static_cast<WORD>(_strValue.size() + 1), {});
}

Bytes VersionInfo(const WORD (&_awProduct)[4], const WORD (&_awFile)[4], const std::vector<SStringBlock>& _vecBlocks)
{
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = MAKELONG(_awFile[1], _awFile[0]);
    fixed.dwFileVersionLS = MAKELONG(_awFile[3], _awFile[2]);
    fixed.dwProductVersionMS = MAKELONG(_awProduct[1], _awProduct[0]);
    fixed.dwProductVersionLS = MAKELONG(_awProduct[3], _awProduct[2]);
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_DLL;
    const BYTE* pbFixed = reinterpret_cast<const BYTE*>(&fixed);
    std::vector<Bytes> vecTables;
    for (const SStringBlock& block : _vecBlocks)
    {
        std::vector<Bytes> vecStrings;
        for (const auto& entry : block.vecStrings)
            vecStrings.push_back(StringNode(entry.first, entry.second));
        vecTables.push_back(Node(block.strBlock, 1, {}, 0, vecStrings));
    }
    return Node(L"VS_VERSION_INFO", 0, Bytes(pbFixed, pbFixed + sizeof(fixed)), sizeof(fixed),
                {Node(L"StringFileInfo", 1, {}, 0, vecTables)});
}

} // namespace

bool MakeVersionedModule(const std::wstring& _strPath, const WORD (&_awProduct)[4], const WORD (&_awFile)[4],
                         const std::vector<SStringBlock>& _vecBlocks)
{
    if (!CopyFileW(TVR_DIST_DIR L"\\Resource\\EN\\RESOURCE.DLL", _strPath.c_str(), FALSE))
        return false;
    Bytes info = VersionInfo(_awProduct, _awFile, _vecBlocks);
    HANDLE hUpdate = BeginUpdateResourceW(_strPath.c_str(), FALSE);
    if (hUpdate == nullptr)
        return false;
    const BOOL bUpdated = UpdateResourceW(hUpdate, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                          info.data(), static_cast<DWORD>(info.size()));
    return EndUpdateResourceW(hUpdate, !bUpdated) && bUpdated;
}

} // namespace tvr
