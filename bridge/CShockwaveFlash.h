#pragma once

#include "bridge/Movie.h"

#include <QPointer>
#include <QRegion>
#include <QTransform>
#include <QWindow>
#include <QWidget>
#include <memory>
#include <string>

namespace zepo {

// The movie control: a widget that hosts one movie, maps its stage onto the widget
// (NoScale: stage size = widget size, centred; ShowAll: scaled to fit, centred), paints
// it, forwards pointer and keys in stage coordinates, and carries the bridge:
// SetVariable, GetVariable, TGotoLabel, Rewind, Forward and the FSCommand signal.
class CShockwaveFlash : public QWidget, private MovieHost {
    Q_OBJECT
public:
    explicit CShockwaveFlash(QWidget* parent = nullptr);
    ~CShockwaveFlash() override;

    // Takes the movie and runs its first frame from the event loop, once the window that
    // holds the control is set up (as a control loads its movie after the dialog's
    // initialisation).
    void loadMovie(std::unique_ptr<Movie> movie);
    Movie* movie() const { return movie_.get(); }

    void SetVariable(const std::string& name, const std::string& value);
    std::string GetVariable(const std::string& name) const;
    void TGotoLabel(const std::string& target, const std::string& label);
    void Rewind();
    void Forward();

    QTransform stageToWidgetTransform() const;

signals:
    void FSCommand(const std::string& command, const std::string& args);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repaintStage(const QRectF& stageRect) override;
    QWidget* widget() override { return this; }
    QPointF stageToWidget(const QPointF& stagePoint) const override;
    bool putImage(X11SharedMemory& memory, const X11SharedMemory::Image& image, const QRectF& stageRect,
                  std::function<void()> read) override;
    void watchExposure(QWindow* window);
    QPointF widgetToStage(const QPointF& widgetPoint) const;
    void updateStageSize();

    std::unique_ptr<Movie> movie_;
    // Where images were put past the toolkit (widget pixels): the toolkit's own copy of the
    // window there is older, so a repaint must come before the toolkit shows its copy
    // again. UI thread only.
    QRegion putPastToolkit_;
    QPointer<QWindow> watched_;  // the native window whose exposures are watched for that
};

} // namespace zepo
