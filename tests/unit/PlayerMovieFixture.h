#pragma once

#include "bridge/ActionScript.h"
#include "movies/LoadFlv_2.h"
#include "platform/ManualClock.h"
#include "tests/support/ScriptedStream.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zepo::test {

// The player movie on the manual clock with a scripted stream, on a 320 x 245 stage
// (the default player window's client area), recording the movie commands it sends.
class PlayerMovieTest : public ::testing::Test {
protected:
    static constexpr int kFrameMs = 33;

    PlayerMovieTest()
    {
        movie.setCommandSink([this](const std::string& command, const std::string& args) {
            commands.push_back(args.empty() ? command : command + ":" + args);
        });
        movie.resizeStage(320, 245);
        movie.load();
        stream = streams.latest();
    }

    void label(const std::string& name) { movie.gotoLabel("FromMFC_mc", name); }
    std::string var(const std::string& name) const { return movie.getVariable(name); }
    void set(const std::string& name, const std::string& value) { movie.setVariable(name, value); }
    void frames(int count) { clock.advance(static_cast<std::int64_t>(count) * kFrameMs); }

    void open(const std::string& path = "/v/a.flv")
    {
        set("flv_file", path);
        label("sendFlv");
    }
    // A file that has started playing and filled its buffer.
    void startPlaying(const std::string& path = "/v/a.flv")
    {
        open(path);
        stream->status(stream::kPlayStart);
        stream->status(stream::kBufferFull);
        commands.clear();
        stream->calls.clear();
    }
    // What the probe's final measurement leaves in the movie.
    void lengthFinal(double seconds)
    {
        set("TotalTime_flag", "1");
        set("m_duration", as::formatNumber(seconds));
        label("allDone");
    }
    // A button's look by its frame label.
    std::string look(PanelButton button) const
    {
        switch (movie.panel().frame(button)) {
        case ButtonFrame::Out: return "out";
        case ButtonFrame::Over: return "over";
        case ButtonFrame::Off: return "off";
        case ButtonFrame::OutOff: return "out_off";
        case ButtonFrame::OverOff: return "over_off";
        case ButtonFrame::OutOn: return "out_on";
        case ButtonFrame::OverOn: return "over_on";
        }
        return "";
    }
    // A stage point on the middle of a panel button.
    QPointF on(PanelButton button) const { return movie.panel().buttonRect(button).center(); }
    QPointF aboveThePanel() const { return {320, movie.panel().area().top() - 30}; }

    ManualClock clock;
    ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
    PlayerMovie movie{environment, *movieSlot(1000)};
    ScriptedStream* stream = nullptr;
    std::vector<std::string> commands;
};

} // namespace zepo::test
