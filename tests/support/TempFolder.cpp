#include "TempFolder.h"

#include <windows.h>

#include "TestFiles.h"
#include "Wait.h"

namespace tvr {

namespace {
// A program started from the folder may hold its files for a moment after it ended.
const DWORD REMOVE_WAIT_MS = 3000;
} // namespace

CTempFolder::CTempFolder()
{
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    // A folder left behind by an earlier process of the same id is never reused.
    do
        m_strPath = std::wstring(szTemp) + UniqueName(L"tvr");
    while (!CreateDirectoryW(m_strPath.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

CTempFolder::CTempFolder(const std::wstring& _strPath) : m_strPath(_strPath)
{
    RemoveTree(m_strPath);
    CreateDirectoryW(m_strPath.c_str(), nullptr);
}

CTempFolder::~CTempFolder()
{
    LeaveAsCurrentDirectory();
    WaitUntil([this] { return RemoveTree(m_strPath); }, REMOVE_WAIT_MS);
}

// A folder that is the current directory (code under test may enter it) cannot be removed.
void CTempFolder::LeaveAsCurrentDirectory() const
{
    wchar_t szCurrent[MAX_PATH] = L"";
    const DWORD cchCurrent = GetCurrentDirectoryW(MAX_PATH, szCurrent);
    if (cchCurrent >= m_strPath.size() && cchCurrent < MAX_PATH &&
        CompareStringOrdinal(szCurrent, static_cast<int>(m_strPath.size()), m_strPath.c_str(),
                             static_cast<int>(m_strPath.size()), TRUE) == CSTR_EQUAL)
        SetCurrentDirectoryW(ProgramFolder().c_str());
}

} // namespace tvr
