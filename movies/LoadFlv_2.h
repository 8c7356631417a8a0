#pragma once

#include "bridge/Movie.h"
#include "movies/MovieEnvironment.h"

namespace zepo {

// The player movie (control 1000): the video, its transport and layout, and the control
// panel.
class PlayerMovie : public Movie {
public:
    PlayerMovie(MovieEnvironment& environment, const MovieSlot& slot);
    ~PlayerMovie() override;

    void paint(QPainter& painter) override;

    // Height of the drawn control panel in stage pixels.
    static constexpr double kPanelHeight = 48;

protected:
    void onLoad() override;

private:
    MovieEnvironment& environment_;
    bool logoVisible_ = true;
};

} // namespace zepo
