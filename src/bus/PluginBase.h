// One plug-in module list per category, 32 slots each.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "bus/BusBlock.h"
#include "bus/PluginModule.h"

// True when a file name found by "Plugin*.DLL" really ends in ".DLL" (any case): the
// pattern also matches through short names, as "PluginX.dll_old" does.
bool HasDllExtension(const wchar_t* _pszName);

class CPluginBase
{
public:
    static const int MAX_SLOTS = 32;

    explicit CPluginBase(const wchar_t* _pszCategory);
    virtual ~CPluginBase();
    virtual void LoadAllModules();
    virtual void AfterLoad();
    virtual void BeforeClose();
    virtual void UnloadAllModules();

    int Add(const wchar_t* _pszFile);      // 0 loaded, 1 already loaded, 2 failed, 3 no slot
    int Remove(const wchar_t* _pszFile);   // 0 removed, 1 not loaded
    void PrintFileInfos();
    void RefreshCanDisable();
    // Delivers to slots 0..31 until one returns 0; the list's result (0 or 1).
    int DeliverBusMessage(UINT _uType, const wchar_t* _pszRecord);

    // Slot queries (slot number taken modulo 32).
    HMODULE GetModuleHandle(int _iSlot) const;
    const wchar_t* GetModuleName(int _iSlot);
    int GetCanDisable(int _iSlot) const;
    int GetDisableState(int _iSlot) const;
    const CPluginModule& GetSlot(int _iSlot) const;
    const wchar_t* GetCategory() const { return m_szCategory; }
    // Files the last LoadAllModules left out because they are stopped after faults.
    const std::vector<std::wstring>& GetStoppedFiles() const { return m_vecStopped; }
    const wchar_t* GetFolder() const { return m_szFolder; }

private:
    // Makes the plug-in folder the current directory; traces the given error text on failure.
    void EnterFolder(const wchar_t* _pszErrorFormat) const;
    // Index of the first loaded slot whose upper-cased module path contains the name; -1 when none.
    int FindLoaded(const wchar_t* _pszUpperName) const;
    void FormatModuleLine(int _iSlot, wchar_t* _pszLine, size_t _cchLine);

    wchar_t m_szFolder[512] = L"";
    wchar_t m_szCategory[512] = L"";
    CPluginModule m_Slots[MAX_SLOTS];
    wchar_t m_szName[127] = L"";
    std::vector<std::wstring> m_vecStopped;
};

extern CPluginBase g_PluginDebug;
extern CPluginBase g_PluginSearch;
extern CPluginBase g_PluginInfo;
extern CPluginBase g_PluginSave;
extern CPluginBase g_PluginExtra;
extern CPluginBase g_PluginTelephony;

// Fan-out of a bus message to all lists (Debug, Extra, Search, Info, Save, Telephony),
// then release of the block, which the distribution takes over. Returns 1 unless the Extra,
// Save or Telephony list gave 0.
int DistributeBusMessageToLists(UINT _uType, CBusBlock _block);
// Host command of bus type 8 (CMD compared case-sensitively).
void RunHostCommand(const wchar_t* _pszCmd, const wchar_t* _pszArg);
// Calls DLL_PluginBusProcess of one module with a Type-only record; 0 without a module or
// when it lacks the export.
int CallPluginBus(const CPluginModule* _pModule, UINT _uType);
// The loaded plug-in of one of the six lists with this handle, else null: a handle kept by
// a window may outlive its module (a host command can unload a list meanwhile).
const CPluginModule* FindListedModule(HMODULE _hModule);
