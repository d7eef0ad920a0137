// The six module lists: loading, ordering, calling and unloading plug-ins, the distribution of
// bus messages to them, their module report lines and the host commands that act on them.
#include "bus/PluginBase.h"

#include <shlwapi.h>
#include <strsafe.h>

#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "bus/BusRecord.h"
#include "bus/BusRecordBuilder.h"
#include "bus/PluginCall.h"
#include "bus/PluginName.h"
#include "bus/PluginSortRule.h"
#include "bus/PluginStopMarks.h"
#include "config/VersionTool.h"
#include "diag/Trace.h"

namespace {

const DWORD LEVEL_ERROR = 0;
const DWORD LEVEL_LIFECYCLE = 3;

// Appends "/" when the text already holds one, else a backslash, unless it ends with it.
void AppendSeparator(wchar_t* _pszPath, size_t _cchPath)
{
    const wchar_t* pszSeparator = wcschr(_pszPath, L'/') ? L"/" : L"\\";
    const size_t cchLen = wcslen(_pszPath);
    if (cchLen == 0 || _pszPath[cchLen - 1] != *pszSeparator)
        StringCchCatW(_pszPath, _cchPath, pszSeparator);
}

}   // namespace

// The long name must end in ".DLL": a wildcard also matches through 8.3 names, so
// "PluginX.dll_old" (short name PLUGIN~1.DLL) would otherwise be loaded.
bool HasDllExtension(const wchar_t* _pszName)
{
    const size_t cchLen = wcslen(_pszName);
    return cchLen >= 4 && CompareStringOrdinal(_pszName + cchLen - 4, 4, L".DLL", 4, TRUE) == CSTR_EQUAL;
}

CPluginBase::CPluginBase(const wchar_t* _pszCategory)
{
    StringCchCopyW(m_szCategory, ARRAYSIZE(m_szCategory), _pszCategory);
    CopyModulePath(nullptr, m_szFolder, ARRAYSIZE(m_szFolder));
    PathRemoveFileSpecW(m_szFolder);
    AppendSeparator(m_szFolder, ARRAYSIZE(m_szFolder));
    StringCchCatW(m_szFolder, ARRAYSIZE(m_szFolder), m_szCategory);
    AppendSeparator(m_szFolder, ARRAYSIZE(m_szFolder));
}

CPluginBase::~CPluginBase() = default;

void CPluginBase::EnterFolder(const wchar_t* _pszErrorFormat) const
{
    // The module's own dependencies are found in its folder; it stays the current one.
    if (!SetCurrentDirectoryW(m_szFolder))
        WriteTrace(LEVEL_ERROR, _pszErrorFormat, m_szFolder);
}

void CPluginBase::LoadAllModules()
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.LoadAllModules.Begin");
    wchar_t szPattern[512];
    StringCchPrintfW(szPattern, ARRAYSIZE(szPattern), L"%sPlugin*.DLL", m_szFolder);
    WIN32_FIND_DATAW data;
    const CFindHandle hFind(FindFirstFileW(szPattern, &data));
    m_vecStopped.clear();
    if (hFind)
    {
        int iSlot = 0;
        do
        {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !HasDllExtension(data.cFileName))
                continue;
            wchar_t szPath[512];
            if (FAILED(StringCchPrintfW(szPath, ARRAYSIZE(szPath), L"%s%s", m_szFolder, data.cFileName)))
                continue;
            if (IsPluginStopped(szPath))
            {
                // A state the person switches off on the module info page, not a fault of this run.
                WriteTraceNote(LEVEL_ERROR, L"Func.LoadAllModules.Error.Stopped after faults, not loaded: %s", szPath);
                m_vecStopped.emplace_back(szPath);
                continue;
            }
            EnterFolder(L"Func.LoadAllModules.Error._tchdir %s failed");
            if (m_Slots[iSlot].Load(szPath))
                ++iSlot;
        } while (iSlot < MAX_SLOTS && FindNextFileW(hFind.Get(), &data));
    }
    SortPluginSlots(m_Slots, MAX_SLOTS, GetPluginLoadSortRule());
    WriteTrace(LEVEL_LIFECYCLE, L"Func.LoadAllModules.End");
}

void CPluginBase::AfterLoad()
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.AfterLoad.Begin");
    for (const CPluginModule& module : m_Slots)
        module.AfterLoad();
    RefreshCanDisable();
    WriteTrace(LEVEL_LIFECYCLE, L"Func.AfterLoad.End");
}

void CPluginBase::BeforeClose()
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.BeforeClose.Begin");
    for (const CPluginModule& module : m_Slots)
        module.BeforeClose();
    WriteTrace(LEVEL_LIFECYCLE, L"Func.BeforeClose.End");
}

void CPluginBase::UnloadAllModules()
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.UnloadAllModules.Begin");
    for (CPluginModule& module : m_Slots)
        module.Unload();
    WriteTrace(LEVEL_LIFECYCLE, L"Func.UnloadAllModules.End");
}

void CPluginBase::RefreshCanDisable()
{
    for (CPluginModule& module : m_Slots)
        module.RefreshCanDisable();
}

int CPluginBase::FindLoaded(const wchar_t* _pszUpperName) const
{
    for (int i = 0; i < MAX_SLOTS; ++i)
    {
        if (!m_Slots[i].IsLoaded())
            continue;
        wchar_t szPath[512];
        if (!CopyModulePath(m_Slots[i].GetHandle(), szPath, ARRAYSIZE(szPath)))
            continue;
        CharUpperW(szPath);
        if (StrStrW(szPath, _pszUpperName))
            return i;
    }
    return -1;
}

int CPluginBase::Add(const wchar_t* _pszFile)
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Add.Begin");
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Add.Param._pszFile %s", _pszFile);
    wchar_t szName[512];
    NormalizePluginName(_pszFile, szName, ARRAYSIZE(szName));
    if (FindLoaded(szName) >= 0)
    {
        WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Add.Abort.Result %d", 1);
        return 1;
    }
    CPluginModule* pFree = nullptr;
    for (CPluginModule& module : m_Slots)
    {
        if (!module.IsLoaded())
        {
            pFree = &module;
            break;
        }
    }
    if (!pFree)
    {
        WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Add.End.Result %d", 3);
        return 3;
    }
    // The name arrives in a bus message, possibly from another process: only a file of
    // the plug-in folder itself is loaded, never one that a path part points elsewhere.
    if (IsPlainFileName(szName))
    {
        EnterFolder(L"Func.CPluginBase.Add.Error._tchdir %s failed");
        wchar_t szPath[512];
        if (SUCCEEDED(StringCchPrintfW(szPath, ARRAYSIZE(szPath), L"%s%s", m_szFolder, szName)) && pFree->Load(szPath))
            return 0;
    }
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Add.Abort.Result %d", 2);
    return 2;
}

int CPluginBase::Remove(const wchar_t* _pszFile)
{
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Begin");
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Param._pszFile %s", _pszFile);
    wchar_t szName[512];
    NormalizePluginName(_pszFile, szName, ARRAYSIZE(szName));
    // An empty name would become ".DLL", which every module path contains: it names nothing.
    const int iSlot = IsEmptyPluginName(szName) ? -1 : FindLoaded(szName);
    if (iSlot >= 0)
    {
        m_Slots[iSlot].Unload();
        WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.Abort.Result %d", 0);
        return 0;
    }
    WriteTrace(LEVEL_LIFECYCLE, L"Func.CPluginBase.End.Result %d", 1);
    return 1;
}

int CPluginBase::DeliverBusMessage(UINT _uType, const wchar_t* _pszRecord)
{
    for (const CPluginModule& module : m_Slots)
    {
        if (module.HasBusProcess() && module.BusProcess(_uType, _pszRecord) == 0)
            return 0;
    }
    return 1;
}

const CPluginModule& CPluginBase::GetSlot(int _iSlot) const
{
    return m_Slots[static_cast<unsigned>(_iSlot) % MAX_SLOTS];
}

HMODULE CPluginBase::GetModuleHandle(int _iSlot) const
{
    return GetSlot(_iSlot).GetHandle();
}

const wchar_t* CPluginBase::GetModuleName(int _iSlot)
{
    const wchar_t* pszName = GetSlot(_iSlot).GetName();
    StringCchCopyW(m_szName, ARRAYSIZE(m_szName), pszName ? pszName : L"");
    return m_szName;
}

int CPluginBase::GetCanDisable(int _iSlot) const
{
    return GetSlot(_iSlot).GetCanDisable();
}

int CPluginBase::GetDisableState(int _iSlot) const
{
    const CPluginModule& module = GetSlot(_iSlot);
    return module.IsLoaded() ? module.GetDisableState() : 1;
}

// Delivery of bus messages to the plug-in lists.
int DistributeBusMessageToLists(UINT _uType, CBusBlock _block)
{
    // An empty owner reads as an empty record.
    const wchar_t* pszRecord = _block.Record();
    g_PluginDebug.DeliverBusMessage(_uType, pszRecord);
    const int iExtra = g_PluginExtra.DeliverBusMessage(_uType, pszRecord);
    g_PluginSearch.DeliverBusMessage(_uType, pszRecord);
    g_PluginInfo.DeliverBusMessage(_uType, pszRecord);
    const int iSave = g_PluginSave.DeliverBusMessage(_uType, pszRecord);
    const int iTelephony = g_PluginTelephony.DeliverBusMessage(_uType, pszRecord);
    _block.Release();
    return (iExtra && iSave && iTelephony) ? 1 : 0;
}

int CallPluginBus(const CPluginModule* _pModule, UINT _uType)
{
    if (_pModule == nullptr || !_pModule->HasBusProcess())
        return 0;
    // A buffer per call: the module may call back into the host before it returns.
    CBusRecordBuilder record(_uType, BUS_RECORD_CAPACITY);
    return _pModule->BusProcess(_uType, record.Finish());
}

const CPluginModule* FindListedModule(HMODULE _hModule)
{
    if (_hModule == nullptr)
        return nullptr;
    for (const CPluginBase* pList :
         {&g_PluginDebug, &g_PluginExtra, &g_PluginSearch, &g_PluginInfo, &g_PluginSave, &g_PluginTelephony})
    {
        for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
        {
            if (pList->GetModuleHandle(i) == _hModule)
                return &pList->GetSlot(i);
        }
    }
    return nullptr;
}

// The module report of one list: one trace line per named module.
namespace {

const DWORD LEVEL_REPORT = 0;

// Last-write time of the file as stored (UTC, no conversion); zero when unknown.
SYSTEMTIME LastWriteTime(const wchar_t* _pszPath)
{
    SYSTEMTIME st = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(_pszPath, GetFileExInfoStandard, &data))
        FileTimeToSystemTime(&data.ftLastWriteTime, &st);
    return st;
}

}   // namespace

void CPluginBase::FormatModuleLine(int _iSlot, wchar_t* _pszLine, size_t _cchLine)
{
    wchar_t szPath[512];
    if (!CopyModulePath(m_Slots[_iSlot].GetHandle(), szPath, ARRAYSIZE(szPath)))
        StringCchCopyW(szPath, ARRAYSIZE(szPath), L" ");
    const CVersionTool version(szPath);
    const SYSTEMTIME st = LastWriteTime(szPath);
    StringCchPrintfW(_pszLine, _cchLine, L"%s;%s;%s;%04d-%02d-%02d %02d:%02d:%02d;%d;", szPath,
                     version.GetProductVersion(), version.GetFileVersion(), st.wYear, st.wMonth, st.wDay, st.wHour,
                     st.wMinute, st.wSecond, GetDisableState(_iSlot) ? 1 : 0);
}

void CPluginBase::PrintFileInfos()
{
    WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.Begin");
    for (int i = 0; i < MAX_SLOTS; ++i)
    {
        const wchar_t* pszName = GetModuleName(i);
        if (pszName[0] == L'\0')
            continue;
        wchar_t szLine[512];
        FormatModuleLine(i, szLine, ARRAYSIZE(szLine));
        WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.Info.Module: %s", szLine);
        // A note, not a fault: such a module (or one without DLL_IsUnicode) works all the same.
        if (m_Slots[i].IsUnicode() == 0)
            WriteTraceNote(LEVEL_REPORT, L"Func.PrintFileInfos.Error.UNICODE:%s", GetModuleName(i));
    }
    WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.End");
}

// Host commands of bus type 8: reload or remove a whole list, add or remove one module.
namespace {

enum class EListAction
{
    Reload,
    RemoveAll,
    AddOne,
    RemoveOne
};

struct HostCommand
{
    const wchar_t* pszCmd;
    CPluginBase* pList;
    EListAction action;
};

const HostCommand COMMANDS[] = {
    {L"LOADALLSEARCHMODULES", &g_PluginSearch, EListAction::Reload},
    {L"REMOVEALLSEARCHMODULES", &g_PluginSearch, EListAction::RemoveAll},
    {L"LOADALLSAVEMODULES", &g_PluginSave, EListAction::Reload},
    {L"REMOVEALLSAVEMODULES", &g_PluginSave, EListAction::RemoveAll},
    {L"LOADALLEXTRAMODULES", &g_PluginExtra, EListAction::Reload},
    {L"REMOVEALLEXTRAMODULES", &g_PluginExtra, EListAction::RemoveAll},
    {L"LOADALLPHONEMODULES", &g_PluginTelephony, EListAction::Reload},
    {L"REMOVEALLPHONEMODULES", &g_PluginTelephony, EListAction::RemoveAll},
    {L"PLUGINADD", &g_PluginSearch, EListAction::AddOne},
    {L"PLUGINREMOVE", &g_PluginSearch, EListAction::RemoveOne},
};

}   // namespace

void RunHostCommand(const wchar_t* _pszCmd, const wchar_t* _pszArg)
{
    if (!_pszCmd)
        return;
    for (const HostCommand& command : COMMANDS)
    {
        if (wcscmp(_pszCmd, command.pszCmd) != 0)
            continue;
        CPluginBase& list = *command.pList;
        switch (command.action)
        {
        case EListAction::Reload:
            list.BeforeClose();
            list.UnloadAllModules();
            list.LoadAllModules();
            list.AfterLoad();
            break;
        case EListAction::RemoveAll:
            list.BeforeClose();
            list.UnloadAllModules();
            break;
        case EListAction::AddOne: list.Add(_pszArg ? _pszArg : L""); break;
        case EListAction::RemoveOne: list.Remove(_pszArg ? _pszArg : L""); break;
        }
        return;
    }
}
