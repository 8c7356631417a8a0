#include "movies/playList.h"
#include "playlist/CPlayListDlg.h"
#include "tests/stream/RealPlayerWindow.h"
#include "tests/stream/StreamRecorder.h"
#include "tests/support/HoldsFor.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using States = std::vector<playstate::PlayState>;
using playstate::Done;
using playstate::Pending;
using playstate::Playing;

// The road of a list of files with the real stream and real time: the first file plays
// at once, the end of each file plays the next pending entry, the end of the last one
// leaves every entry done and nothing more playing.
TEST(PlaylistPlaythrough, EachFileEndPlaysTheNextPendingEntry)
{
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    const std::string folder = fromQt(w.dir.path());
    for (const char* name : {"first.flv", "second.flv", "third.flv"})
        ASSERT_TRUE(QFile::copy(toQt(fixture("flv1_mp3.flv")), toQt(folder + "/" + name)));
    auto& list = *dynamic_cast<PlayListMovie*>(w.player.playlist()->movie().movie());
    const auto states = [&list] {
        States out;
        for (const auto& entry : list.entries())
            out.push_back(entry.state);
        return out;
    };

    w.player.AddFiles({folder + "/first.flv", folder + "/second.flv", folder + "/third.flv"}, AddMode::Replace);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "first.flv - ZEPO"; }, 2000));
    // The clips are 3 s long; the end is noticed within a second of it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "second.flv - ZEPO"; }, 8000));
    EXPECT_EQ(states(), (States{Done, Playing, Pending}));

    // The user's previous command finds nothing pending before the current entry.
    w.player.playlist()->movie().TGotoLabel(kCommandClip, "gotoPrevFlv_2");
    EXPECT_EQ(w.player.windowTitle(), "second.flv - ZEPO");

    // Switch the third entry off: the end of the second is then the end of the list.
    list.clickStateRow(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return states() == States{Done, Done, Done}; }, 8000));
    // Nothing is to happen after the end, so no event marks that nothing will: the other
    // sources of the end act within a second of it, and the test watches that long and
    // half again that no file starts and the player rests at 0.
    EXPECT_TRUE(holdsFor(
        [&] { return w.player.windowTitle() == "second.flv - ZEPO" && w.movie().stream()->time() <= 0.01; }, 1500))
        << fromQt(w.player.windowTitle()) << " at " << w.movie().stream()->time();
    EXPECT_EQ(w.variable("stop_flag"), "1");
    EXPECT_TRUE(w.messages.texts.empty());
}

} // namespace
} // namespace zepo::test
