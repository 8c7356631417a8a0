#include "movies/MovieEnvironment.h"

#include "movies/LoadFlv_2.h"
#include "movies/playList.h"

namespace zepo {

std::unique_ptr<Movie> createMovie(int controlId, MovieEnvironment& environment)
{
    const MovieSlot* slot = movieSlot(controlId);
    if (!slot)
        return nullptr;
    switch (controlId) {
    case 1000: return std::make_unique<PlayerMovie>(environment, *slot);
    case 1014: return std::make_unique<PlayListMovie>(environment.timers, *slot);
    default: return nullptr;
    }
}

} // namespace zepo
