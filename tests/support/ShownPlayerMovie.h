#pragma once

#include "bridge/CShockwaveFlash.h"
#include "movies/LoadFlv_2.h"
#include "movies/MovieEnvironment.h"
#include "res/MovieSlots.h"

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

namespace zepo::test {

// The real player movie in its control at the default player window's client size
// (320 x 245), shown, with the movie commands it sends written down. The environment
// decides its time and its streams: a manual clock and scripted streams, or real ones.
// A fixture holds the environment in a base listed before this one, so that the
// environment is made before the movie and outlives it.
class ShownPlayerMovie {
public:
    explicit ShownPlayerMovie(MovieEnvironment& environment)
    {
        QObject::connect(&control, &CShockwaveFlash::FSCommand, &control,
                         [this](const std::string& command, const std::string&) { commands.push_back(command); });
        control.resize(320, 245);
        control.loadMovie(createMovie(kPlayerMovieControl, environment));
        control.show();
        exposed = QTest::qWaitForWindowExposed(&control);
        QApplication::processEvents();  // the movie's first frame runs from the event loop
        movie = dynamic_cast<PlayerMovie*>(control.movie());
    }

    QPoint toWidget(const QPointF& stagePoint) const
    {
        return control.stageToWidgetTransform().map(stagePoint).toPoint();
    }
    // The middle of a panel button, in the control's coordinates.
    QPoint button(PanelButton b) const { return toWidget(movie->panel().buttonRect(b).center()); }

    CShockwaveFlash control;
    PlayerMovie* movie = nullptr;
    std::vector<std::string> commands;
    bool exposed = false;
};

} // namespace zepo::test
