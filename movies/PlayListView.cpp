#include "movies/PlayListView.h"

#include "bridge/Movie.h"
#include "movies/PlayListIcons.h"
#include "platform/PathText.h"
#include "platform/VirtualKeys.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

namespace zepo {

namespace {
// The button captions, left to right: play, delete, up, down, save.
constexpr std::array<const char*, kPlayListButtonCount> kButtonCaptions{"再生", "消去", "上へ", "下へ", "保存"};

// Dark, like the stage behind it.
const char kStyle[] = R"(
QListWidget { background: #0c0c0c; color: #e6e6e6; border: none; outline: none; }
QListWidget::item { padding-left: 2px; }
QListWidget::item:selected { background: #2d527f; color: #ffffff; }
QScrollBar:vertical { background: #161616; width: 12px; margin: 0; }
QScrollBar::handle:vertical { background: #4a4a4a; min-height: 20px; border-radius: 4px; margin: 2px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
QLineEdit { background: #000000; color: #bdbdbd; border: none; padding: 0 2px; }
QFrame#playListPane { background: #1b1b1b; border-top: 1px solid #333333; }
QPushButton { background: #343434; color: #f0f0f0; border: 1px solid #575757; border-radius: 3px; padding: 0; }
QPushButton:hover { background: #454545; }
QPushButton:pressed { background: #222222; }
)";

QRect toWidgetRect(MovieHost& host, const QRectF& stageRect)
{
    return QRectF(host.stageToWidget(stageRect.topLeft()), host.stageToWidget(stageRect.bottomRight())).toRect();
}
} // namespace

PlayListColumn::PlayListColumn(QWidget* parent) : QListWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Scrolling by whole rows: the scroll bar's value is the first visible row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setAutoScroll(false);
    setTextElideMode(Qt::ElideRight);
    setStyleSheet(kStyle);
}

void PlayListColumn::scrollToFirstRow(int firstRow)
{
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(firstRow);
}

void PlayListColumn::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && onRowPressed)
        onRowPressed(index.row());
}

// The second press of a quick pair is a press like any other; the movie's own timing
// decides what a double click is.
void PlayListColumn::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void PlayListColumn::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void PlayListColumn::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void PlayListColumn::keyPressEvent(QKeyEvent* event)
{
    // Every key ends here, so none travels on to the control or the window a second
    // time; only the arrows mean something to the list.
    event->accept();
    const int key = virtualKeyFromQt(event->key());
    if ((key == vk::Up || key == vk::Down) && onArrowKey)
        onArrowKey(key);
}

PlayListView::PlayListView(MovieHost& host, PlayListMovie& movie)
    : host_(host),
      movie_(movie),
      stateIcons_{drawPlayStateIcon(playstate::Pending), drawPlayStateIcon(playstate::Playing),
                  drawPlayStateIcon(playstate::Done)}
{
    QWidget* control = host.widget();

    stateColumn_ = std::make_unique<PlayListColumn>(control);
    stateColumn_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stateColumn_->setSelectionMode(QAbstractItemView::NoSelection);
    stateColumn_->setFocusPolicy(Qt::NoFocus);
    stateColumn_->setIconSize(QSize(kPlayStateIconSize, kPlayStateIconSize));
    stateColumn_->onRowPressed = [this](int row) { movie_.clickStateRow(row); };

    fileColumn_ = std::make_unique<PlayListColumn>(control);
    fileColumn_->setSelectionMode(QAbstractItemView::SingleSelection);
    fileColumn_->onRowPressed = [this](int row) { movie_.clickFileRow(row); };
    fileColumn_->onArrowKey = [this](int key) { movie_.keyPress(key); };
    // Either column scrolled by the user (the wheel works on both) moves both.
    for (PlayListColumn* column : {stateColumn_.get(), fileColumn_.get()}) {
        QObject::connect(column->verticalScrollBar(), &QScrollBar::valueChanged, column, [this](int first) {
            if (!refreshing_)
                movie_.scrollFileColumn(first);
        });
    }

    pane_ = std::make_unique<QFrame>(control);
    pane_->setObjectName("playListPane");
    pane_->setStyleSheet(kStyle);
    for (int i = 0; i < kPlayListButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(kButtonCaptions[i]), pane_.get());
        // Clicking a button leaves the keyboard with the list, so Up and Down go on
        // moving the selection.
        button->setFocusPolicy(Qt::NoFocus);
        const auto which = static_cast<PlayListButton>(i);
        QObject::connect(button, &QPushButton::clicked, button, [this, which] { movie_.pressButton(which); });
        buttons_[i] = button;
    }

    selectedText_ = std::make_unique<QLineEdit>(control);
    selectedText_->setReadOnly(true);
    selectedText_->setFocusPolicy(Qt::NoFocus);
    selectedText_->setStyleSheet(kStyle);

    for (QWidget* part : {static_cast<QWidget*>(stateColumn_.get()), static_cast<QWidget*>(fileColumn_.get()),
                          static_cast<QWidget*>(pane_.get()), static_cast<QWidget*>(selectedText_.get())})
        part->show();
}

PlayListView::~PlayListView() = default;

void PlayListView::place(const PlayListLayout& layout)
{
    stateColumn_->setGeometry(toWidgetRect(host_, layout.stateList));
    fileColumn_->setGeometry(toWidgetRect(host_, layout.fileList));
    const QRect pane = toWidgetRect(host_, layout.pane);
    pane_->setGeometry(pane);
    for (int i = 0; i < kPlayListButtonCount; ++i)
        buttons_[i]->setGeometry(toWidgetRect(host_, layout.buttons[i]).translated(-pane.topLeft()));
    selectedText_->setGeometry(toWidgetRect(host_, layout.selectedText));
}

void PlayListView::refresh()
{
    refreshing_ = true;
    syncRows();

    const int selected = movie_.selectedRow();
    if (selected >= 0)
        fileColumn_->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    else
        fileColumn_->selectionModel()->clear();

    fileColumn_->scrollToFirstRow(movie_.firstVisibleRow());
    stateColumn_->scrollToFirstRow(movie_.firstVisibleRow());

    const QString path = toQt(movie_.selectedText());
    if (selectedText_->text() != path)
        selectedText_->setText(path);
    // Scrolled to its end: the file name is the part worth seeing.
    selectedText_->setCursorPosition(static_cast<int>(path.size()));
    refreshing_ = false;
}

void PlayListView::syncRows()
{
    const auto& entries = movie_.entries();
    const std::size_t count = entries.size();
    while (shownPaths_.size() > count) {
        delete fileColumn_->takeItem(fileColumn_->count() - 1);
        delete stateColumn_->takeItem(stateColumn_->count() - 1);
        shownPaths_.pop_back();
        shownStates_.pop_back();
    }
    const QSize rowSize(0, PlayListMovie::kRowHeight);
    while (shownPaths_.size() < count) {
        auto* file = new QListWidgetItem;
        file->setSizeHint(rowSize);
        fileColumn_->addItem(file);
        auto* state = new QListWidgetItem;
        state->setSizeHint(rowSize);
        stateColumn_->addItem(state);
        shownPaths_.emplace_back();
        shownStates_.push_back(-1); // no state: drawn below
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int row = static_cast<int>(i);
        if (shownPaths_[i] != entries[i].path) {
            QListWidgetItem* item = fileColumn_->item(row);
            item->setText(toQt(entries[i].label));
            item->setToolTip(toQt(entries[i].path));
            shownPaths_[i] = entries[i].path;
        }
        if (shownStates_[i] != entries[i].state) {
            const int state = entries[i].state;
            stateColumn_->item(row)->setIcon(stateIcons_[state >= 0 && state < 3 ? state : 0]);
            shownStates_[i] = entries[i].state;
        }
    }
}

} // namespace zepo
