#pragma once

#include "movies/playList.h"

#include <QIcon>
#include <QListWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QLineEdit;
class QPushButton;

namespace zepo {

class MovieHost;

// One column of the playlist: a list widget that shows rows and reports presses and the
// Up and Down keys, but selects and scrolls only as the movie tells it (the movie holds
// the selection and the scroll position; Qt's own click and key handling would disagree
// with the list's rules).
class PlayListColumn : public QListWidget {
public:
    explicit PlayListColumn(QWidget* parent);

    std::function<void(int row)> onRowPressed;
    std::function<void(int virtualKey)> onArrowKey;

    // Makes the scroll range match the rows now held, then shows `firstRow` at the top.
    void scrollToFirstRow(int firstRow);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows a PlayListMovie with real Qt widgets inside its control: the state column with
// its drawn icons, the file column, selected_txt and the button pane. The widgets are
// children of the control and live as long as this view.
class PlayListView {
public:
    PlayListView(MovieHost& host, PlayListMovie& movie);
    ~PlayListView();
    PlayListView(const PlayListView&) = delete;
    PlayListView& operator=(const PlayListView&) = delete;

    // Places the parts, given in stage coordinates.
    void place(const PlayListLayout& layout);
    // Brings rows, icons, selection, scroll position and selected_txt up to date.
    void refresh();

    PlayListColumn& fileColumn() { return *fileColumn_; }
    PlayListColumn& stateColumn() { return *stateColumn_; }
    QLineEdit& selectedText() { return *selectedText_; }
    QPushButton& button(PlayListButton which) { return *buttons_[static_cast<int>(which)]; }

private:
    void syncRows();

    MovieHost& host_;
    PlayListMovie& movie_;
    // The state column lies under the file column, which overlaps it.
    std::unique_ptr<PlayListColumn> stateColumn_;
    std::unique_ptr<PlayListColumn> fileColumn_;
    std::unique_ptr<QFrame> pane_;
    std::unique_ptr<QLineEdit> selectedText_;
    std::array<QPushButton*, kPlayListButtonCount> buttons_{}; // children of pane_
    // The icon of each play state, drawn once.
    std::array<QIcon, 3> stateIcons_;
    // What the columns show now, to touch only rows that changed (nothing yet: empty).
    std::vector<std::optional<std::string>> shownPaths_;
    std::vector<int> shownStates_;
    // Set while refresh() moves the widgets, so their signals do not come back as input.
    bool refreshing_ = false;
};

} // namespace zepo
