// Makes a message window of the calling thread the host's main window and collects the bus
// messages that reach it, so that tests see the trace lines and last errors the host posts.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"

struct PostedRecord
{
    UINT uType;
    std::wstring strText;      // the "Text" field (type 4) or "LastErr" (type 66)
    std::wstring strLevel;
    std::wstring strThread;
};

class TraceCaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        g_hWndParent = m_hWnd;
        g_dwGlobalDebugLevel = 0;
    }
    void TearDown() override
    {
        Take();
        g_hWndParent = nullptr;
        g_dwGlobalDebugLevel = 0;
        DestroyWindow(m_hWnd);
    }
    // Every bus message posted so far, in order; the blocks are released.
    std::vector<PostedRecord> Take()
    {
        std::vector<PostedRecord> vecRecords;
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE))
        {
            const wchar_t* pszRecord = RecordOfBlock(msg.lParam);
            const UINT uType = static_cast<UINT>(msg.wParam);
            vecRecords.push_back({uType, GetBusValue(pszRecord, uType == QEL_BUSMSG_LASTERROR ? L"LastErr" : L"Text"),
                                  GetBusValue2(pszRecord, L"Level"), GetBusValue2(pszRecord, L"Thread")});
            ReleaseBusBlock(msg.lParam);
        }
        return vecRecords;
    }
    // The trace texts (type 4) that contain _pszPart.
    std::vector<std::wstring> Lines(const std::vector<PostedRecord>& _vecRecords, const wchar_t* _pszPart) const
    {
        std::vector<std::wstring> vecLines;
        for (const PostedRecord& record : _vecRecords)
        {
            if (record.uType == QEL_BUSMSG_TRACE && record.strText.find(_pszPart) != std::wstring::npos)
                vecLines.push_back(record.strText);
        }
        return vecLines;
    }
    HWND m_hWnd = nullptr;
};
