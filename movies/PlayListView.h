#pragma once

#include "movies/playList.h"

#include <QAbstractScrollArea>
#include <QIcon>
#include <QScrollBar>
#include <array>
#include <functional>
#include <memory>

class QFrame;
class QLineEdit;
class QPushButton;

namespace zepo {

class MovieHost;

// One column of the playlist: rows of a fixed height, painted straight from the movie's
// entries, only those in view. It keeps nothing per row, so a list of a hundred thousand
// entries costs it nothing and every update costs the same. It reports presses (with the
// Ctrl and Shift keys) and the Up and Down keys, and selects and scrolls only as the
// movie tells it: the movie holds the selection and the scroll position.
class PlayListColumn : public QAbstractScrollArea {
public:
    using PaintRow = std::function<void(QPainter& painter, const QRect& rect, int row)>;
    PlayListColumn(QWidget* parent, PaintRow paintRow);

    std::function<void(int row, RowClick click)> onRowPressed;
    std::function<void(int virtualKey)> onArrowKey;
    // The tool tip for a row; none when unset.
    std::function<QString(int row)> toolTipFor;

    // Shows `rowCount` rows with `firstRow` at the top; the scroll bar ends at `lastFirstRow`.
    void showRows(int rowCount, int firstRow, int lastFirstRow);
    int rowCount() const { return rowCount_; }
    int firstRow() const { return verticalScrollBar()->value(); }
    // Where a row lies in the viewport (empty when out of view), and the row at a point
    // of the viewport (-1: none).
    QRect rowRect(int row) const;
    int rowAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    PaintRow paintRow_;
    int rowCount_ = 0;
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

    // The text a row of the file column shows (before it is elided to the column's width):
    // the entry's label on one line.
    QString rowText(int row) const;

private:
    void paintFileRow(QPainter& painter, const QRect& rect, int row) const;
    void paintStateRow(QPainter& painter, const QRect& rect, int row) const;

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
    // Set while refresh() moves the widgets, so their signals do not come back as input.
    bool refreshing_ = false;
};

} // namespace zepo
