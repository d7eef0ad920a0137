// A page the fuzzer places in the host's address space, apart from all of the host's own
// data, holding what a message's lParam would point to if the host's own code had sent it:
// a record text and the headers the host's controls send, naming its windows. On 32 bits,
// random values often point into the host's own memory, where such content lies; on 64 bits
// they never do, so the page stands in for it. It is read-only: a host that writes through
// such a pointer faults, as it would in its own read-only memory.
#pragma once
#include <windows.h>
#include <vector>

struct HostWindow;

class CForgedPage
{
public:
    CForgedPage() = default;
    ~CForgedPage();
    CForgedPage(const CForgedPage&) = delete;
    CForgedPage& operator=(const CForgedPage&) = delete;

    // Writes the page anew for the process and its windows; false when the process's memory
    // cannot be written.
    bool Place(DWORD _dwPid, const std::vector<HostWindow>& _vecWindows);
    // The record text and each forged header; empty without a page.
    const std::vector<UINT_PTR>& Addresses() const { return m_vecAddresses; }

private:
    void Release();

    HANDLE m_hProcess = nullptr;
    DWORD m_dwPid = 0;
    BYTE* m_pPage = nullptr;
    std::vector<UINT_PTR> m_vecAddresses;
};
