// What the process holds: its kernel handles and its committed private memory.
#pragma once
#include <cstddef>

struct SProcessUse
{
    unsigned long ulHandles;
    size_t cbPrivate;
};

SProcessUse MeasureProcessUse();
