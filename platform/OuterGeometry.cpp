#include "platform/OuterGeometry.h"

#include "platform/FrameExtents.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace zepo {

namespace {

// How long after showing a window its frame may still arrive, and sizes from before it
// was placed with that frame still be reported: window managers frame a new window
// within a few display frames even on a loaded machine.
constexpr int kFrameSettleMs = 3000;
// How often to look for the frame meanwhile: about once per display frame.
constexpr int kFramePollMs = 16;
constexpr char kPendingName[] = "zepo-outer-geometry-pending";

// Places the client so that client plus the frame known now make the outer rectangle,
// and returns that frame. The client's own rectangle is given, so the system puts it
// exactly there whether it knows the frame yet or not.
QMargins apply(QWidget& window, const QRect& outer)
{
    const QMargins frame = frameExtents(window).value_or(QMargins());
    window.setGeometry(outer.marginsRemoved(frame));
    return frame;
}

// Remembers the outer size a hidden window was given and, once the window is shown and
// its frame becomes known, places it again with that frame. Until the settling time is
// over, the window system may still report sizes from before that placement: `settled`
// runs again on each, so that a docked partner ends at the edge the window keeps.
class PendingOuterGeometry : public QObject {
public:
    PendingOuterGeometry(QWidget& window, std::function<void()> settled)
        : QObject(&window), window_(window), settled_(std::move(settled))
    {
        setObjectName(kPendingName);
        window.installEventFilter(this);
    }

    // The outer size to keep, and the frame the client was placed with.
    void remember(const QSize& outer, const QMargins& frame)
    {
        outer_ = outer;
        placedWith_ = frame;
    }
    void moveTo(const QPoint& topLeft, const QMargins& frame)
    {
        topLeft_ = topLeft;
        placedWith_ = frame;
    }

    // The rectangle the window is to get, once it has been shown.
    std::optional<QRect> target() const
    {
        if (!poll_ || corrected_ || done_)
            return std::nullopt;
        return QRect(topLeft_, outer_);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && corrected_ && settled_) {
            settled_();
            return false;
        }
        if (event->type() == QEvent::Show && !poll_) {
            // Until the frame is announced the window stands with its client where the
            // frame known when it was placed (none, or the one it had before it was
            // hidden) puts it: the outer corner that makes is the place to keep.
            topLeft_ = window_.geometry().topLeft() - QPoint(placedWith_.left(), placedWith_.top());
            poll_ = new QTimer(this);
            QObject::connect(poll_, &QTimer::timeout, this, [this] { correct(); });
            poll_->start(kFramePollMs);
            QTimer::singleShot(0, this, [this] { correct(); });
            QTimer::singleShot(kFrameSettleMs, this, [this] { finish(); });
        }
        return false;
    }

private:
    void correct()
    {
        if (corrected_ || done_ || !announcedFrameExtents(window_))
            return;
        corrected_ = true;
        poll_->stop();
        // No longer the window's pending placement, though it watches until settled.
        setObjectName(QString());
        apply(window_, QRect(topLeft_, outer_));
        if (settled_)
            settled_();
    }

    void finish()
    {
        if (done_)
            return;
        done_ = true;
        setObjectName(QString());
        window_.removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    std::function<void()> settled_;
    QSize outer_;
    QPoint topLeft_;
    QMargins placedWith_;
    QTimer* poll_ = nullptr;
    bool corrected_ = false;
    bool done_ = false;
};

PendingOuterGeometry* pendingOf(const QWidget& window)
{
    return static_cast<PendingOuterGeometry*>(window.findChild<QObject*>(kPendingName, Qt::FindDirectChildrenOnly));
}

} // namespace

void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled)
{
    PendingOuterGeometry* pending = pendingOf(window);
    const QMargins frame = apply(window, outer);
    if (pending)
        pending->moveTo(outer.topLeft(), frame);
    if (window.isVisible() && announcedFrameExtents(window) && !pending)
        return;
    if (!pending)
        pending = new PendingOuterGeometry(window, std::move(settled));
    pending->remember(outer.size(), frame);
}

void moveOuterTo(QWidget& window, const QPoint& topLeft)
{
    const QMargins frame = frameExtents(window).value_or(QMargins());
    if (PendingOuterGeometry* pending = pendingOf(window))
        pending->moveTo(topLeft, frame);
    window.setGeometry(QRect(topLeft + QPoint(frame.left(), frame.top()), window.size()));
}

std::optional<QRect> pendingOuterGeometry(const QWidget& window)
{
    const PendingOuterGeometry* pending = pendingOf(window);
    return pending ? pending->target() : std::nullopt;
}

} // namespace zepo
