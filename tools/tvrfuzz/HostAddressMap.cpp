#include "HostAddressMap.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace {

const SIZE_T MAX_REGION_READ = 1 << 20;        // bytes read of one region
const SIZE_T MAX_TOTAL_READ = 32 << 20;        // bytes read of all regions
const size_t MAX_HEAP_POINTERS = 20000;
const size_t MAX_FREE_ADDRESSES = 256;
const size_t HIGHEST_REGIONS = 16;
const size_t MAX_RECORD_TEXTS = 256;
const wchar_t RECORD_HEADER[] = L"<?xml version=";

bool IsReadable(const MEMORY_BASIC_INFORMATION& _mbi)
{
    const DWORD dwReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                             PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return _mbi.State == MEM_COMMIT && (_mbi.Protect & dwReadable) && !(_mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS));
}

struct ThreadBasicInformation
{
    LONG lExitStatus;
    PVOID pTebBaseAddress;
    PVOID apClientId[2];
    ULONG_PTR uAffinityMask;
    LONG lPriority;
    LONG lBasePriority;
};
typedef LONG(WINAPI* PFN_NtQueryInformationThread)(HANDLE, int, PVOID, ULONG, PULONG);
const int THREAD_BASIC_INFORMATION_CLASS = 0;

bool ReadRemote(HANDLE _hProcess, UINT_PTR _uAddress, void* _pBuffer, SIZE_T _cbSize)
{
    SIZE_T cbRead = 0;
    return ReadProcessMemory(_hProcess, reinterpret_cast<LPCVOID>(_uAddress), _pBuffer, _cbSize, &cbRead) &&
           cbRead == _cbSize;
}

// Executable sections of a module, from its headers in the other process.
std::vector<AddressRange> CodeSections(HANDLE _hProcess, HMODULE _hModule)
{
    std::vector<AddressRange> vecRanges;
    const UINT_PTR uBase = reinterpret_cast<UINT_PTR>(_hModule);
    IMAGE_DOS_HEADER dos = {};
    if (!ReadRemote(_hProcess, uBase, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 ||
        dos.e_lfanew > 4096)
        return vecRanges;
    IMAGE_NT_HEADERS nt = {};
    if (!ReadRemote(_hProcess, uBase + dos.e_lfanew, &nt, sizeof(nt)) || nt.Signature != IMAGE_NT_SIGNATURE)
        return vecRanges;
    const UINT_PTR uSections = uBase + dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                               nt.FileHeader.SizeOfOptionalHeader;
    const WORD wCount = std::min<WORD>(nt.FileHeader.NumberOfSections, 96);
    std::vector<IMAGE_SECTION_HEADER> vecSections(wCount);
    if (wCount == 0 || !ReadRemote(_hProcess, uSections, vecSections.data(), wCount * sizeof(IMAGE_SECTION_HEADER)))
        return vecRanges;
    for (const IMAGE_SECTION_HEADER& section : vecSections)
    {
        const DWORD dwSize = section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
        if ((section.Characteristics & IMAGE_SCN_MEM_EXECUTE) && dwSize > 0)
            vecRanges.push_back({uBase + section.VirtualAddress, uBase + section.VirtualAddress + dwSize});
    }
    return vecRanges;
}

bool IsPluginPath(const std::wstring& _strUpperPath, const std::wstring& _strUpperFolder)
{
    return _strUpperPath.compare(0, _strUpperFolder.size(), _strUpperFolder) == 0 &&
           _strUpperPath.compare(_strUpperFolder.size(), 6, L"PLUGIN") == 0 &&
           _strUpperPath.find(L'\\', _strUpperFolder.size()) != std::wstring::npos;
}

bool IsInRanges(const std::vector<AddressRange>& _vecSorted, UINT_PTR _uAddress)
{
    auto it = std::upper_bound(_vecSorted.begin(), _vecSorted.end(), _uAddress,
                               [](UINT_PTR _u, const AddressRange& _r) { return _u < _r.uStart; });
    return it != _vecSorted.begin() && _uAddress < (it - 1)->uEnd;
}

} // namespace

std::wstring UpperText(std::wstring _str)
{
    std::transform(_str.begin(), _str.end(), _str.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return _str;
}

std::wstring FileNameOf(const std::wstring& _strPath)
{
    return _strPath.substr(_strPath.find_last_of(L"\\/") + 1);
}

void CHostAddressMap::Refresh(HANDLE _hProcess, const std::wstring& _strProgramFolder)
{
    ReadModules(_hProcess, _strProgramFolder);
    ReadMemory(_hProcess);
    ReadStacks(_hProcess);
}

void CHostAddressMap::ReadModules(HANDLE _hProcess, const std::wstring& _strProgramFolder)
{
    m_vecModules.clear();
    m_vecProgramCode.clear();
    m_vecSystemCode.clear();
    m_vecPluginCode.clear();
    std::vector<HMODULE> vecHandles(1024);
    DWORD cbNeeded = 0;
    if (!EnumProcessModulesEx(_hProcess, vecHandles.data(), static_cast<DWORD>(vecHandles.size() * sizeof(HMODULE)),
                              &cbNeeded, LIST_MODULES_ALL))
        return;
    vecHandles.resize(std::min<size_t>(vecHandles.size(), cbNeeded / sizeof(HMODULE)));
    const std::wstring strUpperFolder = UpperText(_strProgramFolder);
    for (size_t i = 0; i < vecHandles.size(); ++i)
    {
        wchar_t szPath[MAX_PATH * 4] = L"";
        GetModuleFileNameExW(_hProcess, vecHandles[i], szPath, ARRAYSIZE(szPath));
        HostModule module = {vecHandles[i], szPath, CodeSections(_hProcess, vecHandles[i])};
        const std::wstring strUpper = UpperText(module.strPath);
        const std::wstring strName = FileNameOf(strUpper);
        std::vector<AddressRange>* pTarget = nullptr;
        if (i == 0)
            pTarget = &m_vecProgramCode;   // the first module listed is the program file
        else if (strName == L"NTDLL.DLL" || strName == L"KERNEL32.DLL")
            pTarget = &m_vecSystemCode;
        else if (IsPluginPath(strUpper, strUpperFolder))
            pTarget = &m_vecPluginCode;
        if (pTarget)
            pTarget->insert(pTarget->end(), module.vecCode.begin(), module.vecCode.end());
        m_vecModules.push_back(std::move(module));
    }
}

void CHostAddressMap::ReadMemory(HANDLE _hProcess)
{
    m_vecFree.clear();
    m_vecImages.clear();
    m_vecMapped.clear();
    m_vecHighest.clear();
    std::vector<AddressRange> vecPrivate;
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    UINT_PTR uAddress = reinterpret_cast<UINT_PTR>(info.lpMinimumApplicationAddress);
    const UINT_PTR uMax = reinterpret_cast<UINT_PTR>(info.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION mbi = {};
    while (uAddress < uMax && VirtualQueryEx(_hProcess, reinterpret_cast<LPCVOID>(uAddress), &mbi, sizeof(mbi)) == sizeof(mbi))
    {
        const UINT_PTR uStart = reinterpret_cast<UINT_PTR>(mbi.BaseAddress);
        const UINT_PTR uEnd = uStart + mbi.RegionSize;
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE && mbi.Protect == PAGE_READWRITE)
            vecPrivate.push_back({uStart, uEnd});
        else if (mbi.State == MEM_FREE && m_vecFree.size() < MAX_FREE_ADDRESSES && mbi.RegionSize >= 0x10000)
            m_vecFree.push_back(uStart + 0x1000 * (m_vecFree.size() % 15) + 0x28);
        if (IsReadable(mbi))
        {
            if (mbi.Type == MEM_IMAGE)
                m_vecImages.push_back({uStart, uEnd});
            else if (mbi.Type == MEM_MAPPED)
                m_vecMapped.push_back({uStart, uEnd});
            m_vecHighest.push_back({uStart, uEnd});
            if (m_vecHighest.size() > HIGHEST_REGIONS)
                m_vecHighest.erase(m_vecHighest.begin());
        }
        if (uEnd <= uAddress)
            break;
        uAddress = uEnd;
    }
    ScanPrivateMemory(_hProcess, vecPrivate);
}

// Pointer values into the private read-write memory, and the places of record text in it.
void CHostAddressMap::ScanPrivateMemory(HANDLE _hProcess, const std::vector<AddressRange>& _vecRegions)
{
    m_vecHeapPointers.clear();
    m_vecRecordTexts.clear();
    const size_t cchHeader = ARRAYSIZE(RECORD_HEADER) - 1;
    std::set<UINT_PTR> setFound;
    SIZE_T cbTotal = 0;
    std::vector<UINT_PTR> vecWords(MAX_REGION_READ / sizeof(UINT_PTR));
    for (const AddressRange& region : _vecRegions)
    {
        const SIZE_T cbRead = std::min<SIZE_T>(region.uEnd - region.uStart, MAX_REGION_READ);
        if (cbTotal + cbRead > MAX_TOTAL_READ || setFound.size() >= MAX_HEAP_POINTERS)
            break;
        SIZE_T cbDone = 0;
        if (!ReadProcessMemory(_hProcess, reinterpret_cast<LPCVOID>(region.uStart), vecWords.data(), cbRead, &cbDone))
            continue;
        cbTotal += cbDone;
        for (size_t i = 0; i < cbDone / sizeof(UINT_PTR) && setFound.size() < MAX_HEAP_POINTERS; ++i)
        {
            const UINT_PTR uValue = vecWords[i];
            if (uValue % sizeof(UINT_PTR) == 0 && IsInRanges(_vecRegions, uValue))
                setFound.insert(uValue);
        }
        const wchar_t* pszText = reinterpret_cast<const wchar_t*>(vecWords.data());
        const size_t cchText = cbDone / sizeof(wchar_t);
        for (size_t i = 0; i + cchHeader <= cchText && m_vecRecordTexts.size() < MAX_RECORD_TEXTS; ++i)
        {
            if (pszText[i] == L'<' && std::equal(RECORD_HEADER, RECORD_HEADER + cchHeader, pszText + i))
                m_vecRecordTexts.push_back(region.uStart + i * sizeof(wchar_t));
        }
    }
    m_vecHeapPointers.assign(setFound.begin(), setFound.end());
}

void CHostAddressMap::ReadStacks(HANDLE _hProcess)
{
    m_vecStacks.clear();
    auto pfnQuery = reinterpret_cast<PFN_NtQueryInformationThread>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (!pfnQuery || hSnapshot == INVALID_HANDLE_VALUE)
        return;
    const DWORD dwPid = GetProcessId(_hProcess);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Thread32First(hSnapshot, &entry); bMore; bMore = Thread32Next(hSnapshot, &entry))
    {
        if (entry.th32OwnerProcessID != dwPid)
            continue;
        HANDLE hThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!hThread)
            continue;
        ThreadBasicInformation basic = {};
        NT_TIB tib = {};
        if (pfnQuery(hThread, THREAD_BASIC_INFORMATION_CLASS, &basic, sizeof(basic), nullptr) == 0 &&
            ReadRemote(_hProcess, reinterpret_cast<UINT_PTR>(basic.pTebBaseAddress), &tib, sizeof(tib)) &&
            tib.StackLimit < tib.StackBase)
            m_vecStacks.push_back({reinterpret_cast<UINT_PTR>(tib.StackLimit), reinterpret_cast<UINT_PTR>(tib.StackBase)});
        CloseHandle(hThread);
    }
    CloseHandle(hSnapshot);
}

const HostModule* CHostAddressMap::FindModule(const std::wstring& _strFileName) const
{
    const std::wstring strWanted = UpperText(_strFileName);
    for (const HostModule& module : m_vecModules)
    {
        if (UpperText(FileNameOf(module.strPath)) == strWanted)
            return &module;
    }
    return nullptr;
}

UINT_PTR CHostAddressMap::RemoteExport(const std::wstring& _strFileName, const char* _pszExport) const
{
    const HostModule* pModule = FindModule(_strFileName);
    if (!pModule)
        return 0;
    // Loaded here as an image without running its entry point, only to learn the export's offset.
    HMODULE hLocal = LoadLibraryExW(pModule->strPath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!hLocal)
        return 0;
    const FARPROC pfnLocal = GetProcAddress(hLocal, _pszExport);
    const UINT_PTR uOffset = pfnLocal ? reinterpret_cast<UINT_PTR>(pfnLocal) - reinterpret_cast<UINT_PTR>(hLocal) : 0;
    FreeLibrary(hLocal);
    return uOffset ? reinterpret_cast<UINT_PTR>(pModule->hModule) + uOffset : 0;
}
