// Transport of a record to a window as message 1151 in a fresh global memory block,
// and the WM_SETTEXT entry through which other processes hand records over.
#include "bus/BusRecord.h"

#include <algorithm>
#include <cwchar>

#include "base/MemoryProbe.h"
#include "bus/BusBlockRegistry.h"
#include "bus/RecordBlockReserve.h"

namespace {

// A posted block holds at least the SDK's smallest block; a longer record gets its length + 2.
const size_t MIN_BLOCK_CHARS = BUS_BLOCK_MIN_CHARS - 2;
// A record handed over as window text keeps at most the SDK's record capacity.
const size_t SETTEXT_BLOCK_CHARS = BUS_RECORD_CAPACITY + 1;

// A fixed, zero-filled block of _cchBlock characters (at least _cchText + 1) holding the first
// _cchText characters of the text, which has at least that many before its terminator; a
// block of the smallest size comes from the reserve while it has one.
HGLOBAL AllocRecordBlock(const wchar_t* _pszText, size_t _cchText, size_t _cchBlock)
{
    HGLOBAL hBlock = _cchBlock == BUS_BLOCK_MIN_CHARS ? TakeReservedRecordBlock() : nullptr;
    if (hBlock == nullptr)
        hBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, _cchBlock * sizeof(wchar_t));
    if (hBlock != nullptr)
        wmemcpy(static_cast<wchar_t*>(hBlock), _pszText, _cchText);   // the zero fill terminates it
    return hBlock;
}

bool IsWindowOfThisProcess(HWND _hWnd)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(_hWnd, &dwProcessId);
    return dwProcessId == GetCurrentProcessId();
}

// Sends (result of the window procedure) or posts (1) the block; a block that could not be
// posted is nobody's, so it is freed here and the result is 0. A block for a window of this
// process is put on account first, so that its receiver takes it as one of the host's own;
// a post is refused when too many of them wait already (each sender waits for its send).
int DeliverBlock(HWND _hWnd, BOOL _bSynchronous, UINT _uType, HGLOBAL _hBlock, CBusBlockRegistry::EOrigin _eOrigin)
{
    const LPARAM lBlock = reinterpret_cast<LPARAM>(_hBlock);
    const bool bOwnWindow = IsWindowOfThisProcess(_hWnd);
    if (_bSynchronous)
    {
        if (bOwnWindow)
            BusBlocks().AddPending(lBlock, _uType, _eOrigin);
        return static_cast<int>(SendMessageW(_hWnd, WM_QEL_BUS, _uType, lBlock));
    }
    if (bOwnWindow && !BusBlocks().AddPosted(lBlock, _uType, _eOrigin))
        return SettlePost(FALSE, _hBlock);
    return SettlePost(PostMessageW(_hWnd, WM_QEL_BUS, _uType, lBlock), _hBlock);
}

}   // namespace

bool IsBusTarget(HWND _hWnd)
{
    return _hWnd != nullptr && IsWindow(_hWnd);
}

int SettlePost(BOOL _bPosted, HGLOBAL _hBlock)
{
    if (_bPosted)
        return 1;
    BusBlocks().Forget(reinterpret_cast<LPARAM>(_hBlock));
    GlobalFree(_hBlock);
    return 0;
}

int PostBusRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uType, const wchar_t* _pszRecord)
{
    const INT_PTR iLength = GetBusTextLength(_pszRecord);
    if (iLength < 0)
        return 0;
    return PostOwnBusRecord(_hWnd, _bSynchronous, _uType, _pszRecord, static_cast<size_t>(iLength));
}

int PostOwnBusRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uType, const wchar_t* _pszRecord, size_t _cchRecord)
{
    if (!IsBusTarget(_hWnd))
        return 0;
    HGLOBAL hBlock = AllocRecordBlock(_pszRecord, _cchRecord, std::max(_cchRecord, MIN_BLOCK_CHARS) + 2);
    if (hBlock == nullptr)
        return 0;
    return DeliverBlock(_hWnd, _bSynchronous, _uType, hBlock, CBusBlockRegistry::EOrigin::Host);
}

bool ForwardSetTextRecord(HWND _hWnd, WPARAM _wParam, const wchar_t* _pszText)
{
    const INT_PTR iLength = GetBusTextLength(_pszText);
    if (iLength <= 0 || _pszText[0] != L'<' || !IsBusTarget(_hWnd))
        return false;
    const UINT uType = static_cast<UINT>(GetBusNumber(_pszText, L"Type"));
    const size_t cchText = std::min(static_cast<size_t>(iLength), SETTEXT_BLOCK_CHARS - 1);
    HGLOBAL hBlock = AllocRecordBlock(_pszText, cchText, SETTEXT_BLOCK_CHARS);
    if (hBlock == nullptr)
        return false;
    const auto eOrigin = CBusBlockRegistry::EOrigin::ForeignText;
    if (_wParam != 0)
    {
        DeliverBlock(_hWnd, TRUE, uType, hBlock, eOrigin);
        return true;
    }
    return DeliverBlock(_hWnd, FALSE, uType, hBlock, eOrigin) != 0;
}
