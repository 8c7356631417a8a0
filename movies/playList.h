#pragma once

#include "bridge/Movie.h"

#include <QRectF>
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zepo {

class PlayListView;

// Play state of a list entry (the data of its state-column row).
namespace playstate {
inline constexpr int Pending = 0; // will be played by next/previous
inline constexpr int Playing = 1; // the current entry while it plays
inline constexpr int Done = 2;    // played, stopped or switched off; skipped by next/previous
} // namespace playstate

struct PlayListEntry {
    std::string label; // the file name shown in the file column
    std::string path;  // the full path, exactly as it was added
    int state = playstate::Pending;
};

// The buttons of the pane, left to right.
enum class PlayListButton { Play, Delete, Up, Down, Save };
inline constexpr int kPlayListButtonCount = 5;

// Where the parts of the playlist movie lie, in stage coordinates.
struct PlayListLayout {
    QRectF stateList;
    QRectF fileList;
    QRectF selectedText;
    QRectF pane;
    std::array<QRectF, kPlayListButtonCount> buttons;
};

// The playlist movie (control 1014): the list of files to play and the order of
// playback. It shows the entries, lets the user select, play, delete, reorder and save
// them, tracks which were played, and decides what plays next. It sends "playFlv" and
// "saveList"; the host feeds it with "addList", clears it with "newList" and relays the
// player's progress ("gotoNextFlv", "startPlay", "stopPlay") and the user's previous and
// next commands.
//
// All list logic is here and runs without a window; PlayListView shows it with Qt list
// widgets inside the control and reports the user's clicks, keys and scrolling back.
// Owned by its control; every field is touched on the UI thread only.
class PlayListMovie : public Movie {
public:
    PlayListMovie(TimerService& timers, const MovieSlot& slot);
    ~PlayListMovie() override;

    // --- The list as the view and the tests read it.
    const std::vector<PlayListEntry>& entries() const { return entries_; }
    // listCount: the current entry (playing or last played); may lie outside the list.
    int listCount() const { return listCount_; }
    // flag_delPlaying: the current entry was deleted; listCount already points at the
    // entry that moved into its place.
    bool currentDeleted() const { return delPlaying_; }
    std::size_t queuedPaths() const { return fileArray_.size(); }
    int selectedRow() const { return selected_; } // -1: none
    const std::string& selectedText() const { return selectedText_; }
    int firstVisibleRow() const { return firstVisible_; }
    // Rows the columns show, a last, partly shown one included.
    int visibleRows() const;
    PlayListLayout layout() const;
    PlayListView* view() const { return view_.get(); }

    // --- The movie's operations: buttons, host commands and the user's input.
    void addList(const std::string& path);
    void newList();
    void playFlv(int index);
    void playSelectFlv();
    void playNextFlv();   // the player reached the end of a file
    void playNextFlv_2(); // the user's next file
    void playPrevFlv_2(); // the user's previous file
    void delSelectFlv();
    void moveUpSelectFlv();
    void moveDownSelectFlv();
    void saveList();
    void pressButton(PlayListButton button);
    // A click on a row of the file column (its change event): select, or play on the
    // second click within the double-click time.
    void clickFileRow(int row);
    // A click on a row of the state column: toggle pending and done.
    void clickStateRow(int row);
    // The user scrolled the file column; the state column follows.
    void scrollFileColumn(int firstRow);
    // Up and Down move the selection, as a click on the neighbouring row would.
    void keyPress(int virtualKey) override;

    // Row height of both columns, pixels.
    static constexpr int kRowHeight = 20;
    // Width of the state column, pixels.
    static constexpr int kStateColumnWidth = 20;
    // Height of the button pane strip along the bottom edge, pixels.
    static constexpr int kPaneHeight = 50;
    // Two clicks on one row closer together than this play it (ms).
    static constexpr std::int64_t kDoubleClickMs = 500;

protected:
    void onLoad() override;
    void onEnterFrame() override;
    void onStageResize() override;
    void onHostAttached() override;

private:
    void defineHostCommand(const char* label, void (PlayListMovie::*action)());
    void markCurrent(int state);
    void setState(int index, int state);
    int pendingAtOrAfter(int index) const;
    int pendingAtOrBefore(int index) const;
    // Leaves the current entry for entry `next` and plays it.
    void switchTo(int next);
    void select(int row);
    void moveSelectionBy(int step);
    void forgetClick();
    int fullyVisibleRows() const;
    int lastFirstVisibleRow() const;
    // updateIcon: the state column takes the file column's scroll position and every
    // row shows its entry's state; the view is brought up to date.
    void updateIcon();
    void placeView();

    std::vector<PlayListEntry> entries_;
    int listCount_ = 0;
    bool delPlaying_ = false;
    std::deque<std::string> fileArray_; // file_array: paths waiting to be appended
    int selected_ = -1;
    std::string selectedText_;
    int firstVisible_ = 0;
    // The first click of a possible double-click.
    std::int64_t dbcStartTime_ = -1;
    int dbcStartIndex_ = -1;
    std::string dbcListName_;
    std::unique_ptr<PlayListView> view_; // null until the movie has a control
};

} // namespace zepo
