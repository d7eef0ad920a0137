// Standard reflected CRC-32 (polynomial 0x04C11DB7, initial all ones, final complement).
#pragma once
#include <cstddef>
#include <cstdint>

class CCrc32
{
public:
    CCrc32();
    virtual ~CCrc32() = default;
    uint32_t Compute(const void* _pData, size_t _cbData) const;

private:
    uint32_t m_dwTable[256];
};

extern CCrc32 g_Crc32;
