// The classes of values the fuzzer puts where the host expects a pointer or a function.
#pragma once
#include <windows.h>

#include "FuzzRandom.h"
#include "HostAddressMap.h"

enum class EPointerClass
{
    Zero,
    Small,          // 1 .. 4096
    HighHalf,       // -1 and addresses in the kernel half
    Unmapped,       // free address space of the host
    FuzzerMemory,   // valid only in this process
    HostHeap,       // pointers the host's own memory holds, and the same +/- 8 and 16
    ProgramCode,    // executable sections of the program file
    SystemCode,     // executable sections of ntdll and kernel32 in the host
    PluginCode,     // executable sections of the plug-ins
    HostStack,      // inside the stacks of the host's threads
    ImageData,      // any readable byte of a module image: headers, data, resources
    MappedFile,     // readable mapped files and sections
    HighestRegion,  // the highest readable regions of the address space
    RecordText,     // where the host's memory holds the record header text
    Forged,         // record text and control headers naming the host's windows, placed by the fuzzer
    Count
};

const wchar_t* PointerClassName(EPointerClass _eClass);
LPARAM PickPointer(EPointerClass _eClass, const CHostAddressMap& _Map, CFuzzRandom& _Random);
EPointerClass RandomPointerClass(CFuzzRandom& _Random);
// An address inside one of the ranges; 0 when there are none.
UINT_PTR PickInRanges(const std::vector<AddressRange>& _vecRanges, CFuzzRandom& _Random);
// A writable zero-filled buffer of this process for messages the system copies across.
void* FuzzerBuffer();
const size_t FUZZER_BUFFER_BYTES = 65536;
