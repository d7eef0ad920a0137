// System-test harness: builds temporary install folders, starts the real Telvarin.exe
// and observes it from outside as another program would.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "TestFiles.h"
#include "Wait.h"

namespace tvr {

// A temporary install folder: a copy of build/dist without the help file (so that no test
// opens the help viewer unless it asks for it), removed again on destruction.
class CInstallFolder
{
public:
    CInstallFolder();
    CInstallFolder(const CInstallFolder&) = delete;
    CInstallFolder& operator=(const CInstallFolder&) = delete;

    const std::wstring& Path() const { return m_Folder.Path(); }        // no trailing backslash
    std::wstring ExePath() const { return m_Folder.Child(L"Telvarin.exe"); }
    std::wstring Child(const std::wstring& _strRelative) const { return m_Folder.Child(_strRelative); }
    // Copies a built test plug-in (file name in the test plug-in folder) into a category
    // folder under a new name, for example ("PluginSearch", "PluginProbe.dll", "PluginProbeA.DLL").
    bool AddPlugin(const std::wstring& _strCategory, const std::wstring& _strBuiltName, const std::wstring& _strAsName) const;
    bool WriteTextFile(const std::wstring& _strRelative, const std::string& _strContent) const;
    // Copies the help file of build/dist beside the program.
    bool AddHelpFile() const;

private:
    CTempFolder m_Folder;
};

// One started Telvarin.exe (or any program).
class CHostProcess
{
public:
    CHostProcess() = default;
    ~CHostProcess();   // kills the process when it still runs
    CHostProcess(const CHostProcess&) = delete;
    CHostProcess& operator=(const CHostProcess&) = delete;

    // Starts the program with the command-line text after the program name and extra
    // environment variables (an empty value removes the variable). Working folder = program folder.
    bool Start(const std::wstring& _strExe, const std::wstring& _strArgs = L"",
               const std::map<std::wstring, std::wstring>& _mapEnvironment = {});
    // The process's main window, found by process id and user data 0x4578AD11.
    HWND WaitForWindow(DWORD _dwTimeoutMs = 15000) const;
    // Waits for the end; true with the exit code when it ended in time.
    bool WaitForExit(DWORD _dwTimeoutMs, DWORD* _pdwExitCode);
    bool IsRunning() const;
    void Kill();
    DWORD Pid() const { return m_dwPid; }
    HANDLE Handle() const { return m_hProcess; }

private:
    HANDLE m_hProcess = nullptr;
    DWORD m_dwPid = 0;
};

// Top-level window of the process whose user data is the host window id; null when none.
HWND FindHostWindowOfProcess(DWORD _dwPid);
// The first visible top-level window of the class that the process owns; null when none.
HWND FindProcessWindow(DWORD _dwPid, const wchar_t* _pszClass);

// Builds a record: header, Type, the fields in order, footer.
std::wstring MakeRecord(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields = {});
// Hands a record text to the window through WM_SETTEXT (sent; wParam = _wParam).
LRESULT SendRecordText(HWND _hWnd, const std::wstring& _strText, WPARAM _wParam = 1);

std::wstring ReadIniValue(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey);
bool ReadRegistryString(HKEY _hRoot, const std::wstring& _strSubKey, const std::wstring& _strName, std::wstring* _pstrValue);
bool ReadRegistryDword(HKEY _hRoot, const std::wstring& _strSubKey, const std::wstring& _strName, DWORD* _pdwValue);
// Whole file as bytes; empty when missing.
std::string ReadFileBytes(const std::wstring& _strPath);
// Folder of the per-user data of the account running the tests (…\orvex\Telvarin\TelvarinHost\<sub>).
std::wstring UserDataFolder(const std::wstring& _strSub);
std::wstring Utf8ToWide(const std::string& _str);
std::string WideToUtf8(const std::wstring& _str);

} // namespace tvr
