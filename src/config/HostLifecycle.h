// The host's one lifecycle. Starting while the main window object loads the plug-ins and runs
// the start's steps (it pumps messages meanwhile, so handlers run half-way through the start),
// Running once the start is done, Closing from the first step of the end (WM_DESTROY closes
// the plug-ins, pumping between the lists), Ended when the plug-ins are closed. The main thread
// moves it forward only; any thread (the monitor thread, the service's threads) reads it.
#pragma once
#include <windows.h>

enum class EHostState : LONG
{
    NotStarted,   // no main window object yet: a tool, a test, a switch that ends the process
    Starting,
    Running,
    Closing,
    Ended,
};

EHostState GetHostState();
// Moves to a later state; false, and no change, when the host is there already or beyond.
bool AdvanceHostState(EHostState _eState);

// A set of states, for those who say in which states they act.
constexpr UINT HostStates(EHostState _eState)
{
    return 1u << static_cast<UINT>(_eState);
}
template <typename... TStates>
constexpr UINT HostStates(EHostState _eFirst, TStates... _eRest)
{
    return HostStates(_eFirst) | HostStates(_eRest...);
}
inline bool IsHostIn(UINT _fStates)
{
    return (HostStates(GetHostState()) & _fStates) != 0;
}
