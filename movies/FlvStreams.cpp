#include "movies/FlvStreams.h"

#include "stream/FlvNetStreamFactory.h"

namespace zepo {

stream::StreamFactory flvStreams(QtTimerService& uiThread)
{
    return [&uiThread] {
        return stream::createFlvNetStream([&uiThread](std::function<void()> call) { uiThread.post(std::move(call)); });
    };
}

} // namespace zepo
