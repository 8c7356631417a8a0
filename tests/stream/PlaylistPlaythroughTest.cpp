#include "movies/MovieEnvironment.h"
#include "movies/playList.h"
#include "platform/PathText.h"
#include "platform/QtTimerService.h"
#include "player/CPlayerDlg.h"
#include "playlist/CPlayListDlg.h"
#include "movies/FlvStreams.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingMessageBox.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo {
namespace {

// The road of a list of files with the real stream and real time: the first file plays
// at once, the end of each file plays the next pending entry, the end of the last one
// leaves every entry done and nothing more playing.
TEST(PlaylistPlaythrough, EachFileEndPlaysTheNextPendingEntry)
{
    QTemporaryDir dir;
    const std::string clip = std::string(ZEPO_BUILD_DIR) + "/fixtures/flv1_mp3.flv";
    for (const char* name : {"first.flv", "second.flv", "third.flv"})
        ASSERT_TRUE(QFile::copy(toQt(clip), dir.filePath(name)));
    const std::string folder = fromQt(dir.path());

    QtTimerService timers;
    test::RecordingMessageBox messages;
    test::FakeDisplayModes modes;
    test::FakeDesktopWindows desktop;
    MovieEnvironment movies{timers, flvStreams(timers)};
    CPlayerDlg player({movies, messages, modes, desktop, folder + "/zepo", {}, [] { return QPoint(); }});
    player.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    auto& list = *dynamic_cast<PlayListMovie*>(player.playlist()->movie().movie());
    const auto states = [&list] {
        std::vector<int> out;
        for (const auto& entry : list.entries())
            out.push_back(entry.state);
        return out;
    };

    player.AddFiles({folder + "/first.flv", folder + "/second.flv", folder + "/third.flv"}, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.windowTitle() == "first.flv - ZEPO"; }, 2000));
    // The clips are 3 s long; the end is noticed within a second of it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.windowTitle() == "second.flv - ZEPO"; }, 8000));
    EXPECT_EQ(states(), (std::vector<int>{playstate::Done, playstate::Playing, playstate::Pending}));

    // The user's previous command finds nothing pending before the current entry.
    player.playlist()->movie().TGotoLabel(kCommandClip, "gotoPrevFlv_2");
    EXPECT_EQ(player.windowTitle(), "second.flv - ZEPO");

    // Switch the third entry off: the end of the second is then the end of the list.
    list.clickStateRow(2);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return states() == std::vector<int>{playstate::Done, playstate::Done, playstate::Done}; }, 8000));
    QTest::qWait(1500);
    EXPECT_EQ(player.windowTitle(), "second.flv - ZEPO");
    EXPECT_TRUE(messages.texts.empty());
}

} // namespace
} // namespace zepo
