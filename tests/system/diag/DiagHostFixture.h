// A host started from a fresh install folder with a debug probe whose call log shows the
// trace lines; the status report and the crash dumps are read from the disk.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "ProbeLog.h"

class DiagHostTest : public ::testing::Test
{
protected:
    DiagHostTest() : m_strLog(m_Folder.Child(L"probe.log")) {}
    void TearDown() override;

    // Starts the program file (a copy of Telvarin.exe under that name) and waits for the
    // end of the start-up report.
    void StartHost(const std::wstring& _strExeName, const tvr::ProbeSettings& _probe = {});
    // The same without waiting for the window or the start's end.
    void LaunchHost(const std::wstring& _strExeName, const tvr::ProbeSettings& _probe = {});
    bool WaitForTrace(const std::string& _strPart, DWORD _dwTimeoutMs = 10000) const;
    // A value of the status report; empty when it is not there.
    std::wstring Report(const std::wstring& _strSection, const std::wstring& _strKey) const;
    bool WaitForReport(const std::wstring& _strSection, const std::wstring& _strKey, const std::wstring& _strValue,
                       DWORD _dwTimeoutMs = 10000) const;
    std::string ErrorLog() const;
    // Crash dump files beside the program, by file name.
    std::vector<std::wstring> DumpFiles() const;
    // Names of the files in the install folder that match the pattern.
    std::vector<std::wstring> Files(const wchar_t* _pszPattern) const;

    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    std::wstring m_strLog;
    std::wstring m_strExe;
    HWND m_hWnd = nullptr;
};
