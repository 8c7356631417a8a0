#include "movies/MovieEnvironment.h"

#include "movies/LoadFlv_2.h"
#include "movies/flv_about.h"
#include "movies/searchFlvData.h"
#include "platform/ExecutablePath.h"

namespace zepo {

std::unique_ptr<Movie> createMovie(int controlId, MovieEnvironment& environment)
{
    const MovieSlot* slot = movieSlot(controlId);
    if (!slot)
        return nullptr;
    switch (controlId) {
    case 1000: return std::make_unique<PlayerMovie>(environment, *slot);
    case 1013: return std::make_unique<ProbeMovie>(environment, *slot);
    case 1012: return std::make_unique<AboutMovie>(environment.timers, *slot, desktopUrlOpener(),
                                                      installedDocuments(executablePath()));
    default: return nullptr;
    }
}

} // namespace zepo
