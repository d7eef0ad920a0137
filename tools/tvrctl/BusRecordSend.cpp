#include "BusRecordSend.h"

#include <cwchar>

#include "CtlOutput.h"
#include "TelvarinPlugin.h"

namespace {

// A person waits this long for a busy host before tvrctl gives up; a hung one is given up at once.
const UINT HAND_OVER_TIMEOUT_MS = 30000;

struct SBusTypeName
{
    UINT uType;
    const wchar_t* pszName;
};

#define TVR_CTL_TYPE_NAME(number, name, fields, direction, delivery, thread) {number, L## #name},
const SBusTypeName BUS_TYPE_NAMES[] = {TELVARIN_BUS_TYPES(TVR_CTL_TYPE_NAME)};
#undef TVR_CTL_TYPE_NAME

const wchar_t NAME_PREFIX[] = L"QEL_BUSMSG_";

} // namespace

bool ParseBusType(const std::wstring& _strText, UINT* _puType)
{
    if (!_strText.empty() && _strText.find_first_not_of(L"0123456789") == std::wstring::npos)
    {
        if (_strText.size() > 9)
            return false;
        *_puType = static_cast<UINT>(std::wcstoul(_strText.c_str(), nullptr, 10));
        return true;
    }
    const size_t cchPrefix = wcslen(NAME_PREFIX);
    const std::wstring strName = _wcsnicmp(_strText.c_str(), NAME_PREFIX, cchPrefix) == 0 ? _strText.substr(cchPrefix) : _strText;
    for (const SBusTypeName& entry : BUS_TYPE_NAMES)
    {
        if (!strName.empty() && _wcsicmp(entry.pszName + cchPrefix, strName.c_str()) == 0)
        {
            *_puType = entry.uType;
            return true;
        }
    }
    return false;
}

std::wstring BusTypeLabel(UINT _uType)
{
    for (const SBusTypeName& entry : BUS_TYPE_NAMES)
        if (entry.uType == _uType)
            return Format(L"%u (%s)", _uType, entry.pszName);
    return Format(L"type %u", _uType);
}

HandOverResult HandRecordToHost(HWND _hWndHost, UINT _uType, const BusFields& _vecFields, bool _bSync,
                                std::wstring* _pstrProblem)
{
    CBusRecordWriter record;
    for (const auto& field : _vecFields)
    {
        if (!record.AddText(field.first.c_str(), field.second.c_str()))
        {
            *_pstrProblem = Format(L"the field \"%s\" cannot go into a bus record (a keyword must not be empty or hold \", < or >; "
                                   L"a value must not hold </value>; the record holds at most 16382 characters)",
                                   field.first.c_str());
            return HAND_OVER_BAD_FIELD;
        }
    }
    // The record is built as a plug-in builds it; the host copies the text, so the block stays ours.
    const HGLOBAL hBlock = record.NewBlock(_uType);
    if (hBlock == nullptr)
    {
        *_pstrProblem = L"not enough memory for the record";
        return HAND_OVER_BAD_FIELD;
    }
    DWORD_PTR dwResult = 0;
    const LRESULT lSent = SendMessageTimeoutW(_hWndHost, WM_SETTEXT, _bSync ? 1 : 0, reinterpret_cast<LPARAM>(hBlock),
                                              SMTO_ABORTIFHUNG | SMTO_BLOCK, HAND_OVER_TIMEOUT_MS, &dwResult);
    GlobalFree(hBlock);
    if (lSent != 0)
        return HAND_OVER_DONE;
    *_pstrProblem = L"the host did not take the message within 30 seconds (it may be busy or not responding)";
    return HAND_OVER_NO_ANSWER;
}
