#include "CabinetWriter.h"

#include <fcntl.h>

#include <cstdlib>
#include <cstring>

#include "CtlOutput.h"

namespace {

FNFCIALLOC(CabAlloc) { return std::malloc(cb); }
FNFCIFREE(CabFree) { std::free(memory); }

std::wstring PathOf(const char* _pszUtf8)
{
    return FromUtf8(_pszUtf8);
}

HANDLE AsHandle(INT_PTR _hf)
{
    return reinterpret_cast<HANDLE>(_hf);
}

FNFCIOPEN(CabOpen)
{
    DWORD dwAccess = GENERIC_READ;
    if (oflag & _O_RDWR)
        dwAccess = GENERIC_READ | GENERIC_WRITE;
    else if (oflag & _O_WRONLY)
        dwAccess = GENERIC_WRITE;
    DWORD dwCreation = OPEN_EXISTING;
    if ((oflag & _O_CREAT) && (oflag & _O_EXCL))
        dwCreation = CREATE_NEW;
    else if ((oflag & _O_CREAT) && (oflag & _O_TRUNC))
        dwCreation = CREATE_ALWAYS;
    else if (oflag & _O_CREAT)
        dwCreation = OPEN_ALWAYS;
    else if (oflag & _O_TRUNC)
        dwCreation = TRUNCATE_EXISTING;
    (void)pmode;
    (void)pv;
    const HANDLE hFile = CreateFileW(PathOf(pszFile).c_str(), dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, dwCreation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        *err = static_cast<int>(GetLastError());
        return -1;
    }
    return reinterpret_cast<INT_PTR>(hFile);
}

FNFCIREAD(CabRead)
{
    (void)pv;
    DWORD dwRead = 0;
    if (ReadFile(AsHandle(hf), memory, cb, &dwRead, nullptr))
        return dwRead;
    *err = static_cast<int>(GetLastError());
    return static_cast<UINT>(-1);
}

FNFCIWRITE(CabWrite)
{
    (void)pv;
    DWORD dwWritten = 0;
    if (WriteFile(AsHandle(hf), memory, cb, &dwWritten, nullptr))
        return dwWritten;
    *err = static_cast<int>(GetLastError());
    return static_cast<UINT>(-1);
}

FNFCICLOSE(CabClose)
{
    (void)pv;
    if (CloseHandle(AsHandle(hf)))
        return 0;
    *err = static_cast<int>(GetLastError());
    return -1;
}

FNFCISEEK(CabSeek)
{
    (void)pv;
    const DWORD dwPosition = SetFilePointer(AsHandle(hf), dist, nullptr, static_cast<DWORD>(seektype));
    if (dwPosition == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    {
        *err = static_cast<int>(GetLastError());
        return -1;
    }
    return static_cast<__LONG32>(dwPosition);
}

FNFCIDELETE(CabDelete)
{
    (void)pv;
    if (DeleteFileW(PathOf(pszFile).c_str()))
        return 0;
    *err = static_cast<int>(GetLastError());
    return -1;
}

FNFCIGETTEMPFILE(CabTempFile)
{
    (void)pv;
    wchar_t szFolder[MAX_PATH];
    wchar_t szTemp[MAX_PATH];
    if (!GetTempPathW(ARRAYSIZE(szFolder), szFolder) || !GetTempFileNameW(szFolder, L"cab", 0, szTemp))
        return FALSE;
    DeleteFileW(szTemp);   // FCI creates it itself
    const std::string strUtf8 = ToUtf8(szTemp);
    if (strUtf8.size() + 1 > static_cast<size_t>(cbTempName))
        return FALSE;
    std::memcpy(pszTempName, strUtf8.c_str(), strUtf8.size() + 1);
    return TRUE;
}

FNFCIFILEPLACED(CabFilePlaced)
{
    (void)pccab; (void)pszFile; (void)cbFile; (void)fContinuation; (void)pv;
    return 0;
}

FNFCIGETNEXTCABINET(CabNextCabinet)
{
    (void)pccab; (void)cbPrevCab; (void)pv;
    return TRUE;
}

FNFCISTATUS(CabStatus)
{
    (void)typeStatus; (void)cb1; (void)cb2; (void)pv;
    return 0;
}

// Opens a file to pack, with its date, time and attributes; a file that is still being
// written (today's trace) is read as far as it goes.
FNFCIGETOPENINFO(CabOpenInfo)
{
    const HANDLE hFile = CreateFileW(PathOf(pszName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    FILETIME ftLocal = {};
    if (hFile == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(hFile, &info) ||
        !FileTimeToLocalFileTime(&info.ftLastWriteTime, &ftLocal) || !FileTimeToDosDateTime(&ftLocal, pdate, ptime))
    {
        *err = static_cast<int>(GetLastError());
        if (hFile != INVALID_HANDLE_VALUE)
            CloseHandle(hFile);
        return -1;
    }
    *pattribs = static_cast<USHORT>(info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    if (static_cast<const CCabinetWriter::SAdding*>(pv)->bNameIsUtf8)
        *pattribs |= _A_NAME_IS_UTF;
    return reinterpret_cast<INT_PTR>(hFile);
}

bool CopyUtf8(const std::wstring& _strText, char* _pszOut, size_t _cbOut)
{
    const std::string strUtf8 = ToUtf8(_strText);
    if (strUtf8.size() + 1 > _cbOut)
        return false;
    std::memcpy(_pszOut, strUtf8.c_str(), strUtf8.size() + 1);
    return true;
}

} // namespace

CCabinetWriter::~CCabinetWriter()
{
    if (m_hFci != nullptr)
        FCIDestroy(m_hFci);
}

bool CCabinetWriter::Create(const std::wstring& _strPath)
{
    const size_t nSlash = _strPath.find_last_of(L'\\');
    const std::wstring strFolder = nSlash == std::wstring::npos ? L"" : _strPath.substr(0, nSlash + 1);
    const std::wstring strName = nSlash == std::wstring::npos ? _strPath : _strPath.substr(nSlash + 1);
    m_Cab = {};
    m_Cab.cb = 0x7FFFFFFF;             // one cabinet, however large
    m_Cab.cbFolderThresh = 0x7FFFFFFF;
    m_Cab.iCab = 1;
    m_Cab.setID = static_cast<USHORT>(GetTickCount());
    if (!CopyUtf8(strFolder, m_Cab.szCabPath, sizeof(m_Cab.szCabPath)) || !CopyUtf8(strName, m_Cab.szCab, sizeof(m_Cab.szCab)))
    {
        m_Error.erfOper = FCIERR_NONE;
        m_Error.erfType = ERROR_FILENAME_EXCED_RANGE;
        m_Error.fError = TRUE;
        return false;
    }
    m_hFci = FCICreate(&m_Error, CabFilePlaced, CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek, CabDelete,
                       CabTempFile, &m_Cab, &m_Adding);
    return m_hFci != nullptr;
}

bool CCabinetWriter::Add(const std::wstring& _strSource, const std::wstring& _strName)
{
    std::string strSource = ToUtf8(_strSource);
    std::string strName = ToUtf8(_strName);
    // Names beyond ASCII are stored as UTF-8 and marked so; plain ones stay as they are.
    m_Adding.bNameIsUtf8 = strName.size() != _strName.size();
    return m_hFci != nullptr && FCIAddFile(m_hFci, &strSource[0], &strName[0], FALSE, CabNextCabinet, CabStatus, CabOpenInfo,
                                           tcompTYPE_MSZIP);
}

bool CCabinetWriter::Finish()
{
    if (m_hFci == nullptr)
        return false;
    const bool bFlushed = FCIFlushCabinet(m_hFci, FALSE, CabNextCabinet, CabStatus) != FALSE;
    FCIDestroy(m_hFci);
    m_hFci = nullptr;
    return bFlushed;
}

std::wstring CCabinetWriter::LastError() const
{
    if (m_Error.erfType == ERROR_FILENAME_EXCED_RANGE && m_Error.erfOper == FCIERR_NONE)
        return L"the path is too long for a cabinet file";
    wchar_t szText[512] = L"";
    if (m_Error.erfType != 0 &&
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(m_Error.erfType), 0,
                       szText, ARRAYSIZE(szText), nullptr))
        return szText;
    return Format(L"the cabinet could not be written (error %d)", m_Error.erfOper);
}
