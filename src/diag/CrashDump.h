// Minidump of the host process after an exception; always returns EXCEPTION_EXECUTE_HANDLER.
#pragma once
#include <windows.h>

LONG WriteCrashDump(EXCEPTION_POINTERS* _pExceptionPointers, DWORD _dwDumpType);
// Minidump of the process while the main thread hangs (written by another thread, no
// exception): named like a crash dump with "_HANGDUMP_" in place of "_CRASHDUMP_". False
// when no dump was written.
bool WriteHangDump(DWORD _dwDumpType);
// Loads the dump writer and notes the program path once, for the rest of the process: the
// host's own part of a later dump asks the loader nothing, so it does not wait for a thread
// holding the loader lock (a plug-in hanging in its load). The system's writer may still ask
// the loader (Wine's does). Without it, each dump loads the writer itself.
void PrepareDumpWriter();

// What a dump records, and so the word in its file name.
enum class EDumpKind
{
    Crash,
    Hang
};
// The folder a dump goes to when the program's own folder refuses it (a standard user's
// program below Program Files); set once before anything can fault, since the dump is
// written on a state the fault may have corrupted.
void SetCrashDumpFallbackFolder(const wchar_t* _pszFolder);
// Creates the dump file beside the program file, else in the fallback folder (created when
// missing); its path goes to _pszOut. An invalid handle when neither folder takes it.
HANDLE CreateCrashDumpFile(const wchar_t* _pszProgramFile, const SYSTEMTIME& _Time, wchar_t* _pszOut, size_t _cchOut,
                           EDumpKind _eKind = EDumpKind::Crash);
// Name of the dump file for the program file and a local time.
void BuildCrashDumpName(const wchar_t* _pszProgramFile, const SYSTEMTIME& _Time, wchar_t* _pszOut, size_t _cchOut,
                        EDumpKind _eKind = EDumpKind::Crash);
