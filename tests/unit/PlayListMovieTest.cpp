#include "movies/playList.h"
#include "platform/ManualClock.h"

#include <gtest/gtest.h>

namespace zepo {
namespace {

using States = std::vector<int>;
constexpr int P = playstate::Pending, N = playstate::Playing, D = playstate::Done;
// One frame of the 60 fps movie on the manual clock.
constexpr int kFrameMs = 17;

class PlayListMovieTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        movie.setCommandSink([this](const std::string& command, const std::string& args) {
            if (command == "playFlv")
                played.push_back(args);
            else
                others.push_back(command + ":" + args);
        });
        movie.load();
    }

    void host(const std::string& label) { movie.gotoLabel(kCommandClip, label); }
    void queue(const std::string& path)
    {
        movie.setVariable("FromMFC_mc.flv_path", path);
        host("addList");
    }
    // Adds paths and lets the movie take them all in.
    void addAll(std::initializer_list<const char*> paths)
    {
        for (const char* path : paths)
            queue(path);
        clock.advance(static_cast<int>(paths.size()) * kFrameMs);
    }
    States states() const
    {
        States out;
        for (const auto& entry : movie.entries())
            out.push_back(entry.state);
        return out;
    }
    std::vector<int> selectedRows() const
    {
        std::vector<int> rows;
        for (std::size_t i = 0; i < movie.entries().size(); ++i)
            if (movie.entries()[i].selected)
                rows.push_back(static_cast<int>(i));
        return rows;
    }
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& entry : movie.entries())
            out.push_back(entry.path);
        return out;
    }

    ManualClock clock;
    PlayListMovie movie{clock, *movieSlot(kPlayListMovieControl)};
    std::vector<std::string> played;
    std::vector<std::string> others;
};

TEST_F(PlayListMovieTest, QueueTakesOnePathPerFrameAndPlaysTheFirstAtOnce)
{
    queue("/music/a.flv");
    queue("/music/b.flv");
    queue("c.flv");
    EXPECT_EQ(movie.getVariable("FromMFC_mc.flv_path"), "") << "the clip's default frame clears it";
    EXPECT_EQ(movie.queuedPaths(), 3u);
    EXPECT_TRUE(movie.entries().empty());

    clock.advance(kFrameMs);
    EXPECT_EQ(states(), (States{N}));
    EXPECT_EQ(played, (std::vector<std::string>{"/music/a.flv"}));
    clock.advance(kFrameMs);
    EXPECT_EQ(states(), (States{N, P}));
    clock.advance(kFrameMs);
    EXPECT_EQ(states(), (States{N, P, P}));
    EXPECT_EQ(played.size(), 1u);
    EXPECT_EQ(movie.entries()[0].label(), "a.flv");
    EXPECT_EQ(movie.entries()[2].label(), "c.flv") << "a path without a slash is its own label";
}

// With no path waiting the movie's frames sleep: an idle list wakes nothing. A path added
// then wakes them and arrives one frame later, as it would have on a running timeline.
TEST_F(PlayListMovieTest, FramesSleepWhileNoPathWaits)
{
    addAll({"/a.flv", "/b.flv"});
    clock.advance(kFrameMs);
    EXPECT_EQ(clock.runningTimers(), 0u);
    clock.advance(10 * kFrameMs);
    queue("/c.flv");
    EXPECT_EQ(clock.runningTimers(), 1u);
    clock.advance(kFrameMs - 1);
    EXPECT_EQ(movie.entries().size(), 2u);
    clock.advance(1);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a.flv", "/b.flv", "/c.flv"}));
    clock.advance(kFrameMs);
    EXPECT_EQ(clock.runningTimers(), 0u);
}

TEST(PlayListMovieStart, PathsSentBeforeTheFirstFrameWait)
{
    ManualClock clock;
    PlayListMovie movie(clock, *movieSlot(kPlayListMovieControl));
    movie.setVariable("FromMFC_mc.flv_path", "/early.flv");
    movie.gotoLabel(kCommandClip, "addList");
    EXPECT_EQ(movie.queuedPaths(), 1u);
    movie.load();
    clock.advance(kFrameMs);
    ASSERT_EQ(movie.entries().size(), 1u);
    EXPECT_EQ(movie.entries()[0].path, "/early.flv");
}

TEST_F(PlayListMovieTest, EndOfFilePlaysTheNextPendingEntryAndStopsAtTheEnd)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    host("gotoNextFlv");
    EXPECT_EQ(states(), (States{D, N, P}));
    host("gotoNextFlv");
    EXPECT_EQ(states(), (States{D, D, N}));
    EXPECT_EQ(movie.listCount(), 2);
    host("gotoNextFlv");
    EXPECT_EQ(states(), (States{D, D, D}));
    EXPECT_EQ(played, (std::vector<std::string>{"/a.flv", "/b.flv", "/c.flv"}));
}

TEST_F(PlayListMovieTest, NextAndPreviousSkipDoneEntries)
{
    addAll({"/a.flv", "/b.flv", "/c.flv", "/d.flv"});
    movie.clickStateRow(2); // the user switches c off
    host("gotoNextFlv_2");
    host("gotoNextFlv_2");
    EXPECT_EQ(states(), (States{D, D, D, N}));
    EXPECT_EQ(played.back(), "/d.flv");

    host("gotoPrevFlv_2");
    EXPECT_EQ(played.size(), 3u) << "every earlier entry is done";
    EXPECT_EQ(movie.listCount(), 3);

    movie.clickStateRow(1); // b back to pending
    host("gotoPrevFlv_2");
    EXPECT_EQ(played.back(), "/b.flv");
    EXPECT_EQ(states(), (States{D, N, D, D}));
    host("gotoNextFlv_2");
    EXPECT_EQ(played.size(), 4u) << "nothing pending after b";
    EXPECT_EQ(states(), (States{D, N, D, D}));
}

TEST_F(PlayListMovieTest, DeletingThePlayingEntryLetsItPlayOnAndItsEndPlaysItsSuccessor)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    movie.clickFileRow(0);
    host("delSelectFlv");
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.flv", "/c.flv"}));
    EXPECT_TRUE(movie.currentDeleted());
    EXPECT_EQ(played.size(), 1u) << "the player is not stopped";
    EXPECT_EQ(movie.selectedRow(), 0);
    EXPECT_EQ(movie.selectedText(), "/b.flv");

    host("stopPlay"); // the deleted file's stop must not mark its successor
    EXPECT_EQ(states(), (States{P, P}));
    host("gotoNextFlv");
    EXPECT_EQ(played.back(), "/b.flv");
    EXPECT_EQ(movie.listCount(), 0);
    EXPECT_FALSE(movie.currentDeleted());
    EXPECT_EQ(states(), (States{N, P}));
}

TEST_F(PlayListMovieTest, DeletingAroundTheCurrentEntryKeepsItCurrent)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    host("gotoNextFlv_2"); // b plays
    movie.clickFileRow(0);
    host("delSelectFlv");
    EXPECT_EQ(movie.listCount(), 0);
    EXPECT_FALSE(movie.currentDeleted());
    movie.clickFileRow(1);
    host("delSelectFlv"); // the last row: the one before it is selected
    EXPECT_EQ(movie.selectedRow(), 0);
    EXPECT_EQ(movie.selectedText(), "/b.flv");
    host("delSelectFlv");
    EXPECT_TRUE(movie.entries().empty());
    EXPECT_EQ(movie.selectedRow(), -1);
    EXPECT_EQ(movie.selectedText(), "");
    host("delSelectFlv"); // nothing selected: nothing happens
    EXPECT_TRUE(movie.entries().empty());
}

// The entry after a deleted playing one has moved into its place: next file plays it,
// not the one after it, and marks nothing done for the file that is gone.
TEST_F(PlayListMovieTest, NextFileAfterDeletingThePlayingEntryPlaysTheEntryThatTookItsPlace)
{
    addAll({"/a.flv", "/b.flv", "/c.flv", "/d.flv"});
    host("gotoNextFlv_2"); // b plays, a done
    movie.clickFileRow(1);
    host("delSelectFlv");
    EXPECT_EQ(states(), (States{D, P, P}));
    host("gotoNextFlv_2");
    EXPECT_EQ(played.back(), "/c.flv");
    EXPECT_EQ(movie.listCount(), 1);
    EXPECT_FALSE(movie.currentDeleted());
    EXPECT_EQ(states(), (States{D, N, P}));
}

TEST_F(PlayListMovieTest, NextFileFindingNothingLeavesTheCurrentEntryAlone)
{
    addAll({"/a.flv", "/b.flv"});
    host("gotoNextFlv_2"); // b plays
    movie.clickFileRow(1);
    host("delSelectFlv"); // b deleted while it plays: listCount one past the end
    EXPECT_EQ(movie.listCount(), 1);
    for (int i = 0; i < 3; ++i)
        host("gotoNextFlv_2");
    EXPECT_EQ(movie.listCount(), 1);
    EXPECT_TRUE(movie.currentDeleted());
    EXPECT_EQ(played.size(), 2u);
    movie.clickStateRow(0); // a pending again: previous reaches it
    host("gotoPrevFlv_2");
    EXPECT_EQ(played.back(), "/a.flv");
    EXPECT_FALSE(movie.currentDeleted());
}

TEST_F(PlayListMovieTest, FirstEntryOfAnEmptiedListBecomesTheCurrentOne)
{
    addAll({"/a.flv"});
    movie.clickFileRow(0);
    host("delSelectFlv");
    host("gotoNextFlv"); // the deleted file ends: listCount -1, nothing to play
    EXPECT_EQ(played.size(), 1u);
    addAll({"/b.flv"});
    EXPECT_EQ(played.back(), "/b.flv");
    EXPECT_EQ(movie.listCount(), 0);
    host("stopPlay");
    EXPECT_EQ(states(), (States{D}));
}

TEST_F(PlayListMovieTest, MovingUpAndDownKeepsTheCurrentEntry)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    host("gotoNextFlv_2"); // b plays, listCount 1
    movie.clickFileRow(1);
    movie.pressButton(PlayListButton::Up);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.flv", "/a.flv", "/c.flv"}));
    EXPECT_EQ(states(), (States{N, D, P}));
    EXPECT_EQ(movie.listCount(), 0);
    EXPECT_EQ(movie.selectedRow(), 0);
    movie.pressButton(PlayListButton::Up); // already at the top
    EXPECT_EQ(movie.listCount(), 0);

    movie.clickFileRow(2);
    movie.pressButton(PlayListButton::Down); // the last row stays
    movie.pressButton(PlayListButton::Up);   // rows away from the current entry
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.flv", "/c.flv", "/a.flv"}));
    EXPECT_EQ(movie.listCount(), 0);
    movie.clickFileRow(0);
    movie.pressButton(PlayListButton::Down); // the current entry itself moves down
    EXPECT_EQ(movie.listCount(), 1);
    EXPECT_EQ(movie.entries()[1].path, "/b.flv");

    host("gotoPrevFlv_2"); // previous of b is now c
    EXPECT_EQ(played.back(), "/c.flv");
    EXPECT_EQ(states(), (States{N, D, D}));
}

TEST_F(PlayListMovieTest, TwoClicksOnOneRowWithin500msPlayIt)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    movie.clickFileRow(2);
    EXPECT_EQ(movie.selectedText(), "/c.flv");
    clock.advance(499);
    movie.clickFileRow(2);
    EXPECT_EQ(played.back(), "/c.flv");
    EXPECT_EQ(states(), (States{D, P, N}));
    clock.advance(100);
    movie.clickFileRow(2); // a third click starts a new pair
    EXPECT_EQ(played.size(), 2u);

    clock.advance(1000);
    movie.clickFileRow(1);
    clock.advance(500); // not less than 500 ms
    movie.clickFileRow(1);
    clock.advance(100);
    movie.clickFileRow(0); // another row
    clock.advance(100);
    movie.clickStateRow(0); // a state click forgets the first click
    clock.advance(100);
    movie.clickFileRow(0);
    EXPECT_EQ(played.size(), 2u);
}

TEST_F(PlayListMovieTest, CtrlAndShiftClicksSelectSeveralRowsAndTheLastSelectedIsTheSelectedIndex)
{
    using Rows = std::vector<int>;
    addAll({"/a.flv", "/b.flv", "/c.flv", "/d.flv", "/e.flv"});
    movie.clickFileRow(1);
    movie.clickFileRow(3, RowClick::Toggle);
    EXPECT_EQ(selectedRows(), (Rows{1, 3}));
    EXPECT_EQ(movie.selectedRow(), 3);
    EXPECT_EQ(movie.selectedText(), "/d.flv");

    // Taking the selected index out leaves the nearest selected row above it.
    movie.clickFileRow(3, RowClick::Toggle);
    EXPECT_EQ(selectedRows(), Rows{1});
    EXPECT_EQ(movie.selectedRow(), 1);
    EXPECT_EQ(played.size(), 1u) << "a Ctrl click that takes a row out is no double click";
    movie.clickFileRow(1, RowClick::Toggle);
    EXPECT_EQ(movie.selectedRow(), -1);
    EXPECT_EQ(movie.selectedText(), "");
    movie.pressButton(PlayListButton::Play); // no selected index: nothing
    EXPECT_EQ(played.size(), 1u);

    // Shift selects from the last plain or Ctrl click, either way.
    movie.clickFileRow(3);
    movie.clickFileRow(1, RowClick::Extend);
    EXPECT_EQ(selectedRows(), (Rows{1, 2, 3}));
    movie.clickFileRow(4, RowClick::Extend);
    EXPECT_EQ(selectedRows(), (Rows{3, 4}));
    EXPECT_EQ(movie.selectedRow(), 4);

    // Every operation acts on the selected index alone and leaves it selected alone.
    movie.clickFileRow(0, RowClick::Toggle);
    movie.moveDownSelectFlv();
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.flv", "/a.flv", "/c.flv", "/d.flv", "/e.flv"}));
    EXPECT_EQ(selectedRows(), Rows{1});
    movie.clickFileRow(3, RowClick::Toggle);
    movie.clickFileRow(4, RowClick::Toggle);
    movie.delSelectFlv();
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.flv", "/a.flv", "/c.flv", "/d.flv"}));
    EXPECT_EQ(selectedRows(), Rows{3});
    movie.clickFileRow(2, RowClick::Toggle);
    movie.pressButton(PlayListButton::Play);
    EXPECT_EQ(played.back(), "/c.flv");
    movie.clickStateRow(0);
    EXPECT_EQ(selectedRows(), Rows{0});
}

TEST_F(PlayListMovieTest, ClickingTheStateColumnTogglesPendingAndDone)
{
    addAll({"/a.flv", "/b.flv"});
    movie.clickStateRow(1);
    EXPECT_EQ(states(), (States{N, D}));
    EXPECT_EQ(movie.selectedRow(), 1);
    EXPECT_EQ(movie.selectedText(), "/b.flv");
    movie.clickStateRow(1);
    movie.clickStateRow(0); // playing stays playing
    EXPECT_EQ(states(), (States{N, P}));
    movie.clickStateRow(5); // no such row
    EXPECT_EQ(movie.selectedRow(), 0);
}

TEST_F(PlayListMovieTest, PlayButtonPlaysTheSelectionAndTheHostMarksTheCurrentEntry)
{
    addAll({"/a.flv", "/b.flv", "/c.flv"});
    movie.pressButton(PlayListButton::Play); // nothing selected
    EXPECT_EQ(played.size(), 1u);
    movie.clickFileRow(2);
    movie.pressButton(PlayListButton::Play);
    EXPECT_EQ(played.back(), "/c.flv");
    EXPECT_EQ(states(), (States{D, P, N}));
    host("stopPlay");
    EXPECT_EQ(states(), (States{D, P, D}));
    host("startPlay");
    EXPECT_EQ(states(), (States{D, P, N}));
}

TEST_F(PlayListMovieTest, SaveSendsEveryPathWithALineFeed)
{
    movie.pressButton(PlayListButton::Save);
    addAll({"/a.flv", "/b c.flv"});
    movie.pressButton(PlayListButton::Save);
    EXPECT_EQ(others, (std::vector<std::string>{"saveList:", "saveList:/a.flv\n/b c.flv\n"}));
}

TEST_F(PlayListMovieTest, NewListEmptiesListQueueAndSelection)
{
    addAll({"/a.flv", "/b.flv"});
    host("gotoNextFlv_2");
    movie.clickFileRow(1);
    queue("/late.flv");
    host("newList");
    EXPECT_TRUE(movie.entries().empty());
    EXPECT_EQ(movie.queuedPaths(), 0u);
    EXPECT_EQ(movie.listCount(), 0);
    EXPECT_EQ(movie.selectedRow(), -1);
    EXPECT_EQ(movie.selectedText(), "");
    addAll({"/new.flv"});
    EXPECT_EQ(played.back(), "/new.flv");
}

TEST_F(PlayListMovieTest, LayoutAndScrollingFollowTheStageSize)
{
    movie.resizeStage(250, 300); // lists 250 high: 12 whole rows and half a row
    const PlayListLayout parts = movie.layout();
    EXPECT_EQ(parts.stateList, QRectF(75, 50, 20, 250));
    EXPECT_EQ(parts.fileList, QRectF(93, 50, 232, 250));
    EXPECT_EQ(parts.pane, QRectF(75, 300, 250, 50));
    EXPECT_EQ(parts.selectedText, QRectF(75, 299, 250, 20));
    EXPECT_EQ(parts.buttons[0], QRectF(79.5, 323.5, 40, 22));
    EXPECT_EQ(parts.buttons[4], QRectF(260.4, 323.5, 40, 22));
    EXPECT_EQ(movie.visibleRows(), 13);

    for (int i = 0; i < 30; ++i)
        queue("/f" + std::to_string(i) + ".flv");
    clock.advance(30 * kFrameMs);
    EXPECT_EQ(movie.firstVisibleRow(), 18) << "scrolled to the end: the last entry shows whole";

    movie.clickFileRow(18);
    movie.moveUpSelectFlv();
    EXPECT_EQ(movie.firstVisibleRow(), 17);
    movie.scrollFileColumn(0);
    movie.clickFileRow(10);
    movie.moveDownSelectFlv();
    EXPECT_EQ(movie.firstVisibleRow(), 0);
    movie.moveDownSelectFlv(); // row 12 passes first + visible rows - 2
    EXPECT_EQ(movie.firstVisibleRow(), 1);
    movie.scrollFileColumn(99);
    EXPECT_EQ(movie.firstVisibleRow(), 18);

    movie.resizeStage(250, 700); // every row fits now
    EXPECT_EQ(movie.firstVisibleRow(), 0);
}

} // namespace
} // namespace zepo
