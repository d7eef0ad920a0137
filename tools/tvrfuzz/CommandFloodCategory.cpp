#include "CommandFloodCategory.h"

#include <algorithm>

namespace {

const unsigned MIN_FLOOD = 20000;                    // well beyond what the host lets wait
const SIZE_T MAX_GROWTH = 256 * 1024 * 1024;         // twice the host's bound on waiting records
const unsigned SAMPLE_EVERY = 500;
const DWORD SETTLE_SAMPLE_MS = 100;
const unsigned SETTLE_SAMPLES = 30;

// Commands the host runs itself: pause, continue, exit, settings, information, help.
bool IsHostCommand(UINT _uId)
{
    return (_uId >= 11005 && _uId <= 11007) || _uId == 32778 || _uId == 32780 || _uId == 32782;
}

} // namespace

void RunCommandFlood(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    _Session.SetFlooding(true);
    const SIZE_T cbBefore = _Session.Host().PrivateUsage();
    SIZE_T cbPeak = cbBefore;
    UINT uId = static_cast<UINT>(1 + _Random.Below(0xFFFF));
    const unsigned uFlood = std::max(_uCount, MIN_FLOOD);
    // Posted straight, without the session's checks after each message: only a flood faster
    // than the host works it off makes its records pile up.
    for (unsigned i = 0; i < uFlood && _Session.CanGoOn(); ++i, uId = uId % 0xFFFF + 1)
    {
        if (!IsHostCommand(uId) && PostMessageW(_Session.Host().Window(), WM_COMMAND, uId, 0))
            ++_Session.Report().Current().ullSent;
        if (i % SAMPLE_EVERY == 0)
            cbPeak = std::max(cbPeak, _Session.Host().PrivateUsage());
    }
    if (!IsHostCommand(uId))
        _Session.Post(WM_COMMAND, uId, 0, L"WM_COMMAND flood");
    // The host forwards the commands as fast as they come; their records wait behind them.
    for (unsigned i = 0; i < SETTLE_SAMPLES && _Session.CanGoOn(); ++i)
    {
        Sleep(SETTLE_SAMPLE_MS);
        cbPeak = std::max(cbPeak, _Session.Host().PrivateUsage());
    }
    const SIZE_T cbGrowth = cbPeak - std::min(cbPeak, cbBefore);
    _Session.Report().Current().strNote += L"peak +" + std::to_wstring(cbGrowth / (1024 * 1024)) + L" MB; ";
    if (cbBefore != 0 && cbGrowth > MAX_GROWTH)
        _Session.Report().Fault(EFault::Effect, L"unbounded memory",
                                L"private memory rose by " + std::to_wstring(cbGrowth / (1024 * 1024)) +
                                    L" MB while the host worked off a WM_COMMAND flood");
}
