#include "RecordText.h"

#include "Exclusions.h"

namespace {

const wchar_t* const KEYWORDS[] = {
    L"Level", L"Text", L"Thread", L"ID", L"Enable", L"CMD", L"Arg", L"Module", L"State", L"Instance", L"Seperator",
    L"Separator", L"Window", L"Visible", L"LastErr", L"HighestVersion", L"ActualVersion", L"MemBlock", L"WParam",
    L"LParam", L"PluginID", L"PluginInitiated", L"SchemeIndex", L"UsedFont", L"UsedLanguage", L"Command", L"Partner",
    L"Sender", L"Type", L"Event", L"JSONRecord", L"Param", L"Extension", L"Socket"};

std::wstring RandomValue(CFuzzRandom& _Random)
{
    switch (_Random.Below(8))
    {
    case 0: return std::wstring();
    case 1: return std::to_wstring(static_cast<long long>(_Random.Next()));
    case 2: return std::to_wstring(_Random.Below(1000));
    case 3: return L"-" + std::to_wstring(_Random.Below(100000));
    case 4: return _Random.Text(static_cast<size_t>(1 + _Random.Below(300)));
    case 5: return L"99999999999999999999999";
    case 6: return std::wstring(static_cast<size_t>(_Random.Below(2000)), L'9');
    default: return _Random.Text(static_cast<size_t>(_Random.Below(20)));
    }
}

} // namespace

std::wstring MakeRecordText(const std::wstring& _strType, const RecordFields& _vecFields)
{
    std::wstring strRecord = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<data>\r\n";
    strRecord += L" <value keyword=\"Type\">" + _strType + L"</value>\r\n";
    for (const auto& field : _vecFields)
        strRecord += L" <value keyword=\"" + field.first + L"\">" + field.second + L"</value>\r\n";
    strRecord += L" <value keyword=\"Sender\">Unknown</value>\r\n</data>\r\n";
    return strRecord;
}

std::wstring MakeRecordText(unsigned long long _ullType, const RecordFields& _vecFields)
{
    return MakeRecordText(std::to_wstring(_ullType), _vecFields);
}

RecordFields RandomFields(CFuzzRandom& _Random)
{
    RecordFields vecFields;
    for (uint64_t n = _Random.Below(6); n > 0; --n)
    {
        const std::wstring strKeyword = _Random.Chance(85) ? std::wstring(KEYWORDS[_Random.Below(ARRAYSIZE(KEYWORDS))])
                                                           : _Random.Text(static_cast<size_t>(_Random.Below(40)));
        vecFields.emplace_back(strKeyword, RandomValue(_Random));
    }
    return vecFields;
}

unsigned long long RandomBusType(CFuzzRandom& _Random)
{
    unsigned long long ullType = 0;
    do
        ullType = _Random.Chance(80) ? _Random.Below(101) : static_cast<unsigned long long>(static_cast<unsigned>(_Random.Next()));
    while (IsExitBusType(ullType));
    return ullType;
}
