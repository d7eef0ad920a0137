// Addresses inside another process, read from outside as a hostile program would find
// them: the code of its program file and the live blocks of its heap.
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

} // namespace tvr
