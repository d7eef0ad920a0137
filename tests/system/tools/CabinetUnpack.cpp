#include "CabinetUnpack.h"

#include <fcntl.h>
#include <fdi.h>

#include <cstdlib>

namespace {

FNALLOC(CabAlloc) { return std::malloc(cb); }
FNFREE(CabFree) { std::free(pv); }
FNOPEN(CabOpen)
{
    (void)pmode;
    (void)oflag;
    const HANDLE hFile = CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    return hFile == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(hFile);
}
FNREAD(CabRead)
{
    DWORD dwRead = 0;
    return ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &dwRead, nullptr) ? dwRead : static_cast<UINT>(-1);
}
FNWRITE(CabWrite)
{
    DWORD dwWritten = 0;
    return WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &dwWritten, nullptr) ? dwWritten : static_cast<UINT>(-1);
}
FNCLOSE(CabClose) { return CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1; }
FNSEEK(CabSeek) { return static_cast<long>(SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, static_cast<DWORD>(seektype))); }
struct SCabRead
{
    std::string* pstrListing;
    std::string strFolder;   // where the files are unpacked, "\\" in names becoming "_"
};

// Each file of the cabinet: "name size\n" in the listing, and the file unpacked.
FNFDINOTIFY(CabNotify)
{
    SCabRead* pRead = static_cast<SCabRead*>(pfdin->pv);
    if (fdint == fdintCOPY_FILE)
    {
        pRead->pstrListing->append(std::string(pfdin->psz1) + " " + std::to_string(pfdin->cb) + "\n");
        std::string strName = pfdin->psz1;
        for (char& ch : strName)
            ch = ch == '\\' ? '_' : ch;
        const HANDLE hFile = CreateFileA((pRead->strFolder + strName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        return hFile == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(hFile);
    }
    if (fdint == fdintCLOSE_FILE_INFO)
    {
        CloseHandle(reinterpret_cast<HANDLE>(pfdin->hf));
        return TRUE;
    }
    return 0;
}

} // namespace

bool UnpackCabinet(const std::wstring& _strCab, const std::wstring& _strFolder, std::string* _pstrListing)
{
    char szCab[MAX_PATH] = "";
    if (!WideCharToMultiByte(CP_ACP, 0, _strCab.c_str(), -1, szCab, sizeof(szCab), nullptr, nullptr))
        return false;
    char* pszSlash = strrchr(szCab, '\\');
    if (pszSlash == nullptr)
        return false;
    std::string strName = pszSlash + 1;
    pszSlash[1] = 0;
    ERF error = {};
    const HFDI hFdi = FDICreate(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek, cpuUNKNOWN, &error);
    if (hFdi == nullptr)
        return false;
    char szFolder[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, (_strFolder + L"\\").c_str(), -1, szFolder, sizeof(szFolder), nullptr, nullptr);
    SCabRead read = {_pstrListing, szFolder};
    const BOOL bRead = FDICopy(hFdi, &strName[0], szCab, 0, CabNotify, nullptr, &read);
    FDIDestroy(hFdi);
    return bRead != FALSE;
}
