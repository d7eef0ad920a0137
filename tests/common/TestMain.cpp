// Test entry: runs GoogleTest and ends the process with its result at once.
// The host library's process-wide objects end the process with exit code 0 in
// their static teardown, which would hide failures; _exit skips that teardown.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(result);
}
