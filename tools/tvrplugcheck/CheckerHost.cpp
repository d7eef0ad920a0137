#include "CheckerHost.h"

#include <cwchar>

#include "CheckReport.h"
#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "bus/BusBlockRegistry.h"
#include "bus/CodeAddress.h"

namespace {

const wchar_t CLASS_NAME[] = L"TelvarinPlugCheckHost";
// Longest texts the host reads: a trace line, and a scheme record.
const size_t TRACE_MAX_CHARS = 8190;
const size_t SCHEME_MAX_CHARS = 16382;
// Problems kept per kind: the first tells the author what to fix.
const size_t MAX_PROBLEMS = 20;

CCheckerHost* g_pHost = nullptr;

std::string Narrow(const std::wstring& _strText)
{
    std::string strOut;
    for (const wchar_t ch : _strText)
        strOut += ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?';
    return strOut;
}

bool SkipLiteral(const wchar_t*& _pszCursor, const wchar_t* _pszLiteral)
{
    const size_t cch = wcslen(_pszLiteral);
    if (wcsncmp(_pszCursor, _pszLiteral, cch) != 0)
        return false;
    _pszCursor += cch;
    return true;
}

// One field line " <value keyword=\"K\">V</value>\r\n": its keyword and value; false when
// the cursor is not at one.
bool ReadFieldLine(const wchar_t*& _pszCursor, std::wstring* _pstrKeyword, std::wstring* _pstrValue)
{
    if (!SkipLiteral(_pszCursor, L" <value keyword=\""))
        return false;
    const wchar_t* pszKeyEnd = wcsstr(_pszCursor, L"\">");
    if (pszKeyEnd == nullptr || pszKeyEnd == _pszCursor)
        return false;
    _pstrKeyword->assign(_pszCursor, pszKeyEnd);
    if (_pstrKeyword->find_first_of(L"\"<>\r\n") != std::wstring::npos)
        return false;
    const wchar_t* pszValue = pszKeyEnd + 2;
    const wchar_t* pszValueEnd = wcsstr(pszValue, L"</value>\r\n");
    if (pszValueEnd == nullptr)
        return false;
    _pstrValue->assign(pszValue, pszValueEnd);
    _pszCursor = pszValueEnd + wcslen(L"</value>\r\n");
    return true;
}

bool IsDigits(const std::wstring& _strText)
{
    return !_strText.empty() && _strText.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// "YYYY-MM-DD hh:mm:ss.mmm (": the time stamp a trace line begins with.
bool HasTraceTimeStamp(const wchar_t* _pszLine)
{
    static const wchar_t s_szShape[] = L"dddd-dd-dd dd:dd:dd.ddd (";
    for (size_t i = 0; s_szShape[i] != L'\0'; ++i)
        if (s_szShape[i] == L'd' ? !iswdigit(_pszLine[i]) : _pszLine[i] != s_szShape[i])
            return false;
    return true;
}

} // namespace

std::string RecordFormProblem(UINT _uType, const wchar_t* _pszRecord)
{
    const wchar_t* pszCursor = _pszRecord;
    if (!SkipLiteral(pszCursor, BUS_RECORD_HEADER))
        return "does not begin with the record header";
    std::wstring strKeyword;
    std::wstring strValue;
    if (!ReadFieldLine(pszCursor, &strKeyword, &strValue) || strKeyword != L"Type")
        return "its first field is not Type";
    if (!IsDigits(strValue) || wcstoul(strValue.c_str(), nullptr, 10) != _uType)
        return Format("its Type \"%s\" is not the message's type %u", Narrow(strValue).c_str(), _uType);
    bool bSender = false;
    while (ReadFieldLine(pszCursor, &strKeyword, &strValue))
        bSender = strKeyword == L"Sender";
    if (!bSender)
        return Format("its fields do not end with the Sender line (at \"%s\")", Narrow(std::wstring(pszCursor).substr(0, 40)).c_str());
    if (!SkipLiteral(pszCursor, L"</data>\r\n"))
        return "the closing </data> line is missing after the Sender line";
    if (*pszCursor != L'\0')
        return "text follows the closing </data> line";
    return std::string();
}

CCheckerHost::CCheckerHost(HMODULE _hPlugin, FnCallFunction _fnCall) : m_hPlugin(_hPlugin), m_fnCall(std::move(_fnCall))
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = CLASS_NAME;
    RegisterClassW(&wc);
    g_pHost = this;
    m_hWnd = CreateWindowExW(0, CLASS_NAME, L"Telvarin plug-in check", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, static_cast<LONG_PTR>(HOST_WINDOW_ID));
}

CCheckerHost::~CCheckerHost()
{
    DestroyWindow(m_hWnd);
    g_pHost = nullptr;
}

void CCheckerHost::Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.hwnd == m_hWnd && (msg.message == WM_QEL_TRACE || msg.message == WM_QEL_SCHEME))
        {
            ++m_cMessages;
            NoteMessage(Format("message %u was posted: send it, its text must stay valid until the host has read it",
                               msg.message));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK CCheckerHost::WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    CCheckerHost* pHost = g_pHost;
    if (pHost == nullptr || _hWnd != pHost->m_hWnd)
        return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    switch (_uMsg)
    {
    case WM_QEL_BUS:
        pHost->OnBusBlock(static_cast<UINT>(_wParam), _lParam);
        return 1;
    case WM_QEL_TRACE:
        pHost->OnTraceLine(_wParam, _lParam);
        return 0;
    case WM_QEL_SCHEME:
        pHost->OnScheme(_lParam);
        return 0;
    case WM_QEL_CALLFUNCTION:
        pHost->OnCallFunction(_lParam);
        return 0;
    case WM_QEL_CONFIGCHANGED:
        ++pHost->m_cMessages;
        return 0;
    default:
        return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    }
}

void CCheckerHost::NoteRecord(const std::string& _strProblem)
{
    if (m_vecRecordProblems.size() < MAX_PROBLEMS)
        m_vecRecordProblems.push_back(_strProblem);
}

void CCheckerHost::NoteMessage(const std::string& _strProblem)
{
    if (m_vecMessageProblems.size() < MAX_PROBLEMS)
        m_vecMessageProblems.push_back(_strProblem);
}

void CCheckerHost::OnBusBlock(UINT _uType, LPARAM _lBlock)
{
    ++m_cRecords;
    const EBlockVerdict eVerdict = CheckRecordBlock(_lBlock);
    if (eVerdict != EBlockVerdict::Taken)
    {
        NoteRecord(Format("type %u: %s", _uType,
                          eVerdict == EBlockVerdict::Unterminated
                              ? "the record is not terminated within its block"
                              : "lParam is not a fixed GlobalAlloc block beginning with the record header"));
        return;   // not the plug-in's block to free, or not a block at all
    }
    const auto* pszRecord = reinterpret_cast<const wchar_t*>(_lBlock);
    const size_t cchRecord = wcslen(pszRecord);
    const SIZE_T cbBlock = GlobalSize(reinterpret_cast<HGLOBAL>(_lBlock));
    const size_t cchNeeded = (cchRecord > 16384 ? cchRecord : 16384) + 2;
    std::string strProblem = RecordFormProblem(_uType, pszRecord);
    if (strProblem.empty() && cbBlock < cchNeeded * sizeof(wchar_t))
        strProblem = Format("its block holds %zu characters, fewer than the %zu a record of %zu needs", cbBlock / 2,
                            cchNeeded, cchRecord);
    const INT_PTR iMemBlock = GetBusHandle(pszRecord, L"MemBlock");
    if (iMemBlock != 0)
    {
        if (IsOwnGlobalHandle(iMemBlock))
            GlobalFree(reinterpret_cast<HGLOBAL>(iMemBlock));
        else if (strProblem.empty())
            strProblem = "its MemBlock names no global memory block of the process";
    }
    if (!strProblem.empty())
        NoteRecord(Format("type %u (%ls): %s", _uType, GetBusTypeName(_uType), strProblem.c_str()));
    GlobalFree(reinterpret_cast<HGLOBAL>(_lBlock));
}

void CCheckerHost::OnTraceLine(WPARAM _wLevel, LPARAM _lText)
{
    ++m_cMessages;
    const auto* pszLine = reinterpret_cast<const wchar_t*>(_lText);
    const INT_PTR iLength = GetBusTextLength(pszLine, TRACE_MAX_CHARS + 1);
    if (iLength < 0 || static_cast<size_t>(iLength) > TRACE_MAX_CHARS)
        NoteMessage(Format("message 1145: lParam is no text of at most %zu characters", TRACE_MAX_CHARS));
    else if (!HasTraceTimeStamp(pszLine))
        NoteMessage("message 1145: the line does not begin with the time stamp \"YYYY-MM-DD hh:mm:ss.mmm (\"");
    else if (_wLevel > 4)
        NoteMessage(Format("message 1145: trace level %llu is not 0-4", static_cast<unsigned long long>(_wLevel)));
}

void CCheckerHost::OnScheme(LPARAM _lRecord)
{
    ++m_cMessages;
    const auto* pszRecord = reinterpret_cast<const wchar_t*>(_lRecord);
    const INT_PTR iLength = GetBusTextLength(pszRecord, SCHEME_MAX_CHARS + 1);
    if (iLength < 0 || static_cast<size_t>(iLength) > SCHEME_MAX_CHARS)
        NoteMessage(Format("message 1157: lParam is no record of at most %zu characters", SCHEME_MAX_CHARS));
    else if (wcsncmp(pszRecord, BUS_RECORD_HEADER, wcslen(BUS_RECORD_HEADER)) != 0)
        NoteMessage("message 1157: the record does not begin with the record header");
}

void CCheckerHost::OnCallFunction(LPARAM _lFunction)
{
    ++m_cMessages;
    if (_lFunction == 0)
        return;
    if (!IsInModuleCode(m_hPlugin, reinterpret_cast<const void*>(_lFunction)))
    {
        NoteMessage("message 1156: the function lies outside the plug-in module's code; the host refuses it");
        return;
    }
    m_fnCall(reinterpret_cast<void (*)()>(_lFunction));
}
