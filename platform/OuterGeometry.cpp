#include "platform/OuterGeometry.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace zepo {

namespace {

// The window manager may announce the frame a moment after the window appears; one
// late look catches that without visible delay.
constexpr int kFrameSettleMs = 100;
constexpr char kPendingName[] = "zepo-outer-geometry-pending";

QSize frameExtra(const QWidget& window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

// Sets the size so the outer size comes out right with the frame known now; returns the
// client size set.
QSize apply(QWidget& window, const QRect& outer)
{
    const QSize client = outer.size() - frameExtra(window);
    window.resize(client);
    window.move(outer.topLeft());
    return client;
}

// Remembers the outer size a hidden window was given, and corrects its client size and
// place once the window is shown and its real frame is known.
class PendingOuterSize : public QObject {
public:
    PendingOuterSize(QWidget& window, std::function<void()> settled)
        : QObject(&window), settled_(std::move(settled))
    {
        setObjectName(kPendingName);
        window.installEventFilter(this);
    }

    void remember(const QSize& outer, const QSize& client)
    {
        outer_ = outer;
        client_ = client;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        QPointer<QWidget> guard(window);
        // Until the frame is known the system may place the client, not the frame, at the
        // position asked for: remember it as it stood when the window was shown.
        const QRect wanted(window->pos(), outer_);
        const auto settle = [guard, wanted, client = client_, settled = settled_] {
            // Only while nobody has resized the window since.
            if (!guard || guard->size() != client || guard->frameGeometry() == wanted)
                return;
            apply(*guard, wanted);
            if (settled)
                settled();
        };
        QTimer::singleShot(0, window, settle);
        QTimer::singleShot(kFrameSettleMs, window, settle);
        window->removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    std::function<void()> settled_;
    QSize outer_;
    QSize client_;
};

} // namespace

void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled)
{
    const QSize client = apply(window, outer);
    if (window.isVisible())
        return;
    auto* pending = window.findChild<PendingOuterSize*>(kPendingName, Qt::FindDirectChildrenOnly);
    if (!pending)
        pending = new PendingOuterSize(window, std::move(settled));
    pending->remember(outer.size(), client);
}

} // namespace zepo
