// Makes a capture window of the calling thread the host's main window, so that tests see
// the trace lines and last errors the host posts there.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "CaptureWindow.h"
#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"

namespace tvr {

class CTraceCaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, m_Window.Handle());
        g_hWndParent = m_Window.Handle();
        g_dwGlobalDebugLevel = 0;
    }
    void TearDown() override
    {
        Take();
        g_hWndParent = nullptr;
        g_dwGlobalDebugLevel = 0;
    }
    // Every bus message posted so far, in order; the blocks are released.
    std::vector<PostedRecord> Take() { return m_Window.TakeRecords(); }
    // The trace texts that contain _pszPart.
    std::vector<std::wstring> Lines(const std::vector<PostedRecord>& _vecRecords, const wchar_t* _pszPart) const
    {
        return CCaptureWindow::TraceLines(_vecRecords, _pszPart);
    }
    CCaptureWindow m_Window;
};

} // namespace tvr
