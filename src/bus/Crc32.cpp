// scaffold: replaced by the owning subsystem
#include "bus/Crc32.h"
CCrc32::CCrc32() : m_dwTable{} {}
uint32_t CCrc32::Compute(const void*, size_t) const { return 0; }
