#include "bus/CodeAddress.h"

#include "bus/PluginBase.h"

namespace {

const DWORD EXECUTABLE_PAGES = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// The page must still be committed executable memory of that module.
bool IsLiveCodePage(HMODULE _hModule, const void* _pAddress)
{
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(_pAddress, &info, sizeof(info)))
        return false;
    return info.State == MEM_COMMIT && info.AllocationBase == _hModule && (info.Protect & EXECUTABLE_PAGES) != 0;
}

HMODULE FindInListCode(const CPluginBase& _List, const void* _pAddress)
{
    for (int iSlot = 0; iSlot < CPluginBase::MAX_SLOTS; ++iSlot)
    {
        HMODULE hModule = _List.GetModuleHandle(iSlot);
        if (hModule && IsInModuleCode(hModule, _pAddress))
            return hModule;
    }
    return nullptr;
}

}   // namespace

bool IsInModuleCode(HMODULE _hModule, const void* _pAddress)
{
    if (!_hModule || !_pAddress || !IsLiveCodePage(_hModule, _pAddress))
        return false;
    // The image headers of a loaded module are mapped by the loader and trusted.
    const BYTE* pbBase = reinterpret_cast<const BYTE*>(_hModule);
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pbBase);
    if (pDos->e_magic != IMAGE_DOS_SIGNATURE)
        return false;
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pbBase + pDos->e_lfanew);
    if (pNt->Signature != IMAGE_NT_SIGNATURE)
        return false;
    const UINT_PTR uOffset = reinterpret_cast<UINT_PTR>(_pAddress) - reinterpret_cast<UINT_PTR>(pbBase);
    const IMAGE_SECTION_HEADER* pSection = IMAGE_FIRST_SECTION(pNt);
    for (WORD wIndex = 0; wIndex < pNt->FileHeader.NumberOfSections; ++wIndex, ++pSection)
    {
        if (!(pSection->Characteristics & IMAGE_SCN_MEM_EXECUTE))
            continue;
        const UINT_PTR uSize = pSection->Misc.VirtualSize ? pSection->Misc.VirtualSize : pSection->SizeOfRawData;
        if (uOffset >= pSection->VirtualAddress && uOffset - pSection->VirtualAddress < uSize)
            return true;
    }
    return false;
}

bool IsPluginCodeAddress(const void* _pAddress)
{
    return FindPluginModuleAt(_pAddress) != nullptr;
}

HMODULE FindPluginModuleAt(const void* _pAddress)
{
    const CPluginBase* const apLists[] = {&g_PluginDebug, &g_PluginSearch, &g_PluginSave,
                                          &g_PluginInfo,  &g_PluginExtra,  &g_PluginTelephony};
    for (const CPluginBase* pList : apLists)
    {
        if (const HMODULE hModule = FindInListCode(*pList, _pAddress))
            return hModule;
    }
    return nullptr;
}
