#include "movies/playList.h"

#include "movies/PlayListView.h"
#include "platform/PathNames.h"
#include "platform/VirtualKeys.h"

#include <algorithm>
#include <cmath>

namespace zepo {

namespace {
const std::string kFileListName = "file_list";

// Left edges of the five buttons, from the pane's left edge.
constexpr std::array<double, kPlayListButtonCount> kButtonLefts{4.5, 49.8, 95.1, 140.4, 185.4};
// Button size and how far their tops lie above the bottom edge.
constexpr double kButtonWidth = 40;
constexpr double kButtonHeight = 22;
constexpr double kButtonTopAboveBottom = 26.5;
// selected_txt is one line high and sits on the upper part of the pane.
constexpr double kSelectedTextHeight = 20;
// The file column overlaps the state column by this much, hiding its right border.
constexpr double kColumnOverlap = 2;

} // namespace

std::string_view PlayListEntry::label() const
{
    return fileNameOf(path);
}

PlayListMovie::PlayListMovie(TimerService& timers, const MovieSlot& slot) : Movie(timers, slot)
{
    // The command clip's labels exist as soon as the movie does: the host may feed paths
    // before the first frame has run (the command-line files arrive that early).
    defineLabel("default", [this] { setText(kFlvPathVariable, ""); });
    defineLabel("addList", [this] {
        fileArray_.push_back(text(kFlvPathVariable));
        wakeFrames();
        gotoLabel(kCommandClip, "default");
    });
    defineHostCommand("newList", &PlayListMovie::newList);
    defineHostCommand("delSelectFlv", &PlayListMovie::delSelectFlv);
    defineHostCommand("gotoNextFlv", &PlayListMovie::playNextFlv);
    defineHostCommand("gotoNextFlv_2", &PlayListMovie::playNextFlv_2);
    defineHostCommand("gotoPrevFlv_2", &PlayListMovie::playPrevFlv_2);
    defineLabel("startPlay", [this] {
        markCurrent(playstate::Playing);
        gotoLabel(kCommandClip, "default");
    });
    defineLabel("stopPlay", [this] {
        markCurrent(playstate::Done);
        gotoLabel(kCommandClip, "default");
    });
}

PlayListMovie::~PlayListMovie() = default;

void PlayListMovie::defineHostCommand(const char* label, void (PlayListMovie::*action)())
{
    defineLabel(label, [this, action] {
        (this->*action)();
        gotoLabel(kCommandClip, "default");
    });
}

void PlayListMovie::onLoad()
{
    playFrames();
    placeView();
    updateIcon();
}

void PlayListMovie::onHostAttached()
{
    view_ = std::make_unique<PlayListView>(*host(), *this);
    placeView();
    updateIcon();
}

void PlayListMovie::onStageResize()
{
    placeView();
    updateIcon();
}

// Algorithm 1: one queued path per frame, in arrival order. The frames sleep while no path
// waits.
void PlayListMovie::onEnterFrame()
{
    if (fileArray_.empty()) {
        sleepFrames();
        return;
    }
    const std::string path = std::move(fileArray_.front());
    fileArray_.pop_front();
    addList(path);
}

void PlayListMovie::addList(const std::string& path)
{
    entries_.push_back({path, playstate::Pending});
    if (entries_.size() == 1) {
        entries_[0].state = playstate::Playing;
        delPlaying_ = false;
        // The first entry of an empty list is the current one. Without this a list
        // emptied after the end of its deleted first entry (listCount -1) would play
        // its new first entry without ever marking it done.
        listCount_ = 0;
        sendCommand("playFlv", path);
    }
    firstVisible_ = lastFirstVisibleRow();
    updateIcon();
}

void PlayListMovie::newList()
{
    fileArray_.clear();
    entries_.clear();
    listCount_ = 0;
    selected_ = -1;
    anchor_ = -1;
    selectedText_.clear();
    firstVisible_ = 0;
    updateIcon();
}

void PlayListMovie::playFlv(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return;
    // A copy: the host's reaction must not see the entry move under it.
    const std::string path = entries_[index].path;
    sendCommand("playFlv", path);
    setState(index, playstate::Playing);
    updateIcon();
}

void PlayListMovie::playSelectFlv()
{
    if (selected_ < 0)
        return;
    if (!delPlaying_)
        setState(listCount_, playstate::Done);
    else
        delPlaying_ = false;
    listCount_ = selected_;
    playFlv(listCount_);
}

void PlayListMovie::playNextFlv()
{
    if (!delPlaying_) {
        setState(listCount_, playstate::Done);
    } else {
        // listCount already points past the deleted entry: step back so the search
        // starts with the entry that moved into its place.
        --listCount_;
        delPlaying_ = false;
    }
    const int next = pendingAtOrAfter(listCount_ + 1);
    if (next < 0) {
        updateIcon(); // nothing more to play: the player stays stopped
        return;
    }
    listCount_ = next;
    playFlv(next);
}

// A next-file command that finds no pending entry leaves listCount and flag_delPlaying
// as they were, so repeating it never walks the search backwards into older entries.
void PlayListMovie::playNextFlv_2()
{
    const int from = (delPlaying_ ? listCount_ - 1 : listCount_) + 1;
    const int next = pendingAtOrAfter(from);
    if (next >= 0)
        switchTo(next);
}

void PlayListMovie::playPrevFlv_2()
{
    const int previous = pendingAtOrBefore(listCount_ - 1);
    if (previous >= 0)
        switchTo(previous);
}

void PlayListMovie::switchTo(int next)
{
    if (delPlaying_)
        delPlaying_ = false;
    else
        setState(listCount_, playstate::Done);
    listCount_ = next;
    playFlv(next);
}

void PlayListMovie::delSelectFlv()
{
    const int s = selected_;
    if (s < 0 || s >= static_cast<int>(entries_.size()))
        return;
    // The player keeps playing the deleted file; its end still counts for this place.
    if (s == listCount_)
        delPlaying_ = true;
    if (listCount_ != 0 && s < listCount_)
        --listCount_;
    entries_.erase(entries_.begin() + s);
    if (entries_.empty()) {
        clearSelection();
        selectedText_.clear();
        updateIcon();
    } else {
        select(s < static_cast<int>(entries_.size()) ? s : s - 1);
    }
}

void PlayListMovie::moveUpSelectFlv()
{
    const int s = selected_;
    if (s <= 0 || s >= static_cast<int>(entries_.size()))
        return;
    // The current entry keeps being the current one wherever it moves.
    if (s == listCount_)
        --listCount_;
    else if (s - 1 == listCount_)
        ++listCount_;
    std::swap(entries_[s], entries_[s - 1]);
    markSelected(s - 1);
    const int rows = visibleRows();
    if (selected_ < firstVisible_)
        firstVisible_ = selected_;
    else if (selected_ > firstVisible_ + rows - 2)
        firstVisible_ = selected_ - rows + 2;
    updateIcon();
}

void PlayListMovie::moveDownSelectFlv()
{
    const int s = selected_;
    if (s < 0 || s + 1 >= static_cast<int>(entries_.size()))
        return;
    if (s == listCount_)
        ++listCount_;
    else if (s + 1 == listCount_)
        --listCount_;
    std::swap(entries_[s], entries_[s + 1]);
    markSelected(s + 1);
    const int rows = visibleRows();
    if (selected_ > firstVisible_ + rows - 2)
        firstVisible_ = selected_ - rows + 2;
    else if (selected_ < firstVisible_)
        firstVisible_ = selected_;
    updateIcon();
}

void PlayListMovie::saveList()
{
    std::string list;
    for (const PlayListEntry& entry : entries_)
        list += entry.path + "\n";
    sendCommand("saveList", list);
}

void PlayListMovie::pressButton(PlayListButton button)
{
    switch (button) {
    case PlayListButton::Play: playSelectFlv(); break;
    case PlayListButton::Delete: delSelectFlv(); break;
    case PlayListButton::Up: moveUpSelectFlv(); break;
    case PlayListButton::Down: moveDownSelectFlv(); break;
    case PlayListButton::Save: saveList(); break;
    }
}

void PlayListMovie::clickFileRow(int row, RowClick click)
{
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return;
    changeSelection(row, click);
    // Two clicks on one row close together play it. The clicked row must be the selected
    // index as well: a Ctrl click that takes a row out of the selection plays nothing.
    const std::int64_t now = timers().nowMs();
    if (now - dbcStartTime_ < kDoubleClickMs && selected_ == row && row == dbcStartIndex_
        && dbcListName_ == kFileListName) {
        playSelectFlv();
        forgetClick();
        return;
    }
    dbcStartTime_ = now;
    dbcStartIndex_ = row;
    dbcListName_ = kFileListName;
    selectedText_ = selected_ >= 0 ? entries_[selected_].path : std::string();
    updateIcon();
}

// As the list component selects with several rows allowed: a plain click selects the
// row alone, Ctrl adds or removes one row, Shift selects the range from the last plain or
// Ctrl click. The selected index is the row selected last; when a Ctrl click takes that
// row out, the nearest selected row above it takes its place (or, at the top, below).
void PlayListMovie::changeSelection(int row, RowClick click)
{
    PlayListEntry& entry = entries_[row];
    switch (click) {
    case RowClick::Select:
        markSelected(row);
        return;
    case RowClick::Toggle:
        anchor_ = row;
        entry.selected = !entry.selected;
        if (entry.selected) {
            selected_ = row;
        } else if (selected_ == row) {
            selected_ = -1;
            for (int i = row - 1; i >= 0 && selected_ < 0; --i)
                if (entries_[i].selected)
                    selected_ = i;
            for (int i = row + 1; i < static_cast<int>(entries_.size()) && selected_ < 0; ++i)
                if (entries_[i].selected)
                    selected_ = i;
        }
        return;
    case RowClick::Extend: {
        const int from = anchor_ >= 0 && anchor_ < static_cast<int>(entries_.size()) ? anchor_ : row;
        clearSelection();
        for (int i = std::min(from, row); i <= std::max(from, row); ++i)
            entries_[i].selected = true;
        anchor_ = from;
        selected_ = row;
        return;
    }
    }
}

void PlayListMovie::clickStateRow(int row)
{
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return;
    forgetClick();
    playstate::PlayState& state = entries_[row].state;
    if (state == playstate::Pending)
        state = playstate::Done;
    else if (state == playstate::Done)
        state = playstate::Pending;
    select(row);
}

void PlayListMovie::scrollFileColumn(int firstRow)
{
    firstVisible_ = firstRow;
    updateIcon();
}

void PlayListMovie::keyPress(int virtualKey)
{
    if (virtualKey == vk::Up)
        moveSelectionBy(-1);
    else if (virtualKey == vk::Down)
        moveSelectionBy(1);
}

// As the list component moves its selection: from no selection either key selects the
// first row; the selection stops at both ends; the list scrolls just enough to show it.
void PlayListMovie::moveSelectionBy(int step)
{
    const int count = static_cast<int>(entries_.size());
    if (count == 0)
        return;
    const int target = std::clamp(selected_ < 0 ? 0 : selected_ + step, 0, count - 1);
    if (target == selected_)
        return;
    const int rows = fullyVisibleRows();
    if (target < firstVisible_)
        firstVisible_ = target;
    else if (target >= firstVisible_ + rows)
        firstVisible_ = target - rows + 1;
    clickFileRow(target);
}

void PlayListMovie::select(int row)
{
    markSelected(row);
    selectedText_ = entries_[row].path;
    updateIcon();
}

void PlayListMovie::markSelected(int row)
{
    clearSelection();
    entries_[row].selected = true;
    selected_ = row;
    anchor_ = row;
}

void PlayListMovie::clearSelection()
{
    for (PlayListEntry& entry : entries_)
        entry.selected = false;
    selected_ = -1;
}

void PlayListMovie::forgetClick()
{
    dbcStartTime_ = -1;
    dbcStartIndex_ = -1;
    dbcListName_.clear();
}

void PlayListMovie::markCurrent(playstate::PlayState state)
{
    if (!delPlaying_)
        setState(listCount_, state);
    updateIcon();
}

void PlayListMovie::setState(int index, playstate::PlayState state)
{
    // listCount may lie outside the list; a change addressed there does nothing.
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        entries_[index].state = state;
}

int PlayListMovie::pendingAtOrAfter(int index) const
{
    for (int i = std::max(index, 0); i < static_cast<int>(entries_.size()); ++i)
        if (entries_[i].state == playstate::Pending)
            return i;
    return -1;
}

int PlayListMovie::pendingAtOrBefore(int index) const
{
    for (int i = std::min(index, static_cast<int>(entries_.size()) - 1); i >= 0; --i)
        if (entries_[i].state == playstate::Pending)
            return i;
    return -1;
}

int PlayListMovie::visibleRows() const
{
    const double height = std::max(0.0, stageHeight() - kPaneHeight);
    return static_cast<int>(std::ceil(height / kRowHeight));
}

int PlayListMovie::fullyVisibleRows() const
{
    const double height = std::max(0.0, stageHeight() - kPaneHeight);
    return std::max(1, static_cast<int>(std::floor(height / kRowHeight)));
}

// Scrolled to the end, the last entry is the last fully shown row.
int PlayListMovie::lastFirstVisibleRow() const
{
    return std::max(0, static_cast<int>(entries_.size()) - fullyVisibleRows());
}

void PlayListMovie::updateIcon()
{
    firstVisible_ = std::clamp(firstVisible_, 0, lastFirstVisibleRow());
    if (view_)
        view_->refresh();
}

PlayListLayout PlayListMovie::layout() const
{
    // The visible stage: left L = -(W - 400) / 2, top T, bottom B, as a no-scale stage
    // centred on the authoring stage.
    const QRectF stage = visibleStage();
    const double left = stage.left(), top = stage.top(), bottom = stage.bottom();
    const double width = stage.width();
    const double listHeight = std::max(0.0, stage.height() - kPaneHeight);
    PlayListLayout parts;
    parts.pane = QRectF(left, bottom - kPaneHeight, width, kPaneHeight);
    parts.selectedText = QRectF(left, bottom - kPaneHeight - 1, width, kSelectedTextHeight);
    parts.stateList = QRectF(left, top, kStateColumnWidth, listHeight);
    parts.fileList = QRectF(left + kStateColumnWidth - kColumnOverlap, top,
                            width - kStateColumnWidth + kColumnOverlap, listHeight);
    for (int i = 0; i < kPlayListButtonCount; ++i)
        parts.buttons[i] = QRectF(left + kButtonLefts[i], bottom - kButtonTopAboveBottom, kButtonWidth, kButtonHeight);
    return parts;
}

void PlayListMovie::placeView()
{
    if (view_)
        view_->place(layout());
}

} // namespace zepo
