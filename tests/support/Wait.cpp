#include "Wait.h"

namespace tvr {

bool WaitUntil(const std::function<bool()>& _condition, DWORD _dwTimeoutMs)
{
    const ULONGLONG ullEnd = GetTickCount64() + _dwTimeoutMs;
    for (;;)
    {
        if (_condition())
            return true;
        if (GetTickCount64() >= ullEnd)
            return false;
        Sleep(20);
    }
}

} // namespace tvr
