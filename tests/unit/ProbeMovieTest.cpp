#include "movies/FileLoading.h"
#include "movies/searchFlvData.h"
#include "platform/ManualClock.h"
#include "tests/support/AmfValues.h"
#include "tests/support/ScriptedStream.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace zepo {
namespace {

using stream::AmfValue;

// One movie command with the six result variables as the host reads them right then.
struct Report {
    std::string command;
    std::string dataFlag, sizeFlag, totalTimeFlag, width, height, duration;
    // "m_data_flag Size_flag TotalTime_flag m_width m_height m_duration", as one text.
    std::string results() const
    {
        return dataFlag + " " + sizeFlag + " " + totalTimeFlag + " " + width + " " + height + " " + duration;
    }
};

AmfValue metadata(std::vector<std::pair<std::string, AmfValue>> properties)
{
    return test::amfObject(std::move(properties));
}

AmfValue number(double value)
{
    return test::amfNumber(value);
}

class ProbeMovieTest : public ::testing::Test {
protected:
    ProbeMovieTest()
    {
        probe.setCommandSink(
            [this](const std::string& command, const std::string&) { reports.push_back(reportNow(command)); });
        probe.load();
    }

    // What the host does for each file: Rewind, "flv_file", Forward.
    void restart(const std::string& path)
    {
        probe.rewind();
        probe.setVariable("flv_file", path);
        probe.forward();
    }

    test::ScriptedStream& stream() { return *streams.latest(); }

    Report reportNow(const std::string& command) const
    {
        return {command,
                probe.getVariable("m_data_flag"),
                probe.getVariable("Size_flag"),
                probe.getVariable("TotalTime_flag"),
                probe.getVariable("m_width"),
                probe.getVariable("m_height"),
                probe.getVariable("m_duration")};
    }

    std::vector<std::string> commands() const
    {
        std::vector<std::string> out;
        for (const Report& r : reports)
            out.push_back(r.command);
        return out;
    }

    // Runs the clock until "allDone" or the limit; true when it came.
    bool runUntilAllDone(int limitMs = 10000)
    {
        for (int t = 0; t < limitMs; t += 50) {
            clock.advance(50);
            if (!reports.empty() && reports.back().command == "allDone")
                return true;
        }
        return false;
    }

    std::size_t seeks(const test::ScriptedStream& s) const
    {
        return std::count_if(s.calls.begin(), s.calls.end(),
                             [](const std::string& c) { return c.rfind("seek:", 0) == 0; });
    }

    ManualClock clock;
    test::ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
    ProbeMovie probe{environment, *movieSlot(kProbeMovieControl)};
    std::vector<Report> reports;
};

TEST_F(ProbeMovieTest, MetadataWithSizeAndDurationReportsBothAndClosesTheStream)
{
    restart("/v/100%25.flv");
    test::ScriptedStream& s = stream();
    EXPECT_EQ(s.calls.front(), "play:/v/100%25.flv");
    // The probe only measures: no sound, no picture.
    EXPECT_FALSE(s.audioAttached);
    EXPECT_EQ(s.videoSink, nullptr);
    EXPECT_EQ(s.bufferTime, 10);

    s.status(stream::kPlayStart);
    s.metaData(metadata({{"duration", number(12.5)}, {"width", number(640)}, {"height", number(360)}}));
    ASSERT_EQ(commands(), (std::vector<std::string>{"searchStart", "getSize", "allDone"}));
    EXPECT_EQ(reports[1].results(), "1 1 0 640 360 0") << "the size, and no length yet";
    EXPECT_EQ(reports[2].results(), "1 1 1 640 360 12.5");
    EXPECT_EQ(s.calls.back(), "close");

    // Metadata came before the first full buffer, so the search never starts.
    s.status(stream::kBufferFull);
    clock.advance(3000);
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(seeks(s), 0u);
}

TEST_F(ProbeMovieTest, SizeCountsOnlyWhenWidthAndHeightAreBothNumbersAboveZero)
{
    const std::vector<std::vector<std::pair<std::string, AmfValue>>> unusable = {
        {{"width", number(0)}, {"height", number(240)}},
        {{"width", number(320)}},
        // An audio-only file whose writer put empty objects where the numbers belong.
        {{"width", test::amfObject({})}, {"height", test::amfObject({})}},
        {{"width", test::amfString("640")}, {"height", number(480)}},
        {{"width", number(-4)}, {"height", number(3)}},
    };
    for (auto properties : unusable) {
        reports.clear();
        restart("/v/a.flv");
        stream().status(stream::kPlayStart);
        properties.emplace_back("duration", number(5));
        stream().metaData(metadata(properties));
        ASSERT_EQ(commands(), (std::vector<std::string>{"searchStart", "allDone"}));
        EXPECT_EQ(reports.back().results(), "1 0 1 320 240 5");
    }
}

TEST_F(ProbeMovieTest, MetadataWithDurationDuringTheSearchEndsIt)
{
    restart("/v/a.flv");
    test::ScriptedStream& s = stream();
    s.setEnd(40);
    s.status(stream::kPlayStart);
    s.status(stream::kBufferFull);
    clock.advance(100);
    ASSERT_EQ(commands(), (std::vector<std::string>{"searchStart", "getTotalTime", "getTotalTime"}));
    const std::size_t seeksBefore = seeks(s);

    s.metaData(metadata({{"duration", number(41.5)}}));
    ASSERT_EQ(reports.back().command, "allDone");
    EXPECT_EQ(reports.back().duration, "41.5");
    clock.advance(5000);
    EXPECT_EQ(reports.back().command, "allDone");
    EXPECT_EQ(seeks(s), seeksBefore);
}

TEST_F(ProbeMovieTest, WithoutMetadataTheSearchFindsTheLastPositionThatMoved)
{
    // Two stream behaviours past the end: the seek lands on the end, or it is refused.
    for (const bool refused : {false, true}) {
        reports.clear();
        restart("/v/nometa.flv");
        test::ScriptedStream& s = stream();
        // A length that no larger step reaches exactly: only the last, half-second step
        // finds 37.5 when seeks past the end are refused.
        s.setEnd(37.6);
        s.setSeekPastEndStays(refused);
        s.status(stream::kPlayStart);
        s.status(stream::kBufferFull);
        ASSERT_TRUE(runUntilAllDone()) << "refused=" << refused;
        EXPECT_EQ(s.calls[1], "seek:1024");

        double previous = -1;
        std::size_t totals = 0;
        for (std::size_t i = 1; i + 1 < reports.size(); ++i) {
            ASSERT_EQ(reports[i].command, "getTotalTime");
            const double value = std::stod(reports[i].duration);
            EXPECT_GE(value, previous);
            previous = value;
            ++totals;
        }
        EXPECT_GT(totals, 10u);
        // Landing on the end finds it exactly; halving steps of down to 0.5 s get within them.
        EXPECT_EQ(reports.back().results(), refused ? "0 0 1 320 240 37.5" : "0 0 1 320 240 37.6");
        EXPECT_EQ(s.calls.back(), "close");

        clock.advance(3000);
        EXPECT_EQ(reports.back().command, "allDone");
    }
}

TEST_F(ProbeMovieTest, AFileWhoseTimeNeverLeavesZeroStillEnds)
{
    restart("/v/header-only.flv");
    stream().setEnd(0);
    stream().status(stream::kPlayStart);
    stream().status(stream::kBufferFull);
    ASSERT_TRUE(runUntilAllDone());
    EXPECT_EQ(reports.back().duration, "0");
}

TEST_F(ProbeMovieTest, MetadataWithoutDurationLeavesTheLengthToTheSearch)
{
    // Before the first full buffer: the size is reported, the search runs at the full
    // buffer. During the search: the search goes on. A duration of 0 is no duration.
    for (const bool duringSearch : {false, true}) {
        reports.clear();
        restart("/v/minimal-meta.flv");
        test::ScriptedStream& s = stream();
        s.setEnd(31.066);
        s.status(stream::kPlayStart);
        const AmfValue meta = metadata({{"width", number(480)}, {"height", number(360)}, {"duration", number(0)}});
        if (duringSearch) {
            s.status(stream::kBufferFull);
            clock.advance(100);
            s.metaData(meta);
        } else {
            s.metaData(meta);
            clock.advance(1000);
            ASSERT_EQ(commands(), (std::vector<std::string>{"searchStart", "getSize"}));
            s.status(stream::kBufferFull);
        }
        ASSERT_TRUE(runUntilAllDone()) << "duringSearch=" << duringSearch;
        EXPECT_EQ(reports.back().results(), "1 1 1 480 360 31.066");
    }
}

TEST_F(ProbeMovieTest, ARestartBeforeTheFirstFileStartedMeasuresOnlyTheSecond)
{
    restart("/v/first.flv");
    test::ScriptedStream* first = &stream();
    // Not started yet: the load retry opens it again every 500 ms.
    clock.advance(1000);
    EXPECT_EQ(first->calls, (std::vector<std::string>{"play:/v/first.flv", "close", "play:/v/first.flv", "close",
                                                     "play:/v/first.flv"}));

    restart("/v/second.flv");
    test::ScriptedStream* second = &stream();
    ASSERT_NE(first, second);
    EXPECT_EQ(first->calls.back(), "close");
    const std::size_t firstCalls = first->calls.size();
    clock.advance(600);
    EXPECT_EQ(first->calls.size(), firstCalls);
    EXPECT_EQ(second->calls, (std::vector<std::string>{"play:/v/second.flv", "close", "play:/v/second.flv"}));

    // Once the stream starts, the retry ends.
    second->status(stream::kPlayStart);
    clock.advance(2000);
    EXPECT_EQ(second->calls.size(), 3u);
    EXPECT_EQ(commands(), (std::vector<std::string>{"searchStart"}));
}

// A file that never opens is given up on the player movie's schedule: opened again every
// half second until the player gives it up too, then closed and left alone, without a
// report, until the next restart.
TEST_F(ProbeMovieTest, AFileThatNeverOpensIsGivenUpWhenThePlayerGivesItUp)
{
    restart("/v/gone.flv");
    test::ScriptedStream& s = stream();
    clock.advance(kLoadGiveUpMs);
    const auto plays = std::count(s.calls.begin(), s.calls.end(), "play:/v/gone.flv");
    EXPECT_EQ(plays, kLoadGiveUpMs / kLoadRetryMs);
    EXPECT_EQ(s.calls.back(), "close");
    const std::size_t calls = s.calls.size();
    clock.advance(60000);
    EXPECT_EQ(s.calls.size(), calls);
    EXPECT_TRUE(reports.empty());

    restart("/v/back.flv");
    EXPECT_EQ(stream().calls, (std::vector<std::string>{"play:/v/back.flv"}));
}

TEST_F(ProbeMovieTest, ARestartResetsTheResults)
{
    restart("/v/a.flv");
    stream().status(stream::kPlayStart);
    stream().metaData(metadata({{"duration", number(9)}, {"width", number(640)}, {"height", number(480)}}));
    ASSERT_EQ(reports.back().results(), "1 1 1 640 480 9");
    probe.rewind();
    EXPECT_EQ(reportNow("").results(), "0 0 0 320 240 0");
    // Rewound, the probe waits: nothing is opened until Forward.
    EXPECT_TRUE(stream().calls.empty());
}

TEST_F(ProbeMovieTest, ForwardOpensOnceAndTheFaceButtonDoesTheSame)
{
    probe.rewind();
    probe.setVariable("flv_file", "/v/a.flv");
    probe.mousePress(QPointF(100, 50));
    probe.forward();
    EXPECT_EQ(stream().calls, (std::vector<std::string>{"play:/v/a.flv"}));
}

TEST(ProbeMovieWithoutStreams, RestartsAndTicksSafely)
{
    ManualClock clock;
    MovieEnvironment environment{clock, [] { return std::unique_ptr<stream::NetStream>(); }};
    ProbeMovie probe(environment, *movieSlot(kProbeMovieControl));
    int commands = 0;
    probe.setCommandSink([&](const std::string&, const std::string&) { ++commands; });
    probe.rewind();
    probe.setVariable("flv_file", "/v/a.flv");
    probe.forward();
    clock.advance(2000);
    EXPECT_EQ(commands, 0);
    EXPECT_EQ(probe.getVariable("m_width"), "320");
}

} // namespace
} // namespace zepo
