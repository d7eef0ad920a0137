// Addresses inside the host process, gathered from outside: the executable sections of its
// modules, pointer values that its private read-write memory holds into that same memory
// (mostly live heap blocks), the stack ranges of its threads, free address space, and every
// other kind of readable memory (module images, mapped files, the highest regions), with
// the places where its memory holds record text.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct AddressRange
{
    UINT_PTR uStart;
    UINT_PTR uEnd;   // one past the last byte
};

struct HostModule
{
    HMODULE hModule;
    std::wstring strPath;
    std::vector<AddressRange> vecCode;   // executable sections
};

class CHostAddressMap
{
public:
    // Reads everything again from the process (after a start or between categories).
    void Refresh(HANDLE _hProcess, const std::wstring& _strProgramFolder);

    const std::vector<HostModule>& Modules() const { return m_vecModules; }
    // Code ranges of the program file, of ntdll and kernel32, and of the plug-ins in the category folders.
    const std::vector<AddressRange>& ProgramCode() const { return m_vecProgramCode; }
    const std::vector<AddressRange>& SystemCode() const { return m_vecSystemCode; }
    const std::vector<AddressRange>& PluginCode() const { return m_vecPluginCode; }
    const std::vector<UINT_PTR>& HeapPointers() const { return m_vecHeapPointers; }
    const std::vector<AddressRange>& Stacks() const { return m_vecStacks; }
    const std::vector<UINT_PTR>& FreeAddresses() const { return m_vecFree; }
    // Readable regions by kind: module images (headers and data too), mapped files, and the
    // highest readable regions of the address space (on 32 bits, where most random values land).
    const std::vector<AddressRange>& ImageRegions() const { return m_vecImages; }
    const std::vector<AddressRange>& MappedRegions() const { return m_vecMapped; }
    const std::vector<AddressRange>& HighestRegions() const { return m_vecHighest; }
    // Addresses where the host's private memory holds the record header text.
    const std::vector<UINT_PTR>& RecordTexts() const { return m_vecRecordTexts; }
    // Content the fuzzer placed in the host (CForgedPage); kept when the map is read again.
    void SetForgedAddresses(const std::vector<UINT_PTR>& _vecAddresses) { m_vecForged = _vecAddresses; }
    const std::vector<UINT_PTR>& ForgedAddresses() const { return m_vecForged; }
    // Address of an export of a module loaded in the host, from the same file loaded here
    // without running it; 0 when the module or the export is missing.
    UINT_PTR RemoteExport(const std::wstring& _strFileName, const char* _pszExport) const;
    const HostModule* FindModule(const std::wstring& _strFileName) const;
    // Reads only the module list and its code ranges again.
    void ReadModules(HANDLE _hProcess, const std::wstring& _strProgramFolder);

private:
    void ReadMemory(HANDLE _hProcess);
    void ScanPrivateMemory(HANDLE _hProcess, const std::vector<AddressRange>& _vecRegions);
    void ReadStacks(HANDLE _hProcess);

    std::vector<HostModule> m_vecModules;
    std::vector<AddressRange> m_vecProgramCode;
    std::vector<AddressRange> m_vecSystemCode;
    std::vector<AddressRange> m_vecPluginCode;
    std::vector<UINT_PTR> m_vecHeapPointers;
    std::vector<AddressRange> m_vecStacks;
    std::vector<UINT_PTR> m_vecFree;
    std::vector<AddressRange> m_vecImages;
    std::vector<AddressRange> m_vecMapped;
    std::vector<AddressRange> m_vecHighest;
    std::vector<UINT_PTR> m_vecRecordTexts;
    std::vector<UINT_PTR> m_vecForged;
};

// Upper-case copy, for path comparisons.
std::wstring UpperText(std::wstring _str);
// File name part of a path.
std::wstring FileNameOf(const std::wstring& _strPath);
