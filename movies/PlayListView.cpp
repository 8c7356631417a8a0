#include "movies/PlayListView.h"

#include "bridge/Movie.h"
#include "movies/PlayListIcons.h"
#include "platform/PathText.h"
#include "platform/VirtualKeys.h"

#include <QFrame>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace zepo {

namespace {
// The button captions, left to right: play, delete, up, down, save.
constexpr std::array<const char*, kPlayListButtonCount> kButtonCaptions{"再生", "消去", "上へ", "下へ", "保存"};

// Dark, like the stage behind it.
const char kStyle[] = R"(
QAbstractScrollArea { background: #0c0c0c; border: none; }
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
// The rows' colours, as the style above has them.
const QColor kRowBackground(0x0c, 0x0c, 0x0c);
const QColor kRowText(0xe6, 0xe6, 0xe6);
const QColor kSelectedBackground(0x2d, 0x52, 0x7f);
const QColor kSelectedText(0xff, 0xff, 0xff);
// Space left of a file name, pixels.
constexpr int kTextIndent = 4;

QRect toWidgetRect(MovieHost& host, const QRectF& stageRect)
{
    return QRectF(host.stageToWidget(stageRect.topLeft()), host.stageToWidget(stageRect.bottomRight())).toRect();
}

RowClick rowClickFor(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        return RowClick::Extend;
    if (modifiers & Qt::ControlModifier)
        return RowClick::Toggle;
    return RowClick::Select;
}
} // namespace

PlayListColumn::PlayListColumn(QWidget* parent, PaintRow paintRow) : QAbstractScrollArea(parent), paintRow_(std::move(paintRow))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Whole rows: the scroll bar's value is the first visible row.
    verticalScrollBar()->setSingleStep(1);
    setStyleSheet(kStyle);
}

void PlayListColumn::showRows(int rowCount, int firstRow, int lastFirstRow)
{
    rowCount_ = rowCount;
    QScrollBar& bar = *verticalScrollBar();
    bar.setRange(0, std::max(0, lastFirstRow));
    bar.setPageStep(std::max(1, viewport()->height() / PlayListMovie::kRowHeight));
    bar.setValue(firstRow);
    viewport()->update();
}

QRect PlayListColumn::rowRect(int row) const
{
    const int top = (row - firstRow()) * PlayListMovie::kRowHeight;
    const QRect rect(0, top, viewport()->width(), PlayListMovie::kRowHeight);
    if (row < 0 || row >= rowCount_ || !rect.intersects(viewport()->rect()))
        return {};
    return rect;
}

int PlayListColumn::rowAt(const QPoint& point) const
{
    if (point.y() < 0 || !viewport()->rect().contains(point))
        return -1;
    const int row = firstRow() + point.y() / PlayListMovie::kRowHeight;
    return row < rowCount_ ? row : -1;
}

void PlayListColumn::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kRowBackground);
    const int first = firstRow();
    const int shown = viewport()->height() / PlayListMovie::kRowHeight + 1;
    for (int row = first; row < rowCount_ && row <= first + shown; ++row) {
        const QRect rect = rowRect(row);
        if (!rect.isEmpty() && rect.intersects(event->rect()))
            paintRow_(painter, rect, row);
    }
}

void PlayListColumn::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && onRowPressed)
        onRowPressed(row, rowClickFor(event->modifiers()));
}

// The second press of a quick pair is a press like any other; the movie's own timing
// decides what a double click is.
void PlayListColumn::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
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

bool PlayListColumn::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = rowAt(help->pos());
        if (row >= 0 && toolTipFor)
            QToolTip::showText(help->globalPos(), toolTipFor(row), viewport(), rowRect(row));
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

PlayListView::PlayListView(MovieHost& host, PlayListMovie& movie)
    : host_(host),
      movie_(movie),
      stateIcons_{drawPlayStateIcon(playstate::Pending), drawPlayStateIcon(playstate::Playing),
                  drawPlayStateIcon(playstate::Done)}
{
    QWidget* control = host.widget();

    stateColumn_ = std::make_unique<PlayListColumn>(
        control, [this](QPainter& painter, const QRect& rect, int row) { paintStateRow(painter, rect, row); });
    stateColumn_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stateColumn_->setFocusPolicy(Qt::NoFocus);
    stateColumn_->onRowPressed = [this](int row, RowClick) { movie_.clickStateRow(row); };

    fileColumn_ = std::make_unique<PlayListColumn>(
        control, [this](QPainter& painter, const QRect& rect, int row) { paintFileRow(painter, rect, row); });
    fileColumn_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    fileColumn_->setFocusPolicy(Qt::StrongFocus);
    fileColumn_->onRowPressed = [this](int row, RowClick click) { movie_.clickFileRow(row, click); };
    fileColumn_->onArrowKey = [this](int key) { movie_.keyPress(key); };
    fileColumn_->toolTipFor = [this](int row) { return toQt(movie_.entries()[row].path); };
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
    const int count = static_cast<int>(movie_.entries().size());
    for (PlayListColumn* column : {fileColumn_.get(), stateColumn_.get()})
        column->showRows(count, movie_.firstVisibleRow(), movie_.lastFirstVisibleRow());

    const QString path = toQt(movie_.selectedText());
    if (selectedText_->text() != path)
        selectedText_->setText(path);
    // Scrolled to its end: the file name is the part worth seeing.
    selectedText_->setCursorPosition(static_cast<int>(path.size()));
    refreshing_ = false;
}

void PlayListView::paintFileRow(QPainter& painter, const QRect& rect, int row) const
{
    const PlayListEntry& entry = movie_.entries()[row];
    if (entry.selected)
        painter.fillRect(rect, kSelectedBackground);
    painter.setPen(entry.selected ? kSelectedText : kRowText);
    const QRect text = rect.adjusted(kTextIndent, 0, -kTextIndent, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(rowText(row), Qt::ElideRight, text.width()));
}

QString PlayListView::rowText(int row) const
{
    return oneLineText(toQt(std::string(movie_.entries()[row].label())));
}

void PlayListView::paintStateRow(QPainter& painter, const QRect& rect, int row) const
{
    const playstate::PlayState state = movie_.entries()[row].state;
    const QRect icon(QPoint(0, 0), QSize(kPlayStateIconSize, kPlayStateIconSize));
    stateIcons_[state].paint(&painter, icon.translated(rect.center() - icon.center()));
}

} // namespace zepo
