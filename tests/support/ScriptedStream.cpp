#include "tests/support/ScriptedStream.h"

#include "bridge/ActionScript.h"

#include <algorithm>

namespace zepo::test {

void ScriptedStream::play(const std::string& path)
{
    calls.push_back("play:" + path);
    lastPath = path;
    playing = true;
    paused = false;
    time_ = 0;
}

void ScriptedStream::close()
{
    calls.push_back("close");
    playing = false;
}

void ScriptedStream::seek(double seconds)
{
    calls.push_back("seek:" + as::formatNumber(seconds));
    double target = std::max(0.0, seconds);
    if (end_ >= 0 && target > end_ && seekPastEndStays_)
        return;
    if (end_ >= 0)
        target = std::min(target, end_);
    time_ = target;
}

void ScriptedStream::pause()
{
    calls.push_back("pause");
    paused = true;
}

void ScriptedStream::resume()
{
    calls.push_back("resume");
    paused = false;
}

void ScriptedStream::togglePause()
{
    calls.push_back("togglePause");
    paused = !paused;
}

stream::StreamFactory ScriptedStreams::factory()
{
    return [this] {
        auto stream = std::make_unique<ScriptedStream>();
        made_.push_back(stream.get());
        return std::unique_ptr<stream::NetStream>(std::move(stream));
    };
}

} // namespace zepo::test
