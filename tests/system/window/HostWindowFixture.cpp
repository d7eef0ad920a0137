#include "HostWindowFixture.h"

#include "TelvarinPlugin.h"

void HostWindowTest::StartHost(const tvr::ProbeSettings& _extra)
{
    m_strLog = m_Folder.Child(L"probe.log");
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginDebug", L"PluginProbeA.DLL", m_strLog, {}));
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeB.DLL", m_strLog, _extra));
    // A program file named TVRCONFIG keeps its settings and status report beside itself, so
    // hosts of tests that run at the same time do not write each other's report.
    const std::wstring strExe = m_Folder.Child(L"TVRCONFIG.exe");
    ASSERT_TRUE(CopyFileW(m_Folder.ExePath().c_str(), strExe.c_str(), FALSE));
    ASSERT_TRUE(m_Host.Start(strExe));
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    // Construction is over once the debug probe has the end of the start-up report.
    ASSERT_TRUE(WaitForTrace("Func.CServiceWindow.End", 15000));
}

void HostWindowTest::TearDown()
{
    if (m_hWnd && m_Host.IsRunning())
    {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        m_Host.WaitForExit(10000, nullptr);
    }
}

std::vector<tvr::ProbeCall> HostWindowTest::Received(UINT _uType) const
{
    std::vector<tvr::ProbeCall> vecCalls;
    for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
    {
        if (call.strModule == "PluginProbeA" && call.strCall == "BusProcess" && call.strType == std::to_string(_uType))
            vecCalls.push_back(call);
    }
    return vecCalls;
}

bool HostWindowTest::WaitForType(UINT _uType, DWORD _dwTimeoutMs) const
{
    return tvr::WaitUntil([&] { return !Received(_uType).empty(); }, _dwTimeoutMs);
}

std::vector<tvr::ProbeCall> HostWindowTest::TraceLines(const std::string& _strPart) const
{
    std::vector<tvr::ProbeCall> vecLines;
    for (const tvr::ProbeCall& call : Received(QEL_BUSMSG_TRACE))
    {
        if (call.Field("Text").find(_strPart) != std::string::npos)
            vecLines.push_back(call);
    }
    return vecLines;
}

bool HostWindowTest::WaitForTrace(const std::string& _strPart, DWORD _dwTimeoutMs) const
{
    return tvr::WaitUntil([&] { return !TraceLines(_strPart).empty(); }, _dwTimeoutMs);
}

bool HostWindowTest::DrainPosted(DWORD _dwTimeoutMs) const
{
    // Posted, so it queues behind every message posted before it; sent messages, and the
    // records the host posts to itself while handling them, are ahead of it too.
    const size_t uMarkers = Received(SYNC_MARKER_TYPE).size();
    if (!PostMessageW(m_hWnd, WM_QEL_BUS, SYNC_MARKER_TYPE, 0))
        return false;
    const auto markerArrived = [&] { return Received(SYNC_MARKER_TYPE).size() > uMarkers; };
    tvr::WaitUntil([&] { return markerArrived() || !m_Host.IsRunning(); }, _dwTimeoutMs);
    return markerArrived();
}

void HostWindowTest::Sync(DWORD _dwTimeoutMs)
{
    ASSERT_TRUE(DrainPosted(_dwTimeoutMs));
}

void HostWindowTest::ExpectAlive()
{
    ASSERT_TRUE(m_Host.IsRunning());
    DWORD_PTR dwResult = 0;
    ASSERT_NE(0, SendMessageTimeoutW(m_hWnd, WM_QEL_BUS, QEL_BUSMSG_CALLEVENT, 0, SMTO_NORMAL, 5000, &dwResult));
    EXPECT_EQ(1u, dwResult);
}

std::wstring HostWindowTest::StatusReportValue(const wchar_t* _pszSection, const wchar_t* _pszKey) const
{
    return tvr::ReadIniValue(m_Folder.Child(L"LOG\\StatusReport.ini"), _pszSection, _pszKey);
}
