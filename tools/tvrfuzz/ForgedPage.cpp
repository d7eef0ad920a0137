#include "ForgedPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "FuzzHost.h"
#include "RecordText.h"
#include "TelvarinPlugin.h"

namespace {

const SIZE_T PAGE_BYTES = 0x10000;
const size_t RECORD_BYTES = 0x1000;   // the record text first, then one header per slot
const size_t SLOT_BYTES = 0x100;
const DWORD FORGE_ACCESS = PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;

// What the host's controls send: custom draw at each stage, selection and click notices.
struct SForgedCode
{
    UINT uCode;
    DWORD dwDrawStage;
};
const SForgedCode CODES[] = {{static_cast<UINT>(NM_CUSTOMDRAW), CDDS_PREPAINT},
                             {static_cast<UINT>(NM_CUSTOMDRAW), CDDS_ITEMPREPAINT},
                             {static_cast<UINT>(NM_CUSTOMDRAW), CDDS_ITEMPREPAINT | CDDS_SUBITEM},
                             {static_cast<UINT>(TVN_SELCHANGINGW), 0},
                             {static_cast<UINT>(TVN_SELCHANGEDW), 0},
                             {static_cast<UINT>(NM_CLICK), 0},
                             {static_cast<UINT>(LVN_ITEMCHANGED), 0}};

// The page's content: the record, then a header per window and code while slots last.
std::vector<BYTE> Content(const std::vector<HostWindow>& _vecWindows, std::vector<size_t>* _pvecOffsets)
{
    std::vector<BYTE> vecPage(PAGE_BYTES, 0);
    const std::wstring strRecord = MakeRecordText(QEL_BUSMSG_CALLEVENT, {{L"Event", L"forged"}, {L"MemBlock", L"0"}});
    std::memcpy(vecPage.data(), strRecord.c_str(), std::min(RECORD_BYTES - 2, strRecord.size() * sizeof(wchar_t)));
    _pvecOffsets->assign(1, 0);
    size_t uOffset = RECORD_BYTES;
    for (const HostWindow& window : _vecWindows)
    {
        for (const SForgedCode& code : CODES)
        {
            if (uOffset + SLOT_BYTES > PAGE_BYTES)
                return vecPage;
            NMCUSTOMDRAW draw = {};
            draw.hdr = {window.hWnd, static_cast<UINT_PTR>(GetDlgCtrlID(window.hWnd)), code.uCode};
            draw.dwDrawStage = code.dwDrawStage;
            std::memcpy(vecPage.data() + uOffset, &draw, sizeof(draw));
            _pvecOffsets->push_back(uOffset);
            uOffset += SLOT_BYTES;
        }
    }
    return vecPage;
}

} // namespace

CForgedPage::~CForgedPage()
{
    Release();
}

void CForgedPage::Release()
{
    if (m_pPage && m_hProcess)
        VirtualFreeEx(m_hProcess, m_pPage, 0, MEM_RELEASE);
    if (m_hProcess)
        CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_pPage = nullptr;
    m_dwPid = 0;
    m_vecAddresses.clear();
}

bool CForgedPage::Place(DWORD _dwPid, const std::vector<HostWindow>& _vecWindows)
{
    if (_dwPid != m_dwPid)
    {
        Release();
        m_hProcess = OpenProcess(FORGE_ACCESS, FALSE, _dwPid);
        m_pPage = m_hProcess ? static_cast<BYTE*>(VirtualAllocEx(m_hProcess, nullptr, PAGE_BYTES, MEM_COMMIT | MEM_RESERVE,
                                                                 PAGE_READONLY))
                             : nullptr;
        if (!m_pPage)
        {
            Release();
            return false;
        }
        m_dwPid = _dwPid;
    }
    std::vector<size_t> vecOffsets;
    const std::vector<BYTE> vecContent = Content(_vecWindows, &vecOffsets);
    DWORD dwOld = 0;
    const bool bWritten = VirtualProtectEx(m_hProcess, m_pPage, PAGE_BYTES, PAGE_READWRITE, &dwOld) &&
                          WriteProcessMemory(m_hProcess, m_pPage, vecContent.data(), PAGE_BYTES, nullptr) &&
                          VirtualProtectEx(m_hProcess, m_pPage, PAGE_BYTES, PAGE_READONLY, &dwOld);
    m_vecAddresses.clear();
    if (bWritten)
    {
        for (size_t uOffset : vecOffsets)
            m_vecAddresses.push_back(reinterpret_cast<UINT_PTR>(m_pPage) + uOffset);
    }
    return bWritten;
}
