#pragma once

#include "bridge/Movie.h"
#include "movies/PlayState.h"

#include <QRectF>
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zepo {

class PlayListView;

// The command clip's variable that carries one path to the host command "addList".
inline const std::string kFlvPathVariable = commandClipVariable("flv_path");

// One entry of the list. Kept small: a list may hold a hundred thousand of them.
struct PlayListEntry {
    std::string path; // the full path, exactly as it was added
    playstate::PlayState state = playstate::Pending;
    bool selected = false; // one of the file column's selected rows
    // The file name the file column shows: the text after the last "/", or the whole path.
    std::string_view label() const;
};

// How a click on a file row changes the selection (the list allows several rows).
enum class RowClick {
    Select, // this row alone
    Toggle, // this row in or out of the selection (Ctrl)
    Extend, // the rows from the last plain or toggling click to this one (Shift)
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
    // The selected index that every operation acts on: the row selected last, -1 for
    // none. Other rows may be selected with it (entries()[i].selected).
    int selectedRow() const { return selected_; }
    const std::string& selectedText() const { return selectedText_; }
    int firstVisibleRow() const { return firstVisible_; }
    // Rows the columns show, a last, partly shown one included.
    int visibleRows() const;
    // The first visible row when the list is scrolled to its end.
    int lastFirstVisibleRow() const;
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
    // second click on the same row within the double-click time.
    void clickFileRow(int row, RowClick click = RowClick::Select);
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
    void markCurrent(playstate::PlayState state);
    void setState(int index, playstate::PlayState state);
    int pendingAtOrAfter(int index) const;
    int pendingAtOrBefore(int index) const;
    // Leaves the current entry for entry `next` and plays it.
    void switchTo(int next);
    // The list component's selectedIndex setter: this row alone is selected, its path
    // shown.
    void select(int row);
    // This row alone selected (and the start of a Shift click's range), the path shown
    // left as it is.
    void markSelected(int row);
    void changeSelection(int row, RowClick click);
    void clearSelection();
    void moveSelectionBy(int step);
    void forgetClick();
    int fullyVisibleRows() const;
    // updateIcon: the state column takes the file column's scroll position and every
    // row shows its entry's state; the view is brought up to date.
    void updateIcon();
    void placeView();

    std::vector<PlayListEntry> entries_;
    int listCount_ = 0;
    bool delPlaying_ = false;
    std::deque<std::string> fileArray_; // file_array: paths waiting to be appended
    int selected_ = -1;
    int anchor_ = -1; // where a Shift click's range starts
    std::string selectedText_;
    int firstVisible_ = 0;
    // The first click of a possible double-click.
    std::int64_t dbcStartTime_ = -1;
    int dbcStartIndex_ = -1;
    std::string dbcListName_;
    std::unique_ptr<PlayListView> view_; // null until the movie has a control
};

} // namespace zepo
