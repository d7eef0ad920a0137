#include "FuzzReport.h"

#include <cstdio>

namespace {

const wchar_t* KindName(EFault _eKind)
{
    switch (_eKind)
    {
    case EFault::Crash: return L"crash";
    case EFault::Hang: return L"hang";
    default: return L"effect";
    }
}

unsigned long long Kilobytes(SIZE_T _cb)
{
    return static_cast<unsigned long long>(_cb) / 1024;
}

} // namespace

CategoryRow& CFuzzReport::Begin(const std::wstring& _strCategory, SIZE_T _cbBefore)
{
    CategoryRow row;
    row.strName = _strCategory;
    row.cbBefore = _cbBefore;
    m_vecRows.push_back(row);
    return m_vecRows.back();
}

void CFuzzReport::Fault(EFault _eKind, const std::wstring& _strWhat, const std::wstring& _strMessage)
{
    CategoryRow& row = Current();
    if (_eKind == EFault::Crash)
        ++row.uCrashes;
    else if (_eKind == EFault::Hang)
        ++row.uHangs;
    else
        ++row.uEffects;
    unsigned& uPrinted = m_mapPrinted[row.strName + L"|" + _strWhat];
    if (++uPrinted > DETAIL_LINES_PER_KIND)
        return;
    std::wprintf(L"FAULT %ls %ls: %ls; %ls\n", row.strName.c_str(), KindName(_eKind), _strWhat.c_str(),
                 _strMessage.c_str());
    std::fflush(stdout);
}

void CFuzzReport::Note(const std::wstring& _strLine) const
{
    std::wprintf(L"NOTE %ls\n", _strLine.c_str());
    std::fflush(stdout);
}

void CFuzzReport::PrintTable() const
{
    std::wprintf(L"\n%-10ls %10ls %8ls %6ls %8ls %12ls %12ls\n", L"category", L"sent", L"crashes", L"hangs", L"effects",
                 L"private-KB", L"after-KB");
    CategoryRow total;
    for (const CategoryRow& row : m_vecRows)
    {
        std::wprintf(L"%-10ls %10llu %8u %6u %8u %12llu %11llu%lc %ls\n", row.strName.c_str(), row.ullSent, row.uCrashes,
                     row.uHangs, row.uEffects, Kilobytes(row.cbBefore), Kilobytes(row.cbAfter),
                     row.bRestarted ? L'*' : L' ', row.strNote.c_str());
        total.ullSent += row.ullSent;
        total.uCrashes += row.uCrashes;
        total.uHangs += row.uHangs;
        total.uEffects += row.uEffects;
    }
    std::wprintf(L"%-10ls %10llu %8u %6u %8u\n", L"TOTAL", total.ullSent, total.uCrashes, total.uHangs, total.uEffects);
    std::wprintf(L"(* the host was started again during the category; its memory is that of the new process)\n");
    std::fflush(stdout);
}

bool CFuzzReport::Clean() const
{
    for (const CategoryRow& row : m_vecRows)
    {
        if (row.uCrashes || row.uHangs || row.uEffects)
            return false;
    }
    return true;
}
