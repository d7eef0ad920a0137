#include <gtest/gtest.h>
#include <string>

#include "host/window/BusDispatch.h"

TEST(StatusTable, EachStateGivesItsReportValueIconAndTip)
{
    struct Row { long lState; const wchar_t* pszStatus; int iIcon; bool bErrorTip; };
    const Row rows[] = {{0, L"STOPPED", 0, false}, {1, L"STARTING", 0, false}, {2, L"OK", 1, false},
                        {3, L"ERROR", 0, true},    {4, L"PAUSED", 2, false},    {5, L"UNKNOWN", 1, false},
                        {-1, L"UNKNOWN", 1, false}};
    for (const Row& row : rows)
    {
        const StatusAppearance appearance = GetStatusAppearance(row.lState);
        EXPECT_STREQ(row.pszStatus, appearance.pszProgramStatus) << row.lState;
        EXPECT_EQ(row.iIcon, appearance.iIconState) << row.lState;
        EXPECT_EQ(row.bErrorTip, appearance.bErrorTip) << row.lState;
    }
}
