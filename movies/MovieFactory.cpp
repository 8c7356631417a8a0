#include "movies/MovieEnvironment.h"

#include "movies/LoadFlv_2.h"
#include "movies/flv_about.h"
#include "movies/playList.h"
#include "movies/searchFlvData.h"
#include "platform/ExecutablePath.h"

namespace zepo {

std::unique_ptr<Movie> createMovie(int controlId, MovieEnvironment& environment)
{
    const MovieSlot* slot = movieSlot(controlId);
    if (!slot)
        return nullptr;
    switch (controlId) {
    case kPlayerMovieControl: return std::make_unique<PlayerMovie>(environment, *slot);
    case kProbeMovieControl: return std::make_unique<ProbeMovie>(environment, *slot);
    case kPlayListMovieControl: return std::make_unique<PlayListMovie>(environment.timers, *slot);
    case kAboutMovieControl:
        return std::make_unique<AboutMovie>(environment.timers, *slot, desktopUrlOpener(),
                                            aboutDocuments(executablePath()));
    default: return nullptr;
    }
}

} // namespace zepo
