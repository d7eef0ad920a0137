// The host's lifecycle state moves forward only, whichever thread asks.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "config/HostLifecycle.h"

TEST(HostLifecycle, MovesForwardOnlyAndEveryThreadReadsIt)
{
    ASSERT_EQ(EHostState::NotStarted, GetHostState());
    const struct
    {
        EHostState eTo;
        bool bMoved;
        EHostState eAfter;
    } aSteps[] = {
        {EHostState::Starting, true, EHostState::Starting},
        {EHostState::Starting, false, EHostState::Starting},
        {EHostState::Running, true, EHostState::Running},
        {EHostState::Starting, false, EHostState::Running},
        {EHostState::Closing, true, EHostState::Closing},
        {EHostState::Closing, false, EHostState::Closing},   // a second end finds the first
        {EHostState::Running, false, EHostState::Closing},
        {EHostState::Ended, true, EHostState::Ended},
    };
    for (const auto& step : aSteps)
    {
        EXPECT_EQ(step.bMoved, AdvanceHostState(step.eTo)) << static_cast<int>(step.eTo);
        EHostState eSeen = EHostState::NotStarted;
        std::thread([&] { eSeen = GetHostState(); }).join();
        EXPECT_EQ(step.eAfter, eSeen);
    }
    EXPECT_TRUE(IsHostIn(HostStates(EHostState::Closing, EHostState::Ended)));
    EXPECT_FALSE(IsHostIn(HostStates(EHostState::Starting, EHostState::Running)));
}

TEST(HostLifecycle, OfManyThreadsClosingAtOnceExactlyOneBeginsTheEnd)
{
    AdvanceHostState(EHostState::Running);
    std::vector<std::thread> vecThreads;
    std::atomic<int> iBegun{0};
    for (int i = 0; i < 8; ++i)
        vecThreads.emplace_back([&] { iBegun += AdvanceHostState(EHostState::Closing) ? 1 : 0; });
    for (std::thread& thread : vecThreads)
        thread.join();
    EXPECT_EQ(1, iBegun.load());
}
