#include "bus/Crc32.h"

namespace {
const uint32_t CRC32_POLYNOMIAL_REFLECTED = 0xEDB88320u;   // 0x04C11DB7 bit-reversed
}

CCrc32::CCrc32()
{
    for (uint32_t uIndex = 0; uIndex < 256; ++uIndex)
    {
        uint32_t uValue = uIndex;
        for (int iBit = 0; iBit < 8; ++iBit)
            uValue = (uValue & 1u) ? (uValue >> 1) ^ CRC32_POLYNOMIAL_REFLECTED : uValue >> 1;
        m_dwTable[uIndex] = uValue;
    }
}

uint32_t CCrc32::Compute(const void* _pData, size_t _cbData) const
{
    const unsigned char* pByte = static_cast<const unsigned char*>(_pData);
    uint32_t uCrc = 0xFFFFFFFFu;
    for (size_t i = 0; pByte != nullptr && i < _cbData; ++i)
        uCrc = m_dwTable[(uCrc ^ pByte[i]) & 0xFFu] ^ (uCrc >> 8);
    return ~uCrc;
}
