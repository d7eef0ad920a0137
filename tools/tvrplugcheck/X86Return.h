// How many argument bytes a 32-bit x86 function removes on return, read from its code
// without running it: the immediates of the "ret" instructions that its code reaches from
// the entry (following jumps and both ways of every conditional jump).
#pragma once
#include <cstdint>
#include <set>
#include <vector>

struct SReturnScan
{
    std::set<unsigned> setRetBytes;   // N of every "ret N" reached ("ret" is 0)
    bool bComplete = true;            // false when a path left the code it could follow
};

// _vecCode starts at the function's entry.
SReturnScan ScanX86Returns(const std::vector<uint8_t>& _vecCode);
