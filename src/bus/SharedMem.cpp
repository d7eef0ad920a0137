#include "bus/SharedMem.h"

#include <utility>

#include <lmcons.h>
#include <strsafe.h>

#include <string>

#include "base/ProgramPath.h"
#include "bus/Crc32.h"
#include "bus/SharedSection.h"
#include "base/SecurityAttributes.h"

namespace {

const size_t USER_NAME_CHARS = 128;   // the user name keeps at most 127 characters

// Used when the named block cannot be mapped: only processes of this program file see it.
SHARED_IMAGE_DATA LONG s_SectionWords[4] = {0, 0, 0, 0};

std::wstring UserName()
{
    wchar_t szUser[UNLEN + 1] = L"";
    DWORD dwSize = UNLEN + 1;
    if (!GetUserNameW(szUser, &dwSize))
        szUser[0] = L'\0';
    return szUser;
}

}   // namespace

volatile LONG* g_pSharedMem = nullptr;

CSharedMem::~CSharedMem()
{
    if (m_bMapped)
        g_pSharedMem = nullptr;
}

void CSharedMem::FormatName(wchar_t* _pszName, size_t _cchName, const wchar_t* _pszFolder, const wchar_t* _pszUser)
{
    const size_t cchFolder = _pszFolder ? wcslen(_pszFolder) : 0;
    const int iChecksum = static_cast<int>(g_Crc32.Compute(_pszFolder, cchFolder * sizeof(wchar_t)));
    wchar_t szUser[USER_NAME_CHARS] = L"";
    StringCchCopyW(szUser, USER_NAME_CHARS, _pszUser ? _pszUser : L"");
    CharUpperBuffW(szUser, static_cast<DWORD>(wcslen(szUser)));
    const size_t cchName = _cchName < NAME_CHARS ? _cchName : NAME_CHARS;
    StringCchPrintfW(_pszName, cchName, L"Local\\SharedMemQelServer%d%s", iChecksum, szUser);
}

void CSharedMem::BuildName(wchar_t* _pszName, size_t _cchName)
{
    FormatName(_pszName, _cchName, GetProgramFolder().c_str(), UserName().c_str());
}

HANDLE CSharedMem::OpenOrCreateMapping(const wchar_t* _pszName, bool* _pbCreated) const
{
    *_pbCreated = false;
    SetLastError(ERROR_SUCCESS);
    HANDLE hMapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, TRUE, _pszName);
    if (hMapping != nullptr)
        return hMapping;
    SetLastError(ERROR_SUCCESS);
    hMapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, GetNullDaclAttributes(), PAGE_READWRITE, 0, BLOCK_BYTES, _pszName);
    if (hMapping == nullptr)
    {
        SetLastError(ERROR_SUCCESS);
        hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, BLOCK_BYTES, _pszName);
    }
    // Another process may have created it since the open failed; its content then stays.
    *_pbCreated = hMapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    return hMapping;
}

void CSharedMem::OpenSharedMem()
{
    if (g_pSharedMem != nullptr)
        return;
    wchar_t szName[NAME_CHARS];
    BuildName(szName, NAME_CHARS);
    bool bCreated = false;
    CKernelHandle hMapping(OpenOrCreateMapping(szName, &bCreated));
    CMappedView view(hMapping ? MapViewOfFile(hMapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!view)
    {
        g_pSharedMem = s_SectionWords;
        return;
    }
    if (bCreated)
        ZeroMemory(view.Get(), BLOCK_BYTES);
    m_hMapping = std::move(hMapping);
    m_View = std::move(view);
    m_bMapped = 1;
    g_pSharedMem = static_cast<volatile LONG*>(m_View.Get());
}

void SetSharedWord(SharedMemWord _eWord, LONG _lValue)
{
    volatile LONG* pWords = g_pSharedMem;
    if (pWords != nullptr)
        pWords[_eWord] = _lValue;
}

LONG GetSharedWord(SharedMemWord _eWord)
{
    volatile LONG* pWords = g_pSharedMem;
    return pWords != nullptr ? pWords[_eWord] : 0;
}
