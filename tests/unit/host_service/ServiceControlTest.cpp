// Service control manager operations against Wine's real service manager, each with a
// test service of its own name that is deleted again.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "host/service/ServiceControl.h"

namespace {

std::wstring UniqueServiceName(const wchar_t* _pszTag)
{
    return std::wstring(L"TvrUnit") + _pszTag + std::to_wstring(GetCurrentProcessId());
}

std::wstring SystemFolder()
{
    wchar_t szFolder[MAX_PATH] = L"";
    GetSystemDirectoryW(szFolder, MAX_PATH);
    return szFolder;
}

std::wstring OwnProgramFile()
{
    wchar_t szFile[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szFile, MAX_PATH);
    return szFile;
}

// Deletes the test service at the end, whatever the test did.
class CTestService
{
public:
    explicit CTestService(const wchar_t* _pszTag) : m_strName(UniqueServiceName(_pszTag)) { Delete(); }
    ~CTestService() { Delete(); }
    const wchar_t* Name() const { return m_strName.c_str(); }

    // Installed on demand start: an automatic one would start at the next wineserver start.
    int Install(const wchar_t* _pszPath, const wchar_t* _pszDescription, const wchar_t* _pszDisplayName) const
    {
        return InstallService(0x100, Name(), _pszPath, SERVICE_DEMAND_START, nullptr, _pszDescription, _pszDisplayName);
    }
    std::vector<BYTE> Config() const { return Query([](SC_HANDLE h, BYTE* p, DWORD cb, DWORD* pcb) {
        return QueryServiceConfigW(h, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(p), cb, pcb); }); }
    std::vector<BYTE> Config2(DWORD _dwLevel, DWORD* _pdwError) const
    {
        return Query([_dwLevel](SC_HANDLE h, BYTE* p, DWORD cb, DWORD* pcb) {
            return QueryServiceConfig2W(h, _dwLevel, p, cb, pcb); }, _pdwError);
    }
    bool SetRegistryImagePath(const std::wstring& _strPath) const
    {
        const std::wstring strKey = L"SYSTEM\\CurrentControlSet\\Services\\" + m_strName;
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, strKey.c_str(), L"ImagePath", REG_SZ, _strPath.c_str(),
                               static_cast<DWORD>((_strPath.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    template <typename TQuery>
    std::vector<BYTE> Query(TQuery _query, DWORD* _pdwError = nullptr) const
    {
        std::vector<BYTE> vecData;
        SC_HANDLE hManager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE hService = hManager ? OpenServiceW(hManager, Name(), SERVICE_QUERY_CONFIG) : nullptr;
        DWORD cbNeeded = 0;
        if (hService && !_query(hService, nullptr, 0, &cbNeeded) && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        {
            vecData.resize(cbNeeded);
            if (!_query(hService, vecData.data(), cbNeeded, &cbNeeded))
                vecData.clear();
        }
        if (_pdwError)
            *_pdwError = vecData.empty() ? GetLastError() : 0;
        if (hService)
            CloseServiceHandle(hService);
        if (hManager)
            CloseServiceHandle(hManager);
        return vecData;
    }
    void Delete() const
    {
        SC_HANDLE hManager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE hService = hManager ? OpenServiceW(hManager, Name(), DELETE) : nullptr;
        if (hService)
        {
            DeleteService(hService);
            CloseServiceHandle(hService);
        }
        if (hManager)
            CloseServiceHandle(hManager);
    }
    std::wstring m_strName;
};

const QUERY_SERVICE_CONFIGW& AsConfig(const std::vector<BYTE>& _vecData)
{
    return *reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(_vecData.data());
}

} // namespace

TEST(ServiceStateName, NamesTheSevenStatesAndCallsEveryOtherValueUnknown)
{
    const wchar_t* const apszExpected[] = {L"UNKNOWN", L"STOPPED", L"START_PENDING", L"STOP_PENDING", L"RUNNING",
                                           L"CONTINUE_PENDING", L"PAUSE_PENDING", L"PAUSED", L"UNKNOWN"};
    for (DWORD dwState = 0; dwState <= 8; ++dwState)
        EXPECT_STREQ(apszExpected[dwState], GetServiceStateName(dwState)) << "state " << dwState;
    EXPECT_STREQ(L"UNKNOWN", GetServiceStateName(0xFFFFFFFF));
}

TEST(InstallService, BareFileNameLiesInTheSystemFolderWithTheGivenSettings)
{
    CTestService service(L"Bare");
    ASSERT_EQ(1, service.Install(L"TvrUnitProbe.exe", L"Unit description", L"Unit display"));
    const std::vector<BYTE> vecConfig = service.Config();
    ASSERT_FALSE(vecConfig.empty());
    const QUERY_SERVICE_CONFIGW& config = AsConfig(vecConfig);
    EXPECT_EQ(0x110u, config.dwServiceType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), config.dwStartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), config.dwErrorControl);
    EXPECT_EQ(SystemFolder() + L"\\TvrUnitProbe.exe", config.lpBinaryPathName);
    EXPECT_STREQ(L"LocalSystem", config.lpServiceStartName);
    EXPECT_STREQ(L"Unit display", config.lpDisplayName);

    DWORD dwError = 0;
    const std::vector<BYTE> vecDescription = service.Config2(SERVICE_CONFIG_DESCRIPTION, &dwError);
    ASSERT_FALSE(vecDescription.empty()) << "error " << dwError;
    EXPECT_STREQ(L"Unit description",
                 reinterpret_cast<const SERVICE_DESCRIPTIONW*>(vecDescription.data())->lpDescription);
}

TEST(InstallService, FailureActionsRestartAfterAMinuteAndNeverReset)
{
    CTestService service(L"Fail");
    ASSERT_EQ(1, service.Install(L"TvrUnitProbe.exe", nullptr, nullptr));
    DWORD dwError = 0;
    const std::vector<BYTE> vecActions = service.Config2(SERVICE_CONFIG_FAILURE_ACTIONS, &dwError);
    if (vecActions.empty() && dwError == ERROR_INVALID_LEVEL)
        GTEST_SKIP() << "Wine's service manager stores no failure actions and cannot return them (level 2)";
    ASSERT_FALSE(vecActions.empty()) << "error " << dwError;
    const auto& actions = *reinterpret_cast<const SERVICE_FAILURE_ACTIONSW*>(vecActions.data());
    EXPECT_EQ(INFINITE, actions.dwResetPeriod);
    ASSERT_EQ(1u, actions.cActions);
    EXPECT_EQ(SC_ACTION_RESTART, actions.lpsaActions[0].Type);
    EXPECT_EQ(60000u, actions.lpsaActions[0].Delay);
}

TEST(InstallService, DefaultsAndRefusals)
{
    CTestService service(L"Dflt");
    const std::wstring strFolderPath = L"C:\\Tvr Unit Folder\\Probe.exe";
    ASSERT_EQ(1, service.Install(strFolderPath.c_str(), nullptr, nullptr));
    const std::vector<BYTE> vecConfig = service.Config();
    ASSERT_FALSE(vecConfig.empty());
    // Without a display name the service name stands in; a path with a folder is kept and,
    // holding a blank, quoted.
    EXPECT_STREQ(service.Name(), AsConfig(vecConfig).lpDisplayName);
    EXPECT_EQ(L"\"" + strFolderPath + L"\"", AsConfig(vecConfig).lpBinaryPathName);
    DWORD dwError = 0;
    const std::vector<BYTE> vecDescription = service.Config2(SERVICE_CONFIG_DESCRIPTION, &dwError);
    if (!vecDescription.empty())
    {
        const wchar_t* pszDescription = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(vecDescription.data())->lpDescription;
        EXPECT_TRUE(pszDescription == nullptr || pszDescription[0] == 0);
    }
    // A second install of the same name, and a path that cannot fit, create nothing.
    EXPECT_EQ(0, service.Install(L"Other.exe", nullptr, nullptr));
    CTestService longPath(L"Long");
    EXPECT_EQ(0, longPath.Install((L"C:\\" + std::wstring(600, L'a') + L".exe").c_str(), nullptr, nullptr));
    EXPECT_EQ(0, ServiceExists(longPath.Name()));
}

TEST(ServiceQueries, MissingServiceGivesZeroEverywhere)
{
    const std::wstring strName = UniqueServiceName(L"None");
    EXPECT_EQ(0, ServiceExists(strName.c_str()));
    EXPECT_EQ(0u, QueryServiceState(strName.c_str()));
    EXPECT_FALSE(StartOrControlService(0, strName.c_str(), SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS));
    EXPECT_FALSE(StartOrControlService(SERVICE_CONTROL_STOP, strName.c_str(), SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS));
    EXPECT_FALSE(DeleteServiceEntry(strName.c_str()));
    EXPECT_EQ(OwnProgramFile(), GetServiceImagePath(strName.c_str()));
}

// The registry is asked first only to spare a connection to the manager for a name it
// does not list; a key the manager never loaded does not make a service exist.
TEST(ServiceQueries, RegistryKeyAloneIsNoService)
{
    const std::wstring strKey = L"SYSTEM\\CurrentControlSet\\Services\\" + UniqueServiceName(L"Key");
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &hKey, nullptr));
    RegCloseKey(hKey);
    const int iExists = ServiceExists(UniqueServiceName(L"Key").c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, strKey.c_str());
    EXPECT_EQ(0, iExists);
}

TEST(ServiceQueries, InstalledServiceExistsAndIsStopped)
{
    CTestService service(L"Stop");
    ASSERT_EQ(1, service.Install(L"TvrUnitProbe.exe", nullptr, nullptr));
    EXPECT_EQ(1, ServiceExists(service.Name()));
    // A stopped service refuses the interrogate; the queried state stands.
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), QueryServiceState(service.Name()));
    // Pause of a service that does not run fails.
    EXPECT_FALSE(StartOrControlService(SERVICE_CONTROL_PAUSE, service.Name(), SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS));
}

TEST(ServiceImagePath, NamesTheInstalledFileWithoutQuotes)
{
    CTestService service(L"Img");
    const std::wstring strProgram = SystemFolder() + L"\\cmd.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(strProgram.c_str()));
    ASSERT_EQ(1, service.Install(strProgram.c_str(), nullptr, nullptr));
    ASSERT_TRUE(service.SetRegistryImagePath(L"\"" + strProgram + L"\""));
    EXPECT_EQ(strProgram, GetServiceImagePath(service.Name()));
}

TEST(ServiceImagePath, MissingFileGivesTheOwnProgramFile)
{
    CTestService service(L"Miss");
    ASSERT_EQ(1, service.Install(L"C:\\TvrNoSuchFolder\\NoSuchProgram.exe", nullptr, nullptr));
    EXPECT_EQ(OwnProgramFile(), GetServiceImagePath(service.Name()));
}

TEST(ServiceImagePath, ValueAbove511BytesCountsAsMissing)
{
    CTestService service(L"Size");
    const std::wstring strProgram = SystemFolder() + L"\\cmd.exe";
    ASSERT_EQ(1, service.Install(strProgram.c_str(), nullptr, nullptr));
    // Leading quotes pad the value; they are removed, so what is left names cmd.exe.
    // 254 characters and the terminator are 510 bytes, 255 characters are 512.
    ASSERT_TRUE(service.SetRegistryImagePath(std::wstring(254 - strProgram.size(), L'"') + strProgram));
    EXPECT_EQ(strProgram, GetServiceImagePath(service.Name()));
    ASSERT_TRUE(service.SetRegistryImagePath(std::wstring(255 - strProgram.size(), L'"') + strProgram));
    EXPECT_EQ(OwnProgramFile(), GetServiceImagePath(service.Name()));
}

TEST(RemoveService, DeletesAStoppedServiceAndIgnoresAMissingOne)
{
    CTestService service(L"Rem");
    ASSERT_EQ(1, service.Install(L"TvrUnitProbe.exe", nullptr, nullptr));
    RemoveService(service.Name());
    EXPECT_EQ(0, ServiceExists(service.Name()));
    const ULONGLONG ullStart = GetTickCount64();
    RemoveService(service.Name());
    EXPECT_LT(GetTickCount64() - ullStart, 1000u);
}
