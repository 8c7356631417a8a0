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

QSize frameExtra(const QWidget& window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

void apply(QWidget& window, const QRect& outer)
{
    window.resize(outer.size() - frameExtra(window));
    window.move(outer.topLeft());
}

// On the first showing, turns the rectangle the window was given while its frame counted
// as zero (client size = outer size) into the same outer rectangle with the real frame.
class ApplyOnShow : public QObject {
public:
    static constexpr char kName[] = "zepo-apply-outer-geometry-on-show";
    ApplyOnShow(QObject* parent, std::function<void()> settled)
        : QObject(parent), settled_(std::move(settled))
    {
        setObjectName(kName);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const QRect outer(window->pos(), window->size());
        QPointer<QWidget> guard(window);
        const auto settle = [guard, outer, settled = settled_] {
            // Only while nobody has resized the window since; it keeps its current place.
            if (guard && guard->size() == outer.size() && guard->frameGeometry().size() != outer.size()) {
                apply(*guard, QRect(guard->pos(), outer.size()));
                if (settled)
                    settled();
            }
        };
        // The frame is known right after the window appears, or a moment later.
        QTimer::singleShot(0, window, settle);
        QTimer::singleShot(kFrameSettleMs, window, settle);
        window->removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    std::function<void()> settled_;
};

} // namespace

void setOuterGeometry(QWidget& window, const QRect& outer, std::function<void()> settled)
{
    apply(window, outer);
    if (!window.isVisible() && !window.findChild<QObject*>(ApplyOnShow::kName, Qt::FindDirectChildrenOnly))
        window.installEventFilter(new ApplyOnShow(&window, std::move(settled)));
}

} // namespace zepo
