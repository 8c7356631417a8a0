#include "platform/OuterGeometry.h"

#include "platform/FrameExtents.h"

#include <QEvent>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace zepo {

namespace {

// How long after showing a window its frame may still arrive, and sizes from before it
// was placed with that frame still be reported: window managers frame a new window
// within a few display frames even on a loaded machine.
constexpr int kFrameSettleMs = 3000;
// How often to look for the frame meanwhile: about once per display frame.
constexpr int kFramePollMs = 16;
constexpr char kPlacementName[] = "zepo-outer-geometry-placement";

// Puts a top-level window's client at a rectangle. The toolkit sends a move alone to the
// window system with the size the window system last reported, and on a busy machine
// that report can still be one from before the window's last resize (the window
// manager's answer to its own placement of the window arriving late): the whole
// rectangle goes out instead, so that the size asked for is the size the window keeps.
void placeClient(QWidget& window, const QRect& client)
{
    window.setGeometry(client);
    if (QWindow* native = window.windowHandle(); native && window.isVisible())
        native->setGeometry(client);
}

// Places the client so that client plus the frame known now make the outer rectangle,
// and returns that frame. The client's own rectangle is given, so the system puts it
// exactly there whether it knows the frame yet or not.
QMarginsF apply(QWidget& window, const QRect& outer)
{
    const QMarginsF frame = frameExtents(window).value_or(QMarginsF());
    placeClient(window, clientFromOuter(outer, frame));
    return frame;
}

// Remembers the outer size a window was given and, once the window is shown and its
// frame becomes known, places it again with that frame. Until the settling time is over,
// the window system may still report sizes from before that placement: `settled` runs
// again on each, so that a docked partner ends at the edge the window keeps, and a move
// meanwhile keeps the size given rather than one reported late.
class OuterPlacement : public QObject {
public:
    OuterPlacement(QWidget& window, std::function<void()> settled)
        : QObject(&window), window_(window), settled_(std::move(settled))
    {
        setObjectName(kPlacementName);
        window.installEventFilter(this);
    }

    // The outer size to keep, and the frame the client was placed with.
    void remember(const QSize& outer, const QMarginsF& frame)
    {
        outer_ = outer;
        placedWith_ = frame;
    }
    void moveTo(const QPoint& topLeft, const QMarginsF& frame)
    {
        topLeft_ = topLeft;
        placedWith_ = frame;
    }

    QSize outerSize() const { return outer_; }

    // Placed again with the frame, and only settling now.
    bool corrected() const { return corrected_; }

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
            topLeft_ = outerFromClient(window_.geometry(), placedWith_).topLeft();
            poll_ = new QTimer(this);
            QObject::connect(poll_, &QTimer::timeout, this, [this] { correct(); });
            poll_->start(kFramePollMs);
            QTimer::singleShot(0, this, [this] { correct(); });
            QTimer::singleShot(kFrameSettleMs, this, [this] { finish(); });
        }
        return false;
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

private:
    void correct()
    {
        if (corrected_ || done_ || !announcedFrameExtents(window_))
            return;
        corrected_ = true;
        poll_->stop();
        apply(window_, QRect(topLeft_, outer_));
        if (settled_)
            settled_();
    }

    QWidget& window_;
    std::function<void()> settled_;
    QSize outer_;
    QPoint topLeft_;
    QMarginsF placedWith_;
    QTimer* poll_ = nullptr;
    bool corrected_ = false;
    bool done_ = false;
};

// The outer rectangle a hidden window keeps (a QRect), on the window itself.
constexpr char kKeptOuterProperty[] = "zepoKeptOuterGeometry";

std::optional<QRect> keptOuter(const QWidget& window)
{
    if (window.isVisible())
        return std::nullopt;
    const QVariant kept = window.property(kKeptOuterProperty);
    return kept.isValid() ? std::optional<QRect>(kept.toRect()) : std::nullopt;
}

// The placement a window is waiting for or settling into, if any.
OuterPlacement* placementOf(const QWidget& window)
{
    return static_cast<OuterPlacement*>(window.findChild<QObject*>(kPlacementName, Qt::FindDirectChildrenOnly));
}

// A placement the window still waits to be corrected into.
OuterPlacement* pendingOf(const QWidget& window)
{
    OuterPlacement* placement = placementOf(window);
    return placement && !placement->corrected() ? placement : nullptr;
}

} // namespace

void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled)
{
    if (keptOuter(window))
        window.setProperty(kKeptOuterProperty, outer);
    // A new placement ends the one the window was settling into.
    if (OuterPlacement* settling = placementOf(window); settling && settling->corrected())
        settling->finish();
    OuterPlacement* pending = pendingOf(window);
    const QMarginsF frame = apply(window, outer);
    if (pending)
        pending->moveTo(outer.topLeft(), frame);
    if (window.isVisible() && announcedFrameExtents(window) && !pending)
        return;
    if (!pending)
        pending = new OuterPlacement(window, std::move(settled));
    pending->remember(outer.size(), frame);
}

void moveOuterTo(QWidget& window, const QPoint& topLeft)
{
    if (const std::optional<QRect> kept = keptOuter(window))
        window.setProperty(kKeptOuterProperty, QRect(topLeft, kept->size()));
    const QMarginsF frame = frameExtents(window).value_or(QMarginsF());
    QSize client = window.size();
    if (OuterPlacement* placement = placementOf(window)) {
        placement->moveTo(topLeft, frame);
        client = clientFromOuter(QRect(QPoint(), placement->outerSize()), frame).size();
    }
    placeClient(window, QRect(clientFromOuter(QRect(topLeft, client), frame).topLeft(), client));
}

std::optional<QRect> pendingOuterGeometry(const QWidget& window)
{
    const OuterPlacement* pending = pendingOf(window);
    return pending ? pending->target() : std::nullopt;
}

void keepOuterWhileHidden(QWidget& window)
{
    window.setProperty(kKeptOuterProperty, outerGeometry(window));
}

void placeKeptOuterForShow(QWidget& window)
{
    const std::optional<QRect> kept = keptOuter(window);
    window.setProperty(kKeptOuterProperty, QVariant());
    // Placed as a new window is: the window manager may still be letting the window go
    // when it shows again, and put it back where its frame was after this placement; the
    // placement is made again once the window is framed.
    if (kept)
        setOuterGeometry(window, *kept);
}

std::optional<QRect> keptOuterGeometry(const QWidget& window)
{
    return keptOuter(window);
}

} // namespace zepo
