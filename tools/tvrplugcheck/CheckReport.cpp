#include "CheckReport.h"

#include <cstdarg>
#include <cstdio>

namespace {

const char NOT_RUN[] = "not run: an earlier call did not return";

const char* ResultText(ECheckResult _eResult)
{
    switch (_eResult)
    {
    case ECheckResult::Pass: return "pass";
    case ECheckResult::Fail: return "FAIL";
    case ECheckResult::Warn: return "warn";
    default: return "n/a";
    }
}

std::string JsonText(const std::string& _strText)
{
    std::string strOut = "\"";
    for (const unsigned char ch : _strText)
    {
        if (ch == '"' || ch == '\\')
            strOut += '\\';
        if (ch < 0x20)
            strOut += Format("\\u%04x", ch);
        else
            strOut += static_cast<char>(ch);
    }
    return strOut + "\"";
}

} // namespace

std::string Format(const char* _pszFormat, ...)
{
    char szText[1024];
    va_list args;
    va_start(args, _pszFormat);
    vsnprintf(szText, sizeof(szText), _pszFormat, args);
    va_end(args);
    return szText;
}

void CCheckReport::Add(const std::string& _strName, ECheckResult _eResult, const std::string& _strReason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_vecChecks.push_back({_strName, _eResult, _strReason});
}

bool CCheckReport::Has(const std::string& _strName)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const SCheck& check : m_vecChecks)
        if (check.strName == _strName)
            return true;
    return false;
}

size_t CCheckReport::Count(ECheckResult _eResult) const
{
    size_t c = 0;
    for (const SCheck& check : m_vecChecks)
        c += check.eResult == _eResult ? 1 : 0;
    return c;
}

int CCheckReport::Finish(bool _bJson, const std::vector<std::string>& _vecNotRun)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (_bJson)
        PrintJson(_vecNotRun);
    else
        PrintText(_vecNotRun);
    fflush(stdout);
    return Count(ECheckResult::Fail) == 0 && _vecNotRun.empty() ? 0 : 1;
}

void CCheckReport::PrintText(const std::vector<std::string>& _vecNotRun) const
{
    for (const SCheck& check : m_vecChecks)
        printf("%-4s  %-18s %s\n", ResultText(check.eResult), check.strName.c_str(), check.strReason.c_str());
    for (const std::string& strName : _vecNotRun)
        printf("%-4s  %-18s %s\n", "n/a", strName.c_str(), NOT_RUN);
    const size_t cFailed = Count(ECheckResult::Fail);
    printf("%s: %zu checks, %zu passed, %zu failed, %zu warnings, %zu not applicable: %s\n", m_strPlugin.c_str(),
           m_vecChecks.size() + _vecNotRun.size(), Count(ECheckResult::Pass), cFailed, Count(ECheckResult::Warn),
           Count(ECheckResult::Skip) + _vecNotRun.size(), cFailed == 0 ? "PASSED" : "FAILED");
}

void CCheckReport::PrintJson(const std::vector<std::string>& _vecNotRun) const
{
    printf("{\"plugin\": %s, \"checks\": [", JsonText(m_strPlugin).c_str());
    const char* pszSeparator = "\n";
    for (const SCheck& check : m_vecChecks)
    {
        printf("%s  {\"name\": %s, \"result\": \"%s\", \"reason\": %s}", pszSeparator, JsonText(check.strName).c_str(),
               check.eResult == ECheckResult::Fail ? "fail" : ResultText(check.eResult), JsonText(check.strReason).c_str());
        pszSeparator = ",\n";
    }
    for (const std::string& strName : _vecNotRun)
    {
        printf("%s  {\"name\": %s, \"result\": \"n/a\", \"reason\": \"%s\"}", pszSeparator, JsonText(strName).c_str(),
               NOT_RUN);
        pszSeparator = ",\n";
    }
    const size_t cFailed = Count(ECheckResult::Fail);
    printf("\n], \"passed\": %zu, \"failed\": %zu, \"warnings\": %zu, \"result\": \"%s\"}\n", Count(ECheckResult::Pass),
           cFailed, Count(ECheckResult::Warn), cFailed == 0 ? "passed" : "failed");
}
