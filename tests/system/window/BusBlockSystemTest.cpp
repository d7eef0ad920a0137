// Record blocks in the real host: a plug-in's block that is almost right is read as far as
// it goes and freed, a refused one is traced and freed, and a flood of messages from
// another process cannot make the host hold more than a bounded number of its own blocks.
#include "HostWindowFixture.h"

#include <psapi.h>

#include <algorithm>

#include "TelvarinPlugin.h"

namespace {

const UINT TRIGGER_TYPE = 90;

// A probe of the extra list that posts one shaped record of the type when the trigger arrives.
tvr::ProbeSettings Poster(UINT _uType, const wchar_t* _pszEvent)
{
    tvr::ProbeSettings settings;
    settings.strPostOn = L"BusProcess:" + std::to_wstring(TRIGGER_TYPE);
    settings.uPostType = _uType;
    settings.vecPostFields = {{L"Event", _pszEvent}, {L"Tail", std::wstring(200, L't')}};
    return settings;
}

// Wine leaves PrivateUsage 0; the commit charge (PagefileUsage) is the same figure on Windows.
SIZE_T PrivateUsage(HANDLE _hProcess)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    GetProcessMemoryInfo(_hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

}   // namespace

class BusBlockSystemTest : public HostWindowTest
{
protected:
    // Starts the host with each poster as one more probe of the extra list (PluginPoster<n>).
    void StartWithPosters(const std::vector<tvr::ProbeSettings>& _vecPosters)
    {
        for (size_t i = 0; i < _vecPosters.size(); ++i)
            ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginPoster" + std::to_wstring(i) + L".DLL",
                                          m_Folder.Child(L"probe.log"), _vecPosters[i]));
        StartHost();
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(TRIGGER_TYPE));
    }

    // How many blocks the poster posted that still live, as it saw at its last call.
    std::string LiveBlocksOf(size_t _uPoster) const
    {
        const std::string strModule = "PluginPoster" + std::to_string(_uPoster);
        std::string strLive;
        for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
        {
            if (call.strModule == strModule && call.strCall == "Posted")
                strLive = call.Field("Live");
        }
        return strLive;
    }

    // The debug probe's record of that type holding the event.
    bool WaitForEvent(UINT _uType, const std::string& _strEvent) const
    {
        return tvr::WaitUntil(
            [&] {
                const auto vecCalls = Received(_uType);
                return std::any_of(vecCalls.begin(), vecCalls.end(),
                                   [&](const tvr::ProbeCall& _call) { return _call.Field("Event") == _strEvent; });
            },
            10000);
    }
};

TEST_F(BusBlockSystemTest, AlmostRightPluginBlocksAreReadAsFarAsTheyGoAndFreed)
{
    tvr::ProbeSettings shortBlock = Poster(91, L"short");
    shortBlock.uPostBlockChars = 16384;
    tvr::ProbeSettings cut = Poster(92, L"cut");
    cut.uPostCutAt = 200;   // inside the Tail value
    tvr::ProbeSettings otherTypeLine = Poster(93, L"typeline");
    otherTypeLine.iPostTypeLine = 94;
    tvr::ProbeSettings movable = Poster(95, L"movable");
    movable.uPostMemBlock = 64;
    movable.bPostMemBlockMovable = true;
    StartWithPosters({shortBlock, cut, otherTypeLine, movable});

    EXPECT_TRUE(WaitForEvent(91, "short"));
    EXPECT_TRUE(WaitForEvent(93, "typeline"));
    EXPECT_TRUE(WaitForEvent(95, "movable"));
    ASSERT_TRUE(WaitForEvent(92, "cut"));
    // The cut value ends the record: what came before it is read, the cut value is not.
    const std::vector<tvr::ProbeCall> vecCut = Received(92);
    ASSERT_EQ(2u, vecCut[0].vecFields.size());
    EXPECT_EQ("Type", vecCut[0].vecFields[0].first);
    EXPECT_EQ("Event", vecCut[0].vecFields[1].first);
    // Every block (and the movable "MemBlock") was freed after the last list saw it.
    Sync();
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ("0", LiveBlocksOf(i)) << "poster " << i;
}

TEST_F(BusBlockSystemTest, PluginBlockWithoutTerminatorIsRefusedTracedAndFreed)
{
    tvr::ProbeSettings filled = Poster(96, L"filled");
    filled.uPostBlockChars = 2048;
    filled.bPostFill = true;
    StartWithPosters({filled});

    ASSERT_TRUE(WaitForTrace("of type 96 refused: record without terminator"));
    Sync();
    EXPECT_EQ("0", LiveBlocksOf(0));
    for (const tvr::ProbeCall& call : Received(96))
        EXPECT_TRUE(call.vecFields.empty());
}

TEST_F(BusBlockSystemTest, CommandFloodFromOutsideHoldsBoundedMemoryAndTheHostStillAnswers)
{
    StartHost();
    const SIZE_T cbBefore = PrivateUsage(m_Host.Handle());
    ASSERT_NE(0u, cbBefore);
    SIZE_T cbPeak = cbBefore;
    // Every command id up to 40,000 but the host's own (pause, continue, exit, settings,
    // information, help), each forwarded as a record in a block of 32 KB.
    for (UINT uId = 1; uId <= 40000; ++uId)
    {
        if ((uId >= 11005 && uId <= 11007) || uId == 32778 || uId == 32780 || uId == 32782)
            continue;
        PostMessageW(m_hWnd, WM_COMMAND, uId, 0);
        if (uId % 1000 == 0)
            cbPeak = std::max(cbPeak, PrivateUsage(m_Host.Handle()));
    }
    // The host handles the commands at once and their records later, after all of them.
    const size_t uMarkers = Received(SYNC_MARKER_TYPE).size();
    ASSERT_TRUE(PostMessageW(m_hWnd, WM_QEL_BUS, SYNC_MARKER_TYPE, 0));
    ASSERT_TRUE(tvr::WaitUntil(
        [&] {
            cbPeak = std::max(cbPeak, PrivateUsage(m_Host.Handle()));
            return Received(SYNC_MARKER_TYPE).size() > uMarkers;
        },
        150000));
    // At most 4096 blocks of 32 KB waited (128 MB); unbounded, 40,000 of them held 1.3 GB.
    EXPECT_LT(cbPeak, cbBefore + 256 * 1024 * 1024) << "peak " << (cbPeak - cbBefore) / (1024 * 1024) << " MB";
    EXPECT_GE(Received(QEL_BUSMSG_MENUCOMMAND).size(), 1000u);
    EXPECT_FALSE(TraceLines("records not posted").empty());
    ExpectAlive();
    // The records of the last commands were posted behind the marker.
    Sync(150000);
}
