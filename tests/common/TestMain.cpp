// Test entry: runs GoogleTest and ends the process with its result at once. The process
// ends as the host does, by terminating itself: no static teardown and no library detach
// calls run, which under Wine have at times held a finished test process for minutes.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
