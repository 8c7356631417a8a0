#include "playlist/CPlayListDlg.h"
#include "playlist/PathRules.h"
#include "tests/support/PlayerHarness.h"
#include "tests/support/RecordingMovie.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace zepo {
namespace {

using Log = std::vector<std::string>;

const char kMissing[] = "/nonexistent-zepo-test/a.flv";

// A real player window whose three movies are recording movies sharing one log.
class PlayerMovieEventsTest : public ::testing::Test {
protected:
    PlayerMovieEventsTest() : harness({kMissing}), window(harness.open())
    {
        player = install(window.playerControl(), 1000, "player");
        probe = install(window.probeControl(), 1013, "probe");
        playlist = install(window.playlist()->movie(), 1014, "playlist");
        frame = window.frameGeometry();
        harness.cursor = frame.center();
        harness.messages.texts.clear();
        log->clear();
    }

    test::RecordingMovie* install(CShockwaveFlash& control, int id, const std::string& name)
    {
        auto movie = std::make_unique<test::RecordingMovie>(harness.clock, *movieSlot(id), log, name);
        test::RecordingMovie* raw = movie.get();
        control.loadMovie(std::move(movie));
        return raw;
    }

    std::size_t count(const std::string& entry) const { return std::count(log->begin(), log->end(), entry); }

    std::shared_ptr<Log> log = std::make_shared<Log>();
    test::PlayerHarness harness;
    CPlayerDlg& window;
    ManualClock& clock = harness.clock;
    std::vector<std::string>& messages = harness.messages.texts;
    QPoint& cursor = harness.cursor;
    QRect frame;
    test::RecordingMovie* player = nullptr;
    test::RecordingMovie* probe = nullptr;
    test::RecordingMovie* playlist = nullptr;
};

const Log kSixReads = {"probe.get m_data_flag", "probe.get Size_flag", "probe.get TotalTime_flag",
                       "probe.get m_width",     "probe.get m_height", "probe.get m_duration"};

TEST_F(PlayerMovieEventsTest, ProbeCommandsCopyTheirValuesInOrderThenSendTheLabel)
{
    probe->preset("m_data_flag", "1");
    probe->preset("Size_flag", "0");
    probe->preset("TotalTime_flag", "1");
    probe->preset("m_width", "320");
    probe->preset("m_height", "240");
    probe->preset("m_duration", "37.2");

    struct Case {
        std::string command;
        Log relayed;
    };
    const std::vector<Case> cases = {
        {"getTotalTime", {"player.set m_duration=37.2", "player.goto getTotalTime"}},
        // All six even when the size is unknown: the player gets the default 320 x 240.
        {"allDone",
         {"player.set m_data_flag=1", "player.set Size_flag=0", "player.set TotalTime_flag=1",
          "player.set m_width=320", "player.set m_height=240", "player.set m_duration=37.2",
          "player.goto allDone"}},
        {"getSize",
         {"player.set m_data_flag=1", "player.set Size_flag=0", "player.set m_width=320",
          "player.set m_height=240", "player.goto getSize"}},
        {"searchStart", {"player.goto searchStart"}},
        {"playFlv", {}},
        // Differences of letter case are other commands, and unknown ones do nothing.
        {"alldone", {}},
        {"GetSize", {}},
        {"SEARCHSTART", {}},
    };
    for (const Case& c : cases) {
        log->clear();
        probe->send(c.command, "/v/a.flv");
        Log expected = kSixReads;
        expected.insert(expected.end(), c.relayed.begin(), c.relayed.end());
        EXPECT_EQ(*log, expected) << c.command;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlayerMovieEventsTest, MsgAndTextFromEitherMovie)
{
    for (test::RecordingMovie* movie : {player, probe}) {
        messages.clear();
        movie->send("msg", "こんにちは");
        movie->send("msg", "");
        EXPECT_EQ(messages, (std::vector<std::string>{"こんにちは", ""}));
        movie->send("text", "新しい題");
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8("新しい題"));
        movie->send("text", "");
        EXPECT_EQ(window.windowTitle(), QString());
    }
}

TEST_F(PlayerMovieEventsTest, PlaybackEventsReachThePlaylistOnlyOnceAFileWasSent)
{
    player->send("startPlay");
    player->send("stopPlay");
    player->send("gotoNextFlv");
    EXPECT_EQ(*log, (Log{"playlist.goto gotoNextFlv"}));

    window.SendFileToPlayer("/v/a.flv");
    log->clear();
    player->send("startPlay");
    player->send("stopPlay");
    player->send("gotoNextFlv");
    player->send("StartPlay");
    player->send("gotonextflv");
    EXPECT_EQ(*log, (Log{"playlist.goto startPlay", "playlist.goto stopPlay", "playlist.goto gotoNextFlv"}));
}

TEST_F(PlayerMovieEventsTest, EveryOkAppliesTheSavedStateAndOpensTheCommandLineAgain)
{
    player->preset("c_height", "68.5");
    player->send("ok", "68.5");
    player->send("ok", "68.5");
    player->send("OK", "68.5");
    EXPECT_EQ(window.panelHeight(), 68);
    EXPECT_EQ(count("player.get c_height"), 2u);
    // The command-line path (missing here) is opened on each "ok".
    EXPECT_EQ(messages, (std::vector<std::string>(2, missingPathMessage(kMissing))));
}

TEST_F(PlayerMovieEventsTest, PanelWatchSendsPanelOffOnceWhenTheCursorLeaves)
{
    // The watch runs from the window's initialisation (time 0) with a 100 ms period.
    clock.advance(60);
    // A start while it runs neither adds a timer nor restarts the period.
    player->send("control_on");
    cursor = frame.topLeft() - QPoint(1, 0);
    clock.advance(39);
    EXPECT_EQ(count("player.goto panel_off"), 0u);
    clock.advance(1);
    EXPECT_EQ(count("player.goto panel_off"), 1u);
    // It stopped itself: no second "panel_off" however long the cursor stays away.
    clock.advance(1000);
    EXPECT_EQ(count("player.goto panel_off"), 1u);

    player->send("control_on");
    clock.advance(100);
    EXPECT_EQ(count("player.goto panel_off"), 2u);

    // Stopped by "control_off"; stopping a stopped watch does nothing.
    player->send("control_on");
    player->send("control_off");
    window.SetPanelWatch(false);
    clock.advance(1000);
    EXPECT_EQ(count("player.goto panel_off"), 2u);
    EXPECT_EQ(*log, (Log{"player.goto panel_off", "player.goto panel_off"}));
}

TEST_F(PlayerMovieEventsTest, PanelWatchCountsAllFourEdgesAsInside)
{
    const int right = frame.left() + frame.width();
    const int bottom = frame.top() + frame.height();
    for (const QPoint inside : {frame.topLeft(), QPoint(right, bottom), QPoint(right, frame.top()),
                                QPoint(frame.left(), bottom)}) {
        cursor = inside;
        clock.advance(100);
    }
    EXPECT_EQ(count("player.goto panel_off"), 0u);

    std::size_t expected = 0;
    for (const QPoint outside : {QPoint(right + 1, frame.top()), QPoint(frame.left(), bottom + 1),
                                 QPoint(frame.left() - 1, frame.top()), QPoint(frame.left(), frame.top() - 1)}) {
        window.SetPanelWatch(true);
        cursor = outside;
        clock.advance(100);
        EXPECT_EQ(count("player.goto panel_off"), ++expected) << outside.x() << "," << outside.y();
    }
}

} // namespace
} // namespace zepo
