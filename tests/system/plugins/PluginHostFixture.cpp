#include "PluginHostFixture.h"

#include "TelvarinPlugin.h"

const wchar_t* const LOAD_ORDER[6] = {L"PluginDebug", L"PluginSearch", L"PluginSave",
                                      L"PluginInfo",  L"PluginExtra",  L"PluginTelephony"};

std::string ProbeNameOf(const wchar_t* _pszCategory)
{
    return tvr::WideToUtf8(_pszCategory) + "P";
}

void PluginHostTest::TearDown()
{
    if (m_Host.IsRunning())
    {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        DWORD dwExit = 0;
        if (!m_Host.WaitForExit(5000, &dwExit))
            m_Host.Kill();
    }
}

void PluginHostTest::AddProbe(const std::wstring& _strCategory, const std::wstring& _strName,
                              const tvr::ProbeSettings& _settings)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, _strCategory, _strName + L".DLL", m_strLog, _settings));
}

void PluginHostTest::AddProbePerList(const tvr::ProbeSettings& _settings)
{
    int iID = 1;
    for (const wchar_t* pszCategory : LOAD_ORDER)
    {
        tvr::ProbeSettings settings = _settings;
        settings.iID = iID++;
        AddProbe(pszCategory, tvr::Utf8ToWide(ProbeNameOf(pszCategory)), settings);
    }
}

void PluginHostTest::WriteSortRule(const std::string& _strRule)
{
    ASSERT_TRUE(m_Folder.WriteTextFile(L"Telvarin.INI", "[General]\r\nPluginLoadSortRule=" + _strRule + "\r\n"));
}

void PluginHostTest::StartHost(const std::string& _strLastAfterLoad)
{
    // Settings only beside the program: the per-user file other tests write must not hide them.
    ASSERT_TRUE(m_Host.Start(m_strExe, L"", {{L"QelConfig", L"1"}}));
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(m_hWnd, nullptr);
    ASSERT_TRUE(tvr::WaitForProbeCall(m_strLog, [&](const tvr::ProbeCall& _call) {
        return _call.strModule == _strLastAfterLoad && _call.strCall == "AfterLoad";
    }, 20000)) << _strLastAfterLoad;
}

std::vector<std::string> PluginHostTest::Sequence(const std::vector<std::string>& _vecCalls) const
{
    return tvr::ProbeSequence(tvr::ReadProbeLog(m_strLog), _vecCalls);
}

std::vector<tvr::ProbeCall> PluginHostTest::BusCalls(UINT _uType) const
{
    std::vector<tvr::ProbeCall> vecCalls;
    for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
    {
        if (call.strCall == "BusProcess" && call.strType == std::to_string(_uType))
            vecCalls.push_back(call);
    }
    return vecCalls;
}

bool PluginHostTest::WaitForBus(const std::string& _strModule, UINT _uType, DWORD _dwTimeoutMs) const
{
    return tvr::WaitForProbeCall(m_strLog, [&](const tvr::ProbeCall& _call) {
        return _call.strModule == _strModule && _call.strCall == "BusProcess" && _call.strType == std::to_string(_uType);
    }, _dwTimeoutMs);
}

LRESULT PluginHostTest::SendBus(UINT _uType) const
{
    DWORD_PTR dwResult = 0xFFFF;
    SendMessageTimeoutW(m_hWnd, WM_QEL_BUS, _uType, 0, SMTO_NORMAL, 5000, &dwResult);
    return static_cast<LRESULT>(dwResult);
}

void PluginHostTest::PostRecord(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields) const
{
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(_uType, _vecFields), 0);
}
