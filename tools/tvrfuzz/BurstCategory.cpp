#include "BurstCategory.h"

#include "Exclusions.h"
#include "PointerClasses.h"
#include "TelvarinPlugin.h"

namespace {

// An address the host refuses to call: system code, free space or a small number.
LPARAM RefusedAddress(const CHostAddressMap& _Map, CFuzzRandom& _Random)
{
    static const EPointerClass s_aeClasses[] = {EPointerClass::SystemCode, EPointerClass::Unmapped,
                                                EPointerClass::Small};
    return PickPointer(s_aeClasses[_Random.Below(ARRAYSIZE(s_aeClasses))], _Map, _Random);
}

// A block the host did not allocate: never one of its live heap blocks.
LPARAM BogusBlock(const CHostAddressMap& _Map, CFuzzRandom& _Random)
{
    static const EPointerClass s_aeClasses[] = {EPointerClass::Zero, EPointerClass::Small, EPointerClass::HighHalf,
                                                EPointerClass::Unmapped, EPointerClass::FuzzerMemory};
    return PickPointer(s_aeClasses[_Random.Below(ARRAYSIZE(s_aeClasses))], _Map, _Random);
}

LPARAM TimerCode(const CFuzzSession& _Session, CFuzzRandom& _Random)
{
    if (_Session.Canary().IsArmed() && _Random.Chance(50))
        return static_cast<LPARAM>(_Session.Canary().Function());
    return PickPointer(EPointerClass::SystemCode, _Session.Map(), _Random);
}

} // namespace

void RunBurst(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    _Session.SetFlooding(true);
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const uint64_t uPick = _Random.Below(100);
        if (uPick < 40)
            _Session.Post(WM_QEL_CALLFUNCTION, 0, RefusedAddress(_Session.Map(), _Random), L"1156 refused address");
        else if (uPick < 80)
        {
            WPARAM wType = static_cast<WPARAM>(_Random.Below(101));
            if (IsExitBusType(wType))
                wType = QEL_BUSMSG_CALLEVENT;
            _Session.Post(WM_QEL_BUS, wType, BogusBlock(_Session.Map(), _Random), L"1151 bogus block");
        }
        else
            _Session.Post(WM_TIMER, uPick < 95 ? 2 : 1, TimerCode(_Session, _Random), L"WM_TIMER code address");
    }
}
