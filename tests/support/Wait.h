// Waiting for a state another thread or process brings about.
#pragma once
#include <windows.h>
#include <functional>

namespace tvr {

// Polls the condition every 20 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& _condition, DWORD _dwTimeoutMs);

} // namespace tvr
