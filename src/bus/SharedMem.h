// The named 16-byte block through which other processes of the session signal the host.
#pragma once
#include <windows.h>

#include "base/Handle.h"

// Word indexes of the block.
enum SharedMemWord
{
    SHM_REQUEST = 0,
    SHM_PLUGINID = 1,
    SHM_HOSTRUNNING = 2,
    SHM_MAINWINDOW = 3
};

class CSharedMem
{
public:
    static const DWORD BLOCK_BYTES = 16;
    static const size_t NAME_CHARS = 512;   // the name keeps at most 511 characters

    CSharedMem() = default;
    virtual ~CSharedMem();
    CSharedMem(const CSharedMem&) = delete;
    CSharedMem& operator=(const CSharedMem&) = delete;

    // Opens or creates the named block and points g_pSharedMem at it, or at the program
    // image's shared section when the block cannot be mapped. Runs once.
    void OpenSharedMem();
    bool IsMapped() const { return m_bMapped != 0; }

    // The block's name for this program folder and user.
    static void BuildName(wchar_t* _pszName, size_t _cchName);
    // "Local\SharedMemQelServer<signed CRC-32 of the folder's UTF-16LE text><upper-case user>".
    static void FormatName(wchar_t* _pszName, size_t _cchName, const wchar_t* _pszFolder, const wchar_t* _pszUser);

private:
    HANDLE OpenOrCreateMapping(const wchar_t* _pszName, bool* _pbCreated) const;

    DWORD m_bMapped = 0;
    CKernelHandle m_hMapping;
    CMappedView m_View;   // unmapped after g_pSharedMem no longer points into it
};

// Current view: four 32-bit words (never null once OpenSharedMem has run).
extern volatile LONG* g_pSharedMem;
extern CSharedMem g_SharedMem;

// Plain 32-bit access to one word of the block (no-op, or 0, before the block exists).
void SetSharedWord(SharedMemWord _eWord, LONG _lValue);
LONG GetSharedWord(SharedMemWord _eWord);
