// The checks' results: one line each (name, result, reason), a summary line, and the exit
// code, which is 0 only when every required check passed.
#pragma once
#include <mutex>
#include <string>
#include <vector>

enum class ECheckResult
{
    Pass,
    Fail,      // a required check failed
    Warn,      // an advisory finding: the host copes with it
    Skip,      // does not apply to this plug-in
};

struct SCheck
{
    std::string strName;
    ECheckResult eResult;
    std::string strReason;
};

class CCheckReport
{
public:
    explicit CCheckReport(std::string _strPlugin) : m_strPlugin(std::move(_strPlugin)) {}
    void Add(const std::string& _strName, ECheckResult _eResult, const std::string& _strReason);
    void Pass(const std::string& _strName, const std::string& _strReason) { Add(_strName, ECheckResult::Pass, _strReason); }
    void Fail(const std::string& _strName, const std::string& _strReason) { Add(_strName, ECheckResult::Fail, _strReason); }
    bool Has(const std::string& _strName);
    // Prints every check and the summary line (text or JSON) to stdout; the exit code.
    int Finish(bool _bJson, const std::vector<std::string>& _vecNotRun);

private:
    void PrintText(const std::vector<std::string>& _vecNotRun) const;
    void PrintJson(const std::vector<std::string>& _vecNotRun) const;
    size_t Count(ECheckResult _eResult) const;

    std::mutex m_mutex;   // the watchdog finishes the report when a call hangs
    std::string m_strPlugin;
    std::vector<SCheck> m_vecChecks;
};

// printf-style formatting into a std::string.
std::string Format(const char* _pszFormat, ...);
