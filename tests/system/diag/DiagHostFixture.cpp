#include "DiagHostFixture.h"

#include "TelvarinPlugin.h"

void DiagHostTest::LaunchHost(const std::wstring& _strExeName, const tvr::ProbeSettings& _probe)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginDebug", L"PluginProbeA.DLL", m_strLog, _probe));
    m_strExe = m_Folder.Child(_strExeName);
    if (m_strExe != m_Folder.ExePath())
    {
        ASSERT_TRUE(CopyFileW(m_Folder.ExePath().c_str(), m_strExe.c_str(), FALSE));
    }
    ASSERT_TRUE(m_Host.Start(m_strExe));
}

void DiagHostTest::StartHost(const std::wstring& _strExeName, const tvr::ProbeSettings& _probe)
{
    ASSERT_NO_FATAL_FAILURE(LaunchHost(_strExeName, _probe));
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    ASSERT_TRUE(WaitForTrace("Func.CServiceWindow.End", 15000));
}

void DiagHostTest::TearDown()
{
    if (m_hWnd && m_Host.IsRunning())
    {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        m_Host.WaitForExit(10000, nullptr);
    }
}

bool DiagHostTest::WaitForTrace(const std::string& _strPart, DWORD _dwTimeoutMs) const
{
    return tvr::WaitForProbeCall(
        m_strLog,
        [&](const tvr::ProbeCall& _call) {
            return _call.strCall == "BusProcess" && _call.strType == std::to_string(QEL_BUSMSG_TRACE) &&
                   _call.Field("Text").find(_strPart) != std::string::npos;
        },
        _dwTimeoutMs);
}

// A program file named TVRCONFIG keeps its per-user data, and so the log folder, beside itself:
// the report of this host is not shared with hosts of tests running at the same time.
std::wstring DiagHostTest::Report(const std::wstring& _strSection, const std::wstring& _strKey) const
{
    return tvr::ReadIniValue(m_Folder.Child(L"LOG\\StatusReport.ini"), _strSection, _strKey);
}

bool DiagHostTest::WaitForReport(const std::wstring& _strSection, const std::wstring& _strKey,
                                 const std::wstring& _strValue, DWORD _dwTimeoutMs) const
{
    return tvr::WaitUntil([&] { return Report(_strSection, _strKey) == _strValue; }, _dwTimeoutMs);
}

std::string DiagHostTest::ErrorLog() const
{
    return tvr::ReadFileBytes(m_Folder.Child(L"LOG\\ErrorLog.txt"));
}

std::vector<std::wstring> DiagHostTest::DumpFiles() const
{
    return Files(L"*_CRASHDUMP_*.DMP");
}

std::vector<std::wstring> DiagHostTest::Files(const wchar_t* _pszPattern) const
{
    std::vector<std::wstring> vecNames;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(m_Folder.Child(_pszPattern).c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return vecNames;
    do
        vecNames.push_back(data.cFileName);
    while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return vecNames;
}
