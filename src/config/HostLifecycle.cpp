#include "config/HostLifecycle.h"

namespace {

volatile LONG g_lHostState = static_cast<LONG>(EHostState::NotStarted);

}   // namespace

EHostState GetHostState()
{
    return static_cast<EHostState>(InterlockedCompareExchange(&g_lHostState, 0, 0));
}

bool AdvanceHostState(EHostState _eState)
{
    const LONG lNew = static_cast<LONG>(_eState);
    LONG lOld = InterlockedCompareExchange(&g_lHostState, 0, 0);
    while (lOld < lNew)
    {
        const LONG lSeen = InterlockedCompareExchange(&g_lHostState, lNew, lOld);
        if (lSeen == lOld)
            return true;
        lOld = lSeen;
    }
    return false;
}
