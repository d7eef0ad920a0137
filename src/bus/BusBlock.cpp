// Acceptance and release of the blocks of message 1151.
#include "bus/BusBlock.h"

#include <utility>

#include "TelvarinPlugin.h"

CBusBlock CBusBlock::Accept(LPARAM _lBlock, UINT _uType, EBlockVerdict* _peVerdict)
{
    const EBlockVerdict eVerdict = _lBlock != 0 ? BusBlocks().Accept(_lBlock, _uType) : EBlockVerdict::NoRecordBlock;
    // The plug-in handed the block over: it is freed although its text cannot be read.
    if (eVerdict == EBlockVerdict::Unterminated)
        GlobalFree(reinterpret_cast<HGLOBAL>(_lBlock));
    if (_peVerdict != nullptr)
        *_peVerdict = eVerdict;
    return CBusBlock(eVerdict == EBlockVerdict::Taken ? _lBlock : 0);
}

CBusBlock::CBusBlock(CBusBlock&& _other) noexcept : m_lBlock(std::exchange(_other.m_lBlock, 0))
{
}

CBusBlock& CBusBlock::operator=(CBusBlock&& _other) noexcept
{
    if (this != &_other)
    {
        Release();
        m_lBlock = std::exchange(_other.m_lBlock, 0);
    }
    return *this;
}

void CBusBlock::Release() noexcept
{
    const LPARAM lBlock = std::exchange(m_lBlock, 0);
    if (lBlock == 0)
        return;
    CBusBlockRegistry::EOrigin eOrigin = CBusBlockRegistry::EOrigin::Host;
    const INT_PTR iMemBlock = GetBusHandle(RecordOfBlock(lBlock), L"MemBlock");
    if (!BusBlocks().Finish(lBlock, &eOrigin))
        return;
    // A "MemBlock" in window text names a block of the process that sent the text; a block
    // that is itself a record on its way, or a record buffer, is not this message's to free.
    if (eOrigin != CBusBlockRegistry::EOrigin::ForeignText && iMemBlock != 0 && iMemBlock != lBlock &&
        !BusBlocks().IsKnown(iMemBlock) && IsOwnGlobalHandle(iMemBlock))
        GlobalFree(reinterpret_cast<HGLOBAL>(iMemBlock));
    GlobalFree(reinterpret_cast<HGLOBAL>(lBlock));
}
