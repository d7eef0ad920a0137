// The six process-wide module lists, filled from category folders beside the test program.
// Those folder names are fixed, so test programs running at once take turns: on a mutex in
// one Wine prefix, and through the GUI tests' CTest lock across prefixes (the GUI tests run
// in the desktop's own prefix).
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ProbeLog.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "bus/PluginBase.h"

namespace tvr {

struct ListOfCategory
{
    const wchar_t* pszCategory;
    CPluginBase* pList;
};

inline std::vector<ListOfCategory> AllLists()
{
    return {{L"PluginDebug", &g_PluginDebug},   {L"PluginSearch", &g_PluginSearch}, {L"PluginSave", &g_PluginSave},
            {L"PluginInfo", &g_PluginInfo},     {L"PluginExtra", &g_PluginExtra},   {L"PluginTelephony", &g_PluginTelephony}};
}

class GlobalListsTest : public ::testing::Test
{
protected:
    GlobalListsTest() : m_hMutex(CreateMutexW(nullptr, FALSE, L"Local\\TelvarinUnitPluginLists"))
    {
        WaitForSingleObject(m_hMutex, 60000);
        m_strLog = ProgramFolder() + L"\\unit-plugin-lists-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(m_strLog.c_str());
        for (const ListOfCategory& list : AllLists())
            m_vecFolders.push_back(std::make_unique<CTempFolder>(ProgramFolder() + L"\\" + list.pszCategory));
    }
    ~GlobalListsTest() override
    {
        for (const ListOfCategory& list : AllLists())
            list.pList->UnloadAllModules();
        m_vecFolders.clear();
        DeleteFileW(m_strLog.c_str());
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }

    // Probe copy "<name>.DLL" in the category folder.
    void AddProbe(const wchar_t* _pszCategory, const std::wstring& _strName, const ProbeSettings& _settings)
    {
        for (const auto& pFolder : m_vecFolders)
        {
            if (pFolder->Name() == _pszCategory)
            {
                ASSERT_TRUE(CopyProbe(pFolder->Child(_strName + L".DLL"), m_strLog, _settings));
            }
        }
    }
    void LoadAll()
    {
        for (const ListOfCategory& list : AllLists())
            list.pList->LoadAllModules();
    }
    std::vector<std::string> Sequence(const std::vector<std::string>& _vecCalls) const
    {
        return ProbeSequence(ReadProbeLog(m_strLog), _vecCalls);
    }
    void ClearLog() const { DeleteFileW(m_strLog.c_str()); }

    HANDLE m_hMutex;
    std::wstring m_strLog;
    std::vector<std::unique_ptr<CTempFolder>> m_vecFolders;
};

} // namespace tvr
