#include "movies/MovieEnvironment.h"

#include "movies/LoadFlv_2.h"

namespace zepo {

std::unique_ptr<Movie> createMovie(int controlId, MovieEnvironment& environment)
{
    const MovieSlot* slot = movieSlot(controlId);
    if (!slot)
        return nullptr;
    switch (controlId) {
    case 1000: return std::make_unique<PlayerMovie>(environment, *slot);
    default: return nullptr;
    }
}

} // namespace zepo
