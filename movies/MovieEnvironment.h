#pragma once

#include "bridge/Movie.h"
#include "platform/TimerService.h"
#include "stream/NetStream.h"

#include <memory>

namespace zepo {

// What the movie runtime gives every movie: its timers and the streams it plays.
struct MovieEnvironment {
    TimerService& timers;
    stream::StreamFactory streams;
};

// Makes the movie that a control slot carries (LoadFlv_2, searchFlvData, playList,
// flv_about); null for an id without a movie.
std::unique_ptr<Movie> createMovie(int controlId, MovieEnvironment& environment);

} // namespace zepo
