#include <gtest/gtest.h>

#include "base/Handle.h"
#include "host/window/MonitorThread.h"

namespace {

// The running monitor thread, opened for waiting on its end.
CKernelHandle OpenMonitorThread()
{
    return CKernelHandle(OpenThread(SYNCHRONIZE, FALSE, g_dwMonitorThreadId));
}

bool HasEnded(const CKernelHandle& _hThread)
{
    return WaitForSingleObject(_hThread.Get(), 0) == WAIT_OBJECT_0;
}

}   // namespace

TEST(MonitorThread, StopReturnsOnceTheThreadHasEnded)
{
    StartMonitorThread();
    const CKernelHandle hThread = OpenMonitorThread();
    ASSERT_TRUE(hThread);
    StopMonitorThread();
    EXPECT_TRUE(HasEnded(hThread));
    EXPECT_EQ(0u, g_dwMonitorThreadId);
    StopMonitorThread();   // a second stop finds nothing to stop
}

TEST(MonitorThread, StartsOnceAndAgainAfterAStop)
{
    StartMonitorThread();
    const DWORD dwFirst = g_dwMonitorThreadId;
    const CKernelHandle hFirst = OpenMonitorThread();
    StartMonitorThread();
    EXPECT_EQ(dwFirst, g_dwMonitorThreadId);
    EXPECT_FALSE(HasEnded(hFirst));
    StopMonitorThread();

    StartMonitorThread();
    const CKernelHandle hSecond = OpenMonitorThread();
    ASSERT_TRUE(hSecond);
    EXPECT_FALSE(HasEnded(hSecond));
    StopMonitorThread();
    EXPECT_TRUE(HasEnded(hFirst));
    EXPECT_TRUE(HasEnded(hSecond));
}
