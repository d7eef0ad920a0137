// A running host with a probe in the debug list (and one in the extra list) whose calls
// show what the host distributes.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "ProbeLog.h"

class HostWindowTest : public ::testing::Test
{
protected:
    // Installs the probes; _extra is the extra list probe's configuration.
    void StartHost(const tvr::ProbeSettings& _extra = {});
    void TearDown() override;

    // Bus messages of this type that the debug probe received so far.
    std::vector<tvr::ProbeCall> Received(UINT _uType) const;
    bool WaitForType(UINT _uType, DWORD _dwTimeoutMs = 5000) const;
    // Trace lines (type 4) received whose text contains the part.
    std::vector<tvr::ProbeCall> TraceLines(const std::string& _strPart) const;
    bool WaitForTrace(const std::string& _strPart, DWORD _dwTimeoutMs = 5000) const;
    // Posts a marker of a type nobody uses and waits until the probe has it (true) or the
    // host has ended: everything sent or posted before the marker has been handled.
    static const UINT SYNC_MARKER_TYPE = 45;
    bool DrainPosted(DWORD _dwTimeoutMs) const;
    // The same, failing the test unless the marker arrives.
    void Sync(DWORD _dwTimeoutMs = 5000);
    // The host still answers: a sent bus message comes back with the plug-ins' result.
    void ExpectAlive();
    // A value of this host's status report (kept beside the program, see StartHost).
    std::wstring StatusReportValue(const wchar_t* _pszSection, const wchar_t* _pszKey) const;

    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    std::wstring m_strLog;
    HWND m_hWnd = nullptr;
};
