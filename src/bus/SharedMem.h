// The named 16-byte block through which other processes of the session signal the host.
#pragma once
#include <windows.h>

// Word indexes of the block.
enum SharedMemWord { SHM_REQUEST = 0, SHM_PLUGINID = 1, SHM_HOSTRUNNING = 2, SHM_MAINWINDOW = 3 };

class CSharedMem
{
public:
    CSharedMem() = default;
    virtual ~CSharedMem();
    void OpenSharedMem();
    // The block's name for this program folder and user.
    static void BuildName(wchar_t* _pszName, size_t _cchName);
private:
    DWORD m_bMapped = 0;
    DWORD m_bPerUser = 0;
    DWORD m_bModuleChecksum = 0;
    HANDLE m_hMapping = nullptr;
    wchar_t m_szSuffix[256] = L"";
};

// Current view: four 32-bit words (never null once OpenSharedMem has run).
extern volatile LONG* g_pSharedMem;
extern CSharedMem g_SharedMem;

// Plain 32-bit access to one word of the block (no-op before the block exists).
void SetSharedWord(SharedMemWord _eWord, LONG _lValue);
LONG GetSharedWord(SharedMemWord _eWord);
