#include "HostMemory.h"

#include <psapi.h>

#include <cstddef>

#include <algorithm>
#include <set>

namespace tvr {

namespace {

struct SRegion
{
    UINT_PTR uStart;
    UINT_PTR uEnd;
};

template <typename T>
bool ReadRemote(HANDLE _hProcess, UINT_PTR _uAddress, T* _pValue)
{
    SIZE_T cbRead = 0;
    return ReadProcessMemory(_hProcess, reinterpret_cast<const void*>(_uAddress), _pValue, sizeof(T), &cbRead) &&
           cbRead == sizeof(T);
}

std::vector<SRegion> PrivateReadWriteRegions(HANDLE _hProcess)
{
    std::vector<SRegion> vecRegions;
    MEMORY_BASIC_INFORMATION info = {};
    for (UINT_PTR uAddress = 0x10000;
         VirtualQueryEx(_hProcess, reinterpret_cast<const void*>(uAddress), &info, sizeof(info)) == sizeof(info);)
    {
        const UINT_PTR uStart = reinterpret_cast<UINT_PTR>(info.BaseAddress);
        const UINT_PTR uEnd = uStart + info.RegionSize;
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE && info.Protect == PAGE_READWRITE)
            vecRegions.push_back({uStart, uEnd});
        if (uEnd <= uAddress)
            break;
        uAddress = uEnd;
    }
    return vecRegions;
}

bool IsInRegions(const std::vector<SRegion>& _vecRegions, UINT_PTR _uValue)
{
    return std::any_of(_vecRegions.begin(), _vecRegions.end(),
                       [&](const SRegion& _region) { return _uValue >= _region.uStart && _uValue < _region.uEnd; });
}

} // namespace

std::vector<LPARAM> ProgramCodeAddresses(HANDLE _hProcess, size_t _uStep)
{
    std::vector<LPARAM> vecAddresses;
    HMODULE hModule = nullptr;
    DWORD cbNeeded = 0;
    if (!EnumProcessModules(_hProcess, &hModule, sizeof(hModule), &cbNeeded) || !hModule)
        return vecAddresses;
    const UINT_PTR uBase = reinterpret_cast<UINT_PTR>(hModule);
    IMAGE_DOS_HEADER dos = {};
    IMAGE_NT_HEADERS nt = {};
    if (!ReadRemote(_hProcess, uBase, &dos) || !ReadRemote(_hProcess, uBase + dos.e_lfanew, &nt))
        return vecAddresses;
    const UINT_PTR uSections = uBase + dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                               nt.FileHeader.SizeOfOptionalHeader;
    for (WORD wIndex = 0; wIndex < nt.FileHeader.NumberOfSections; ++wIndex)
    {
        IMAGE_SECTION_HEADER section = {};
        if (!ReadRemote(_hProcess, uSections + wIndex * sizeof(section), &section) ||
            !(section.Characteristics & IMAGE_SCN_MEM_EXECUTE))
            continue;
        for (UINT_PTR uOffset = 0; uOffset < section.Misc.VirtualSize; uOffset += _uStep)
            vecAddresses.push_back(static_cast<LPARAM>(uBase + section.VirtualAddress + uOffset));
    }
    return vecAddresses;
}

std::vector<LPARAM> HeapBlockAddresses(HANDLE _hProcess, size_t _uMax)
{
    const std::vector<SRegion> vecRegions = PrivateReadWriteRegions(_hProcess);
    std::set<UINT_PTR> setFound;
    std::vector<UINT_PTR> vecChunk(4096 / sizeof(UINT_PTR));
    for (const SRegion& region : vecRegions)
    {
        for (UINT_PTR uPage = region.uStart; uPage < region.uEnd && setFound.size() < _uMax; uPage += 4096)
        {
            SIZE_T cbRead = 0;
            if (!ReadProcessMemory(_hProcess, reinterpret_cast<const void*>(uPage), vecChunk.data(), 4096, &cbRead))
                continue;
            for (size_t i = 0; i < cbRead / sizeof(UINT_PTR) && setFound.size() < _uMax; ++i)
            {
                const UINT_PTR uValue = vecChunk[i];
                if (uValue % MEMORY_ALLOCATION_ALIGNMENT == 0 && IsInRegions(vecRegions, uValue))
                    setFound.insert(uValue);
            }
        }
    }
    return std::vector<LPARAM>(setFound.begin(), setFound.end());
}

CRemoteBuffer::CRemoteBuffer(HANDLE _hProcess, size_t _cbSize)
    : m_hProcess(_hProcess), m_pAddress(VirtualAllocEx(_hProcess, nullptr, _cbSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{
}

CRemoteBuffer::~CRemoteBuffer()
{
    if (m_pAddress)
        VirtualFreeEx(m_hProcess, m_pAddress, 0, MEM_RELEASE);
}

bool CRemoteBuffer::Write(const void* _pData, size_t _cbData, size_t _cbOffset) const
{
    return m_pAddress && WriteProcessMemory(m_hProcess, static_cast<BYTE*>(m_pAddress) + _cbOffset, _pData, _cbData, nullptr);
}

bool CRemoteBuffer::Read(void* _pData, size_t _cbData, size_t _cbOffset) const
{
    return m_pAddress && ReadProcessMemory(m_hProcess, static_cast<BYTE*>(m_pAddress) + _cbOffset, _pData, _cbData, nullptr);
}

} // namespace tvr
