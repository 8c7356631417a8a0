#include "bridge/ActionScript.h"
#include "bridge/Movie.h"
#include "platform/ManualClock.h"

#include <cmath>
#include <memory>
#include <gtest/gtest.h>

namespace zepo {
namespace {

class ProbeLikeMovie : public Movie {
public:
    using Movie::Movie;
    using Movie::playFrames;
    int frames = 0;
    std::vector<std::string> labels;

protected:
    void onLoad() override
    {
        defineLabel("sendFlv", [this] { labels.push_back("sendFlv:" + text("flv_file")); });
    }
    void onEnterFrame() override { ++frames; }
};

const MovieSlot kPlayerSlot = *movieSlot(1000);

TEST(ActionScriptNumbers, FormatsAsTheRuntimePrintsThem)
{
    EXPECT_EQ(as::formatNumber(320), "320");
    EXPECT_EQ(as::formatNumber(68.5), "68.5");
    EXPECT_EQ(as::formatNumber(-4), "-4");
    EXPECT_EQ(as::formatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(as::formatNumber(std::nan("")), "NaN");
    EXPECT_EQ(as::formatNumber(1e21), "1e+21");
}

TEST(ActionScriptNumbers, ConvertsOnlyWholeNumbers)
{
    EXPECT_EQ(as::toNumber(" 16 "), 16);
    EXPECT_EQ(as::toNumber("-4"), -4);
    EXPECT_EQ(as::toNumber("0x10"), 16);
    EXPECT_TRUE(std::isnan(as::toNumber("abc")));
    EXPECT_TRUE(std::isnan(as::toNumber("16:9")));
    EXPECT_TRUE(std::isnan(as::toNumber("")));
    EXPECT_TRUE(std::isnan(as::toNumber("inf")));
}

TEST(MovieVariables, RootAndClipPathsAndUnsetVariables)
{
    ManualClock clock;
    ProbeLikeMovie movie(clock, kPlayerSlot);
    movie.setVariable("m_width", "352");
    EXPECT_EQ(movie.getVariable("_root.m_width"), "352");
    movie.setVariable("_root.fix_flag", "1");
    EXPECT_EQ(movie.getVariable("fix_flag"), "1");
    movie.setVariable("FromMFC_mc.flv_path", "/a.flv");
    EXPECT_EQ(movie.getVariable("flv_path"), "");
    EXPECT_EQ(movie.getVariable("FromMFC_mc.flv_path"), "/a.flv");
    EXPECT_EQ(movie.getVariable("never_set"), "");
}

TEST(MovieCommandClip, OnlyFromMfcClipAndKnownLabelsAct)
{
    ManualClock clock;
    ProbeLikeMovie movie(clock, kPlayerSlot);
    movie.load();
    movie.setVariable("flv_file", "/v/100%25.flv");
    movie.gotoLabel("FromMFC_mc", "sendFlv");
    movie.gotoLabel("OtherClip", "sendFlv");
    movie.gotoLabel("FromMFC_mc", "SendFlv");
    movie.gotoLabel("FromMFC_mc", "noSuchLabel");
    ASSERT_EQ(movie.labels.size(), 1u);
    EXPECT_EQ(movie.labels[0], "sendFlv:/v/100%25.flv");
}

TEST(MovieFrames, TickAtTheSlotsFrameRateUntilTheMovieGoes)
{
    ManualClock clock;
    auto movie = std::make_unique<ProbeLikeMovie>(clock, kPlayerSlot);
    movie->load();
    movie->playFrames();
    movie->playFrames();
    clock.advance(1000);
    // 30 fps: a frame every 33 ms, however often the frames are started.
    EXPECT_EQ(movie->frames, 30);
    ProbeLikeMovie list(clock, *movieSlot(1014));
    list.load();
    list.playFrames();
    movie.reset();
    clock.advance(1000);
    // 60 fps: a frame every 17 ms; the movie that went ticks no more.
    EXPECT_EQ(list.frames, 58);
}

TEST(MovieStage, NoScaleStageIsCentredOnTheAuthoringCentre)
{
    ManualClock clock;
    ProbeLikeMovie movie(clock, kPlayerSlot);
    movie.resizeStage(320, 200);
    EXPECT_EQ(movie.visibleStage(), QRectF(160, 140, 320, 200));
    ProbeLikeMovie probe(clock, *movieSlot(1013));
    EXPECT_EQ(probe.visibleStage(), QRectF(0, 0, 200, 100));
}

TEST(ManualClockTimers, DueTicksRunInOrderAndStoppedTimersNever)
{
    ManualClock clock;
    std::vector<std::string> order;
    TimerService::TimerId b = 0;
    clock.startTimer(50, [&] { order.push_back("a"); });
    b = clock.startTimer(20, [&] {
        order.push_back("b");
        clock.stopTimer(b);
    });
    clock.advance(100);
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "a"}));
    EXPECT_EQ(clock.nowMs(), 100);
}

} // namespace
} // namespace zepo
