// Shared set-up of the GUI tests: they skip, with the reason, where no desktop can run.
#pragma once
#include <gtest/gtest.h>
#include <string>

#include "HostHarness.h"
#include "Screen.h"

class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::wstring strReason = GuiUnavailableReason();
        if (!strReason.empty())
            GTEST_SKIP() << tvr::WideToUtf8(strReason);
    }
};
