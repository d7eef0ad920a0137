#include "BusTestRecords.h"

#include "CheckReport.h"
#include "TelvarinPlugin.h"

namespace {

using FieldList = std::vector<std::pair<std::wstring, std::wstring>>;

struct STableType
{
    UINT uType;
    const char* pszFields;
};

#define TVR_CHECK_TABLE_ROW(uNumber, Name, pszFields, pszDirection, pszDelivery, pszThread) {uNumber, pszFields},
const STableType TABLE_TYPES[] = {TELVARIN_BUS_TYPES(TVR_CHECK_TABLE_ROW)};
#undef TVR_CHECK_TABLE_ROW

// The keywords of a field list of the table ("ID, Enable", "Level (%u), Text (%s), ...";
// "none" and what follows a ";" name none).
std::vector<std::wstring> KeywordsOf(const std::string& _strFields)
{
    std::vector<std::wstring> vecKeywords;
    const std::string strList = _strFields.substr(0, _strFields.find(';'));
    size_t cbAt = 0;
    while (cbAt < strList.size())
    {
        size_t cbEnd = strList.find(',', cbAt);
        if (cbEnd == std::string::npos)
            cbEnd = strList.size();
        std::string strItem = strList.substr(cbAt, cbEnd - cbAt);
        strItem.erase(0, strItem.find_first_not_of(' '));
        strItem = strItem.substr(0, strItem.find_first_of(" ("));
        if (!strItem.empty() && strItem != "none")
            vecKeywords.emplace_back(strItem.begin(), strItem.end());
        cbAt = cbEnd + 1;
    }
    return vecKeywords;
}

STestRecord TypeOnly(UINT _uType, const std::string& _strWhat)
{
    return {_uType, _strWhat, BuildRecord(_uType, {})};
}

} // namespace

std::wstring BuildRecord(UINT _uType, const FieldList& _vecFields)
{
    size_t cchFields = 0;
    for (const auto& field : _vecFields)
        cchFields += field.first.size() + field.second.size() + 32;
    std::wstring strRecord(BUS_RECORD_CAPACITY + cchFields, L'\0');
    BusRecordBegin(&strRecord[0], strRecord.size());
    BusRecordAppend(&strRecord[0], strRecord.size(), BUS_FIELD_TYPE, _uType);
    for (const auto& field : _vecFields)
        BusRecordAppend(&strRecord[0], strRecord.size(), L" <value keyword=\"%s\">%s</value>\r\n", field.first.c_str(),
                        field.second.c_str());
    BusRecordEnd(&strRecord[0], strRecord.size());
    strRecord.resize(wcslen(strRecord.c_str()));
    return strRecord;
}

std::vector<STestRecord> TableTypeRecords()
{
    std::vector<STestRecord> vecRecords;
    for (const STableType& row : TABLE_TYPES)
    {
        FieldList vecFields;
        for (const std::wstring& strKeyword : KeywordsOf(row.pszFields))
            vecFields.emplace_back(strKeyword, L"1");
        char szName[64];
        WideCharToMultiByte(CP_UTF8, 0, GetBusTypeName(row.uType), -1, szName, sizeof(szName), nullptr, nullptr);
        vecRecords.push_back({row.uType, Format("type %u (%s)", row.uType, szName), BuildRecord(row.uType, vecFields)});
    }
    return vecRecords;
}

std::vector<STestRecord> UnknownTypeRecords()
{
    std::vector<STestRecord> vecRecords;
    for (const UINT uType : {0u, 13u, 83u, 4096u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        vecRecords.push_back(TypeOnly(uType, Format("unknown type %u", uType)));
    return vecRecords;
}

std::vector<STestRecord> LongestRecords()
{
    // The longest trace line, the longest record another process hands over as window text
    // (16383 characters), and a record whose value is longer than the readers keep (65534).
    const std::wstring strLine(8190, L'x');
    std::vector<STestRecord> vecRecords;
    vecRecords.push_back({QEL_BUSMSG_TRACE, "a trace line of 8190 characters",
                          BuildRecord(QEL_BUSMSG_TRACE, {{L"Level", L"0"}, {L"Text", strLine}, {L"Thread", L"1"}})});
    std::wstring strWindowText = BuildRecord(QEL_BUSMSG_STATUS, {{L"Text", L""}});
    const size_t cchFill = 16383 - strWindowText.size();
    strWindowText = BuildRecord(QEL_BUSMSG_STATUS, {{L"Text", std::wstring(cchFill, L'y')}});
    vecRecords.push_back({QEL_BUSMSG_STATUS, "a record of 16383 characters", strWindowText});
    vecRecords.push_back({QEL_BUSMSG_JSONRECORD, "a value of 70000 characters",
                          BuildRecord(QEL_BUSMSG_JSONRECORD, {{L"PluginID", L"1"}, {L"JSONRecord", std::wstring(70000, L'z')}})});
    return vecRecords;
}

std::vector<STestRecord> MalformedRecords()
{
    const std::wstring strHeader = BUS_RECORD_HEADER;
    const std::wstring strTypeLine = L" <value keyword=\"Type\">4</value>\r\n";
    return {
        {QEL_BUSMSG_TRACE, "an empty record (what a refused block reads as)", L""},
        {QEL_BUSMSG_TRACE, "the header alone", strHeader},
        {QEL_BUSMSG_TRACE, "no footer", strHeader + strTypeLine + L" <value keyword=\"Text\">cut"},
        {QEL_BUSMSG_TRACE, "a value without </value>", strHeader + strTypeLine + L" <value keyword=\"Level\">3\r\n</data>\r\n"},
        {QEL_BUSMSG_TRACE, "a keyword without its closing quote", strHeader + strTypeLine + L" <value keyword=\"Level>3</value>"},
        {QEL_BUSMSG_STATUS, "a Type line that names another type", BuildRecord(QEL_BUSMSG_TRACE, {{L"Level", L"1"}})},
        {QEL_BUSMSG_TRACE, "numbers that are no numbers",
         BuildRecord(QEL_BUSMSG_TRACE, {{L"Level", L"-99999999999999999999"}, {L"Thread", L"abc"}})},
        {QEL_BUSMSG_TRACE, "control characters and lone surrogates",
         BuildRecord(QEL_BUSMSG_TRACE, {{L"Text", std::wstring(L"\x01\x1b[2J\xd800\xdfff\xfffe\r\n\t")}})},
        {QEL_BUSMSG_TRACE, "a record of 16383 \"<\"", std::wstring(16383, L'<')},
        {QEL_BUSMSG_TRACE, "16383 characters of open value tags", [] {
             std::wstring strText;
             while (strText.size() + 16 <= 16383)
                 strText += L"<value keyword=\"";
             return strText;
         }()},
        {QEL_BUSMSG_TRACE, "a MemBlock that names no block",
         BuildRecord(QEL_BUSMSG_TRACE, {{L"Text", L"x"}, {L"MemBlock", L"305419896"}})},
    };
}
