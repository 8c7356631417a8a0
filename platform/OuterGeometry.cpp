#include "platform/OuterGeometry.h"

#include "platform/FrameExtents.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace zepo {

namespace {

// How long after showing a window its frame may still arrive: window managers frame a
// new window within a few display frames even on a loaded machine.
constexpr int kFrameSettleMs = 3000;
// How often to look for the frame meanwhile: about once per display frame.
constexpr int kFramePollMs = 16;
constexpr char kPendingName[] = "zepo-outer-geometry-pending";

// Places the client so that client plus the frame known now make the outer rectangle.
// The client's own rectangle is given, so the system puts it exactly there whether it
// knows the frame yet or not.
void apply(QWidget& window, const QRect& outer)
{
    window.setGeometry(outer.marginsRemoved(frameExtents(window).value_or(QMargins())));
}

// Remembers the outer size a hidden window was given and, once the window is shown and
// its frame becomes known, places it again with that frame.
class PendingOuterGeometry : public QObject {
public:
    PendingOuterGeometry(QWidget& window, std::function<void()> settled)
        : QObject(&window), window_(window), settled_(std::move(settled))
    {
        setObjectName(kPendingName);
        window.installEventFilter(this);
    }

    void remember(const QSize& outer) { outer_ = outer; }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !poll_) {
            // Until the frame is known the window stands with its client where the frame
            // was asked to be: that is the place to keep.
            topLeft_ = window_.geometry().topLeft();
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
        if (done_ || !frameExtents(window_))
            return;
        apply(window_, QRect(topLeft_, outer_));
        finish();
        if (settled_)
            settled_();
    }

    void finish()
    {
        if (done_)
            return;
        done_ = true;
        window_.removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    std::function<void()> settled_;
    QSize outer_;
    QPoint topLeft_;
    QTimer* poll_ = nullptr;
    bool done_ = false;
};

} // namespace

void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled)
{
    apply(window, outer);
    if (window.isVisible() && frameExtents(window))
        return;
    auto* pending = window.findChild<QObject*>(kPendingName, Qt::FindDirectChildrenOnly);
    if (!pending)
        pending = new PendingOuterGeometry(window, std::move(settled));
    static_cast<PendingOuterGeometry*>(pending)->remember(outer.size());
}

void moveOuterTo(QWidget& window, const QPoint& topLeft)
{
    const QMargins frame = frameExtents(window).value_or(QMargins());
    window.setGeometry(QRect(topLeft + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace zepo
