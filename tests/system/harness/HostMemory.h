// Addresses inside another process, read from outside as a hostile program would find
// them (the code of its program file and the live blocks of its heap), and memory placed
// there for a call.
#pragma once
#include <windows.h>

#include <vector>

namespace tvr {

// Addresses every _uStep bytes through the executable sections of the process's program
// file (its main module, found and parsed with ReadProcessMemory).
std::vector<LPARAM> ProgramCodeAddresses(HANDLE _hProcess, size_t _uStep);
// Likely starts of live heap blocks: aligned pointer values stored in the process's
// private read-write memory that point into that memory. At most _uMax, in address order.
std::vector<LPARAM> HeapBlockAddresses(HANDLE _hProcess, size_t _uMax);

// Memory in the host process for one call that passes a pointer (freed on destruction).
class CRemoteBuffer
{
public:
    CRemoteBuffer(HANDLE _hProcess, size_t _cbSize);
    ~CRemoteBuffer();
    CRemoteBuffer(const CRemoteBuffer&) = delete;
    CRemoteBuffer& operator=(const CRemoteBuffer&) = delete;
    void* Address() const { return m_pAddress; }
    LPARAM Param() const { return reinterpret_cast<LPARAM>(m_pAddress); }
    bool Write(const void* _pData, size_t _cbData, size_t _cbOffset = 0) const;
    bool Read(void* _pData, size_t _cbData, size_t _cbOffset = 0) const;
private:
    HANDLE m_hProcess;
    void* m_pAddress;
};

} // namespace tvr
