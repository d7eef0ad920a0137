#include "PointerClasses.h"

#include <cstring>

namespace {

unsigned char g_abFuzzerBuffer[FUZZER_BUFFER_BYTES];

const wchar_t* const CLASS_NAMES[] = {L"zero",         L"small integer", L"high half",   L"unmapped",
                                      L"fuzzer memory", L"host heap",    L"program code", L"system code",
                                      L"plug-in code", L"host stack",   L"image data",  L"mapped file",
                                      L"highest region", L"record text", L"forged content"};
static_assert(ARRAYSIZE(CLASS_NAMES) == static_cast<size_t>(EPointerClass::Count), "a name per class");

LPARAM HighHalf(CFuzzRandom& _Random)
{
    if (_Random.Chance(30))
        return -1;
    const UINT_PTR uTop = static_cast<UINT_PTR>(1) << (sizeof(UINT_PTR) * 8 - 1);
    return static_cast<LPARAM>(uTop | static_cast<UINT_PTR>(_Random.Next()));
}

// One of the addresses, now and then moved by a little, as a neighbouring field would be.
LPARAM NearAddress(const std::vector<UINT_PTR>& _vecAddresses, CFuzzRandom& _Random)
{
    if (_vecAddresses.empty())
        return 0;
    static const int s_aiShift[] = {0, 0, 0, 8, -8, 16, -16};
    return static_cast<LPARAM>(_Random.Pick(_vecAddresses) + s_aiShift[_Random.Below(ARRAYSIZE(s_aiShift))]);
}

} // namespace

void* FuzzerBuffer()
{
    std::memset(g_abFuzzerBuffer, 0, sizeof(g_abFuzzerBuffer));
    return g_abFuzzerBuffer;
}

const wchar_t* PointerClassName(EPointerClass _eClass)
{
    return CLASS_NAMES[static_cast<int>(_eClass)];
}

EPointerClass RandomPointerClass(CFuzzRandom& _Random)
{
    return static_cast<EPointerClass>(_Random.Below(static_cast<uint64_t>(EPointerClass::Count)));
}

UINT_PTR PickInRanges(const std::vector<AddressRange>& _vecRanges, CFuzzRandom& _Random)
{
    if (_vecRanges.empty())
        return 0;
    const AddressRange& range = _Random.Pick(_vecRanges);
    // Now and then the first byte of the range, else any byte.
    if (_Random.Chance(10))
        return range.uStart;
    return range.uStart + static_cast<UINT_PTR>(_Random.Below(range.uEnd - range.uStart));
}

LPARAM PickPointer(EPointerClass _eClass, const CHostAddressMap& _Map, CFuzzRandom& _Random)
{
    switch (_eClass)
    {
    case EPointerClass::Small: return static_cast<LPARAM>(1 + _Random.Below(4096));
    case EPointerClass::HighHalf: return HighHalf(_Random);
    case EPointerClass::Unmapped:
        return _Map.FreeAddresses().empty() ? 0x10 : static_cast<LPARAM>(_Random.Pick(_Map.FreeAddresses()));
    case EPointerClass::FuzzerMemory:
        return reinterpret_cast<LPARAM>(g_abFuzzerBuffer + _Random.Below(FUZZER_BUFFER_BYTES / 2) * 2);
    case EPointerClass::HostHeap: return NearAddress(_Map.HeapPointers(), _Random);
    case EPointerClass::ProgramCode: return static_cast<LPARAM>(PickInRanges(_Map.ProgramCode(), _Random));
    case EPointerClass::SystemCode: return static_cast<LPARAM>(PickInRanges(_Map.SystemCode(), _Random));
    case EPointerClass::PluginCode: return static_cast<LPARAM>(PickInRanges(_Map.PluginCode(), _Random));
    case EPointerClass::HostStack:
        return static_cast<LPARAM>(PickInRanges(_Map.Stacks(), _Random) & ~static_cast<UINT_PTR>(sizeof(UINT_PTR) - 1));
    case EPointerClass::ImageData: return static_cast<LPARAM>(PickInRanges(_Map.ImageRegions(), _Random));
    case EPointerClass::MappedFile: return static_cast<LPARAM>(PickInRanges(_Map.MappedRegions(), _Random));
    case EPointerClass::HighestRegion: return static_cast<LPARAM>(PickInRanges(_Map.HighestRegions(), _Random));
    case EPointerClass::RecordText: return NearAddress(_Map.RecordTexts(), _Random);
    case EPointerClass::Forged: return NearAddress(_Map.ForgedAddresses(), _Random);
    default: return 0;
    }
}
