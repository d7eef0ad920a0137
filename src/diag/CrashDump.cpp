// Minidump of the own process into a file beside the program (or, where that folder is not
// writable, in the log folder), through DBGHELP.DLL loaded at run time.
#include "diag/CrashDump.h"

#include <dbghelp.h>
#include <strsafe.h>
#include <atomic>
#include <cwchar>

#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "base/SecurityAttributes.h"
#include "config/ConfigPath.h"

namespace {

const size_t PROGRAM_PATH_CHARS = 512;   // module file name, at most 511 characters
const size_t DUMP_NAME_CHARS = 600;
const size_t CUT_CHARS = 3;   // the extension without its dot

wchar_t g_szFallbackFolder[MAX_PATH] = L"";

HANDLE CreateDumpFileAt(const wchar_t* _pszPath)
{
    // Always created: a dump of the same second replaces the earlier one.
    return CreateFileW(_pszPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       GetNullDaclAttributes(), CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Set once by PrepareDumpWriter: the path before the function, which publishes both.
wchar_t g_szPreparedProgram[PROGRAM_PATH_CHARS] = L"";
std::atomic<MiniDumpWriteDumpFn> g_pfnPreparedWrite{nullptr};

MiniDumpWriteDumpFn FindWriteFunction(HMODULE _hLibrary)
{
    return reinterpret_cast<MiniDumpWriteDumpFn>(
        reinterpret_cast<void*>(GetProcAddress(_hLibrary, "MiniDumpWriteDump")));
}

// Without exception pointers (a hang) the dump holds no exception record.
bool WriteDumpFile(MiniDumpWriteDumpFn _pfnWrite, const wchar_t* _pszProgram, EXCEPTION_POINTERS* _pExceptionPointers,
                   DWORD _dwDumpType, EDumpKind _eKind)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    wchar_t szDump[DUMP_NAME_CHARS];
    const CFileHandle file(CreateCrashDumpFile(_pszProgram, time, szDump, ARRAYSIZE(szDump), _eKind));
    if (!file)
        return false;
    MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), _pExceptionPointers, TRUE};
    return _pfnWrite(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), static_cast<MINIDUMP_TYPE>(_dwDumpType),
                     _pExceptionPointers ? &info : nullptr, nullptr, nullptr) != FALSE;
}

bool WriteDump(EXCEPTION_POINTERS* _pExceptionPointers, DWORD _dwDumpType, EDumpKind _eKind)
{
    const MiniDumpWriteDumpFn pfnPrepared = g_pfnPreparedWrite.load(std::memory_order_acquire);
    if (pfnPrepared != nullptr)
        return WriteDumpFile(pfnPrepared, g_szPreparedProgram, _pExceptionPointers, _dwDumpType, _eKind);
    wchar_t szProgram[PROGRAM_PATH_CHARS] = L"";
    const CModuleHandle library(LoadLibraryW(L"DBGHELP.DLL"));
    if (!library || !CopyModulePath(nullptr, szProgram, ARRAYSIZE(szProgram)))
        return false;
    const MiniDumpWriteDumpFn pfnWrite = FindWriteFunction(library.Get());
    return pfnWrite != nullptr && WriteDumpFile(pfnWrite, szProgram, _pExceptionPointers, _dwDumpType, _eKind);
}

}   // namespace

void PrepareDumpWriter()
{
    if (g_pfnPreparedWrite.load(std::memory_order_acquire) != nullptr)
        return;
    // Kept loaded: the writer must not come and go while another thread may use it.
    const HMODULE hLibrary = LoadLibraryW(L"DBGHELP.DLL");
    if (hLibrary == nullptr)
        return;
    const MiniDumpWriteDumpFn pfnWrite = FindWriteFunction(hLibrary);
    if (pfnWrite == nullptr || !CopyModulePath(nullptr, g_szPreparedProgram, ARRAYSIZE(g_szPreparedProgram)))
    {
        FreeLibrary(hLibrary);
        return;
    }
    g_pfnPreparedWrite.store(pfnWrite, std::memory_order_release);
}

void SetCrashDumpFallbackFolder(const wchar_t* _pszFolder)
{
    if (FAILED(StringCchCopyW(g_szFallbackFolder, ARRAYSIZE(g_szFallbackFolder), _pszFolder ? _pszFolder : L"")))
        g_szFallbackFolder[0] = L'\0';
}

HANDLE CreateCrashDumpFile(const wchar_t* _pszProgramFile, const SYSTEMTIME& _Time, wchar_t* _pszOut, size_t _cchOut,
                           EDumpKind _eKind)
{
    BuildCrashDumpName(_pszProgramFile, _Time, _pszOut, _cchOut, _eKind);
    if (_pszOut[0] == L'\0')
        return INVALID_HANDLE_VALUE;
    const HANDLE hFile = CreateDumpFileAt(_pszOut);
    if (hFile != INVALID_HANDLE_VALUE || g_szFallbackFolder[0] == L'\0')
        return hFile;
    const wchar_t* pszSlash = wcsrchr(_pszOut, L'\\');
    wchar_t szName[DUMP_NAME_CHARS];
    if (FAILED(StringCchCopyW(szName, ARRAYSIZE(szName), pszSlash ? pszSlash + 1 : _pszOut)) ||
        FAILED(StringCchPrintfW(_pszOut, _cchOut, L"%s\\%s", g_szFallbackFolder, szName)))
    {
        _pszOut[0] = L'\0';
        return INVALID_HANDLE_VALUE;
    }
    CreateFolderPath(g_szFallbackFolder);
    return CreateDumpFileAt(_pszOut);
}

void BuildCrashDumpName(const wchar_t* _pszProgramFile, const SYSTEMTIME& _Time, wchar_t* _pszOut, size_t _cchOut,
                        EDumpKind _eKind)
{
    if (_cchOut == 0)
        return;
    const size_t cchProgram = wcslen(_pszProgramFile);
    const size_t cchKept = cchProgram > CUT_CHARS ? cchProgram - CUT_CHARS : 0;
    // A name that does not fit stays empty: a cut name would lose the time or the extension.
    if (FAILED(StringCchPrintfW(_pszOut, _cchOut, L"%.*s_%s_%04d%02d%02d_%02d%02d%02d.DMP", static_cast<int>(cchKept),
                                _pszProgramFile, _eKind == EDumpKind::Hang ? L"HANGDUMP" : L"CRASHDUMP", _Time.wYear,
                                _Time.wMonth, _Time.wDay, _Time.wHour, _Time.wMinute, _Time.wSecond)))
        _pszOut[0] = L'\0';
}

LONG WriteCrashDump(EXCEPTION_POINTERS* _pExceptionPointers, DWORD _dwDumpType)
{
    WriteDump(_pExceptionPointers, _dwDumpType, EDumpKind::Crash);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool WriteHangDump(DWORD _dwDumpType)
{
    return WriteDump(nullptr, _dwDumpType, EDumpKind::Hang);
}
