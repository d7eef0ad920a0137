#include "ProbeRecord.h"

#include "TelvarinPlugin.h"

ProbeFields ParseRecordFields(const wchar_t* _pszRecord)
{
    if (_pszRecord == nullptr)
        return {{L"Record", L"<null>"}};
    static const wchar_t OPEN[] = L"<value keyword=\"";
    static const wchar_t CLOSE[] = L"</value>";
    ProbeFields fields;
    const std::wstring strRecord = _pszRecord;
    size_t uPos = strRecord.find(OPEN);
    while (uPos != std::wstring::npos)
    {
        const size_t uKey = uPos + wcslen(OPEN);
        const size_t uKeyEnd = strRecord.find(L"\">", uKey);
        if (uKeyEnd == std::wstring::npos)
            break;
        const size_t uValue = uKeyEnd + 2;
        const size_t uValueEnd = strRecord.find(CLOSE, uValue);
        if (uValueEnd == std::wstring::npos)
            break;
        fields.emplace_back(strRecord.substr(uKey, uKeyEnd - uKey), strRecord.substr(uValue, uValueEnd - uValue));
        uPos = strRecord.find(OPEN, uValueEnd);
    }
    return fields;
}
