#include "ProbePost.h"

#include <string>
#include <vector>

#include "TelvarinPlugin.h"

namespace {

struct SPostedBlock
{
    const wchar_t* pszBlock;
    SIZE_T cbBlock;
    std::wstring strStart;   // what the block began with: a later block at the address differs
    HGLOBAL hMemBlock;
    const void* pMemData;    // the heap block behind the "MemBlock" handle
};

std::vector<SPostedBlock> g_vecPosted;

// Calls the visitor with each live block of the process heap until it returns true. The
// heap's own functions can fault on a guessed address; a walk only reads what the heap knows.
template <typename Visitor>
bool AnyLiveHeapBlock(Visitor _visit)
{
    const HANDLE hHeap = GetProcessHeap();
    bool bFound = false;
    PROCESS_HEAP_ENTRY entry = {};
    if (!HeapLock(hHeap))
        return false;
    while (!bFound && HeapWalk(hHeap, &entry))
        bFound = (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && _visit(entry);
    HeapUnlock(hHeap);
    return bFound;
}

bool IsRecordBlockLive(const SPostedBlock& _block)
{
    return AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        return _entry.lpData == _block.pszBlock && _entry.cbData == _block.cbBlock &&
               wmemcmp(_block.pszBlock, _block.strStart.c_str(), _block.strStart.size()) == 0;
    });
}

bool IsMemBlockLive(const SPostedBlock& _block)
{
    return _block.hMemBlock && AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        return _entry.lpData == _block.pMemData && GlobalHandle(_entry.lpData) == _block.hMemBlock;
    });
}

std::wstring ShapedText(const ProbeConfig& _config, const ProbeFields& _fields)
{
    wchar_t szType[64];
    StringCchPrintfW(szType, ARRAYSIZE(szType), BUS_FIELD_TYPE,
                     _config.iPostTypeLine >= 0 ? static_cast<UINT>(_config.iPostTypeLine) : _config.uPostType);
    std::wstring strText = std::wstring(BUS_RECORD_HEADER) + szType;
    for (const auto& field : _fields)
        strText += L" <value keyword=\"" + field.first + L"\">" + field.second + L"</value>\r\n";
    strText += BUS_RECORD_FOOTER;
    if (_config.uPostCutAt > 0 && _config.uPostCutAt < strText.size())
        strText.resize(_config.uPostCutAt);
    return strText;
}

} // namespace

LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous)
{
    CBusRecordWriter record;
    for (const auto& field : _fields)
        record.AddText(field.first.c_str(), field.second.c_str());
    if (_bSynchronous)
        return record.Send(_hWnd, _uType);
    return record.Post(_hWnd, _uType) ? 1 : 0;
}

void PostShapedRecord(HWND _hWnd, const ProbeConfig& _config, ProbeFields _fields)
{
    SPostedBlock posted = {};
    if (_config.uPostMemBlock > 0)
    {
        const UINT uFlags = _config.bPostMemBlockMovable ? GMEM_MOVEABLE : GMEM_FIXED;
        posted.hMemBlock = GlobalAlloc(uFlags | GMEM_ZEROINIT, _config.uPostMemBlock);
        posted.pMemData = GlobalLock(posted.hMemBlock);
        GlobalUnlock(posted.hMemBlock);
        _fields.emplace_back(L"MemBlock", std::to_wstring(reinterpret_cast<INT_PTR>(posted.hMemBlock)));
    }
    const std::wstring strText = ShapedText(_config, _fields);
    const size_t cchBlock = _config.uPostBlockChars > 0 ? _config.uPostBlockChars : BUS_BLOCK_MIN_CHARS;
    auto* pszBlock = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cchBlock * sizeof(wchar_t)));
    if (!pszBlock || strText.size() >= cchBlock)
        return;
    wmemcpy(pszBlock, strText.c_str(), strText.size());
    if (_config.bPostFill)
        wmemset(pszBlock + strText.size(), L'x', cchBlock - strText.size());
    posted.pszBlock = pszBlock;
    posted.cbBlock = cchBlock * sizeof(wchar_t);
    posted.strStart = strText;
    g_vecPosted.push_back(posted);
    PostMessageW(_hWnd, WM_QEL_BUS, _config.uPostType, reinterpret_cast<LPARAM>(pszBlock));
}

int CountLivePostedBlocks()
{
    int iLive = 0;
    for (const SPostedBlock& block : g_vecPosted)
        iLive += IsRecordBlockLive(block) + IsMemBlockLive(block);
    return iLive;
}

bool HasPostedShapedBlocks()
{
    return !g_vecPosted.empty();
}

SIZE_T LiveBlockSize(INT_PTR _iBlock)
{
    SIZE_T cbSize = 0;
    AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        if (reinterpret_cast<INT_PTR>(_entry.lpData) != _iBlock)
            return false;
        cbSize = _entry.cbData;
        return true;
    });
    return cbSize;
}
