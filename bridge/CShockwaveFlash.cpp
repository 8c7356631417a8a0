#include "bridge/CShockwaveFlash.h"

#include "platform/VirtualKeys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace zepo {

CShockwaveFlash::CShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The movie paints every pixel of its stage; Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CShockwaveFlash::~CShockwaveFlash()
{
    // The movie may hold child widgets of ours: let it go while we still exist.
    movie_.reset();
}

void CShockwaveFlash::loadMovie(std::unique_ptr<Movie> movie)
{
    movie_ = std::move(movie);
    if (!movie_)
        return;
    movie_->setCommandSink([this](const std::string& command, const std::string& args) {
        emit FSCommand(command, args);
    });
    updateStageSize();
    movie_->setHost(this);
    QTimer::singleShot(0, this, [this] {
        if (movie_)
            movie_->load();
    });
}

void CShockwaveFlash::SetVariable(const std::string& name, const std::string& value)
{
    if (movie_)
        movie_->setVariable(name, value);
}

std::string CShockwaveFlash::GetVariable(const std::string& name) const
{
    return movie_ ? movie_->getVariable(name) : std::string();
}

void CShockwaveFlash::TGotoLabel(const std::string& target, const std::string& label)
{
    if (movie_)
        movie_->gotoLabel(target, label);
}

void CShockwaveFlash::Rewind()
{
    if (movie_)
        movie_->rewind();
}

void CShockwaveFlash::Forward()
{
    if (movie_)
        movie_->forward();
}

QTransform CShockwaveFlash::stageToWidgetTransform() const
{
    if (!movie_)
        return {};
    const QRectF visible = movie_->visibleStage();
    if (movie_->slot().scale == StageScale::ShowAll) {
        const double sx = width() / visible.width();
        const double sy = height() / visible.height();
        const double s = std::min(sx, sy);
        const double dx = (width() - visible.width() * s) / 2.0;
        const double dy = (height() - visible.height() * s) / 2.0;
        return QTransform(s, 0, 0, s, dx - visible.left() * s, dy - visible.top() * s);
    }
    return QTransform::fromTranslate(-visible.left(), -visible.top());
}

QPointF CShockwaveFlash::stageToWidget(const QPointF& stagePoint) const
{
    return stageToWidgetTransform().map(stagePoint);
}

QPointF CShockwaveFlash::widgetToStage(const QPointF& widgetPoint) const
{
    return stageToWidgetTransform().inverted().map(widgetPoint);
}

void CShockwaveFlash::repaintStage(const QRectF& stageRect)
{
    update(stageToWidgetTransform().mapRect(stageRect).toAlignedRect().adjusted(-1, -1, 1, 1));
}

bool CShockwaveFlash::putImage(X11SharedMemory& memory, const X11SharedMemory::Image& image, const QRectF& stageRect,
                               std::function<void()> read)
{
    QWidget* host = internalWinId() ? this : nativeParentWidget();
    QWindow* window = host ? host->windowHandle() : nullptr;
    if (!window || !window->isExposed() || !isVisible() || !updatesEnabled())
        return false;
    // Where paint() draws the picture, and only 1:1 there.
    const QRect target = stageToWidgetTransform().mapRect(stageRect).toRect();
    const double ratio = devicePixelRatioF();
    if (qRound(target.width() * ratio) != image.width || qRound(target.height() * ratio) != image.height)
        return false;
    // Child widgets over the picture are the toolkit's to paint.
    QRegion shown = QRegion(target) & rect();
    for (QObject* child : children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && w->isVisible() && w->geometry().intersects(target))
            return false;
    }
    const QTransform toImage = QTransform::fromTranslate(-target.left(), -target.top()) * QTransform::fromScale(ratio, ratio);
    const QPoint origin = (QPointF(mapTo(host, target.topLeft())) * ratio).toPoint();
    if (!memory.put(std::uint32_t(window->winId()), image, origin, toImage.map(shown), std::move(read)))
        return false;
    putPastToolkit_ += shown;
    watchExposure(window);
    return true;
}

// When the window server loses part of the window (another window moved off it), the
// toolkit shows its own copy of that part again, which holds an older picture where
// images were put past it: that part is repainted first.
void CShockwaveFlash::watchExposure(QWindow* window)
{
    if (watched_ == window)
        return;
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = window;
    window->installEventFilter(this);
}

bool CShockwaveFlash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watched_ && event->type() == QEvent::Expose && !putPastToolkit_.isEmpty()) {
        update(putPastToolkit_);
        putPastToolkit_ = QRegion();
    }
    return QWidget::eventFilter(watched, event);
}

void CShockwaveFlash::updateStageSize()
{
    if (movie_ && movie_->slot().scale == StageScale::NoScale)
        movie_->resizeStage(width(), height());
}

void CShockwaveFlash::paintEvent(QPaintEvent* event)
{
    putPastToolkit_ -= event->region();
    QPainter painter(this);
    QRegion background = event->region();
    if (movie_)
        background -= stageToWidgetTransform().mapRect(movie_->opaqueArea()).toRect();
    painter.setClipRegion(background);
    const std::uint32_t rgb = movie_ ? movie_->slot().background : 0;
    painter.fillRect(rect(), QColor::fromRgb(rgb));
    if (!movie_)
        return;
    painter.setClipRegion(event->region());
    painter.setTransform(stageToWidgetTransform());
    movie_->paint(painter);
}

void CShockwaveFlash::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateStageSize();
    update();
}

void CShockwaveFlash::mouseMoveEvent(QMouseEvent* event)
{
    if (movie_)
        movie_->mouseMove(widgetToStage(event->position()));
}

void CShockwaveFlash::mousePressEvent(QMouseEvent* event)
{
    if (movie_ && event->button() == Qt::LeftButton)
        movie_->mousePress(widgetToStage(event->position()));
}

void CShockwaveFlash::mouseReleaseEvent(QMouseEvent* event)
{
    if (movie_ && event->button() == Qt::LeftButton)
        movie_->mouseRelease(widgetToStage(event->position()));
}

void CShockwaveFlash::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (movie_)
        movie_->mouseLeave();
}

void CShockwaveFlash::keyPressEvent(QKeyEvent* event)
{
    const int key = virtualKeyFromQt(event->key());
    if (movie_ && key != 0)
        movie_->keyPress(key);
    else
        QWidget::keyPressEvent(event);
}

} // namespace zepo
