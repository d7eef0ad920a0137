// Results of a run: one row per category and the fault lines, printed as they are found.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

enum class EFault { Crash, Hang, Effect };

struct CategoryRow
{
    std::wstring strName;
    unsigned long long ullSent = 0;
    unsigned uCrashes = 0;
    unsigned uHangs = 0;
    unsigned uEffects = 0;
    SIZE_T cbBefore = 0;
    SIZE_T cbAfter = 0;
    bool bRestarted = false;   // the "after" value belongs to a host started during the category
    std::wstring strNote;
};

class CFuzzReport
{
public:
    static const unsigned DETAIL_LINES_PER_KIND = 5;

    CategoryRow& Begin(const std::wstring& _strCategory, SIZE_T _cbBefore);
    CategoryRow& Current() { return m_vecRows.back(); }
    // Counts the fault in the current category and prints its line (the first few of each kind).
    void Fault(EFault _eKind, const std::wstring& _strWhat, const std::wstring& _strMessage);
    void Note(const std::wstring& _strLine) const;
    void PrintTable() const;
    bool Clean() const;

private:
    std::vector<CategoryRow> m_vecRows;
    std::map<std::wstring, unsigned> m_mapPrinted;   // category|what -> lines printed
};
