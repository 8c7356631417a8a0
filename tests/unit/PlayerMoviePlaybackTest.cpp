#include "tests/support/Pictures.h"
#include "tests/unit/PlayerMovieFixture.h"

#include <QPainter>

namespace zepo::test {
namespace {

using Playback = PlayerMovieTest;

TEST_F(Playback, StartsReadyForAFileAndSaysOkWithThePanelHeight)
{
    // The host hears "ok" with the panel height and reads it back; what closing the window
    // reads now is an unfixed panel and the full volume.
    EXPECT_EQ(commands, std::vector<std::string>{"ok:40"});
    EXPECT_EQ(var("c_height"), "40");
    EXPECT_EQ(movie.panel().area().height(), 40);
    EXPECT_EQ(var("_root.fix_flag"), "0");
    EXPECT_EQ(var("_root.vol_mfc"), "100");
    EXPECT_EQ(movie.volume(), 100);
    // The aspect dialog would open on 320 : 240, and the picture is laid out for it
    // unstretched, filling the stage's width.
    EXPECT_EQ(var("m_width") + ":" + var("m_height"), "320:240");
    EXPECT_EQ(movie.videoArea().size(), QSizeF(320, 240));
    // No file: nothing plays, no length is shown, the transport stays off, repeat is off.
    EXPECT_EQ(movie.panel().totalText(), "/--:--");
    for (const char* command : {"play", "pause", "stop", "back", "forward"})
        label(command);
    EXPECT_EQ(look(PanelButton::Start) + " " + look(PanelButton::Stop) + " " + look(PanelButton::Pause),
              "off off off");
    EXPECT_EQ(look(PanelButton::Repeat), "out_off");
    EXPECT_EQ(commands, std::vector<std::string>{"ok:40"});
    // The stream is set up to play with sound and picture, ten seconds ahead.
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->bufferTime, 10);
    EXPECT_TRUE(stream->audioAttached);
    EXPECT_NE(stream->videoSink, nullptr);
    EXPECT_EQ(stream->volume, 100);
    EXPECT_TRUE(stream->calls.empty()) << "nothing plays before a file is sent";
}

TEST(PlayerMovieStartUp, AStageOfNoWidthHidesTheMovieAndSaysNothing)
{
    ManualClock clock;
    ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
    PlayerMovie movie(environment, *movieSlot(kPlayerMovieControl));
    std::vector<std::string> commands;
    movie.setCommandSink([&](const std::string& c, const std::string&) { commands.push_back(c); });
    movie.resizeStage(0, 245);
    movie.load();
    EXPECT_FALSE(movie.movieVisible());
    EXPECT_TRUE(commands.empty());
    movie.resizeStage(320, 245);
    EXPECT_FALSE(movie.movieVisible());
}

TEST(PlayerMovieStartUp, WithoutAStreamFilesNeverStartAndNothingBreaks)
{
    ManualClock clock;
    MovieEnvironment environment{clock, [] { return std::unique_ptr<stream::NetStream>(); }};
    PlayerMovie movie(environment, *movieSlot(kPlayerMovieControl));
    movie.resizeStage(320, 245);
    movie.load();
    movie.setVariable("flv_file", "/v/a.flv");
    for (const char* name : {"sendFlv", "play", "stop", "pause", "back", "forward", "repeat", "volUp", "allDone"})
        movie.gotoLabel(kCommandClip, name);
    movie.mouseMove(movie.panel().buttonRect(PanelButton::Start).center());
    movie.mousePress(movie.panel().buttonRect(PanelButton::Stop).center());
    clock.advance(2000);
    EXPECT_EQ(movie.getVariable("file_flag"), "0");
    EXPECT_EQ(movie.getVariable("repeat_flag"), "1");
    EXPECT_EQ(movie.volume(), 100);
    EXPECT_EQ(movie.panel().timeText(), "00:00");
}

TEST_F(Playback, SendFlvResetsAndPlaysThenRetriesEvery500msUntilTheStreamStarts)
{
    startPlaying("/v/first.flv");
    set("repeat_flag", "1");
    set("m_width", "640");
    lengthFinal(30);
    open("/v/100%25.flv");
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"close", "play:/v/100%25.flv"}));
    EXPECT_EQ(var("file_flag"), "0");
    EXPECT_EQ(var("TotalTime_flag"), "0");
    EXPECT_EQ(var("m_duration"), "0");
    EXPECT_EQ(var("m_width"), "320");
    EXPECT_EQ(var("repeat_flag"), "1") << "repeat survives a new file";
    EXPECT_EQ(movie.panel().totalText(), "/--:--");

    stream->calls.clear();
    clock.advance(499);
    EXPECT_TRUE(stream->calls.empty());
    clock.advance(1);
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"close", "play:/v/100%25.flv"}));
    clock.advance(500);
    EXPECT_EQ(stream->calls.size(), 4u);

    stream->status(stream::kPlayStart);
    stream->calls.clear();
    clock.advance(5000);
    EXPECT_TRUE(stream->calls.empty()) << "the retry stops once the stream has started";
    EXPECT_EQ(var("file_flag"), "1");
}

TEST_F(Playback, AFileThatWillNotOpenIsGivenUpAfterFiveSecondsToldAndTheListGoesOn)
{
    // Repeat on: repeating a file that does not open would only retry it for ever.
    label("repeat");
    open("/v/100%25.flv");
    commands.clear();
    clock.advance(4999);
    EXPECT_TRUE(commands.empty());
    stream->calls.clear();
    clock.advance(1);
    EXPECT_EQ(commands, (std::vector<std::string>{"gotoNextFlv", "msg:ファイル取得失敗 ：\n/v/100%.flv"}));
    EXPECT_EQ(stream->calls, std::vector<std::string>{"close"});
    EXPECT_EQ(var("stop_flag"), "1");
    stream->calls.clear();
    clock.advance(5000);
    EXPECT_TRUE(stream->calls.empty()) << "a file given up is not opened again";
    EXPECT_EQ(commands.size(), 2u);
}

TEST_F(Playback, TheWaitCountsFromTheLatestFileAndEndsWhenItsStreamStarts)
{
    open("/v/a.flv");
    clock.advance(3000);
    open("/v/b.flv");
    clock.advance(4500);
    stream->status(stream::kPlayStart);
    clock.advance(10000);
    EXPECT_EQ(commands, std::vector<std::string>{"ok:40"});
}

TEST_F(Playback, TheBoxNamesTheFileGivenUpWhenTheHostOpensTheNextOneMeanwhile)
{
    std::vector<std::string> told;
    movie.setCommandSink([&](const std::string& command, const std::string& args) {
        if (command == "gotoNextFlv")
            open(told.empty() ? "/v/c.flv" : "/v/d.flv");
        else if (command == "msg")
            told.push_back(args);
    });
    open("/v/b.flv");
    clock.advance(5000);
    EXPECT_EQ(told, std::vector<std::string>{"ファイル取得失敗 ：\n/v/b.flv"});
    EXPECT_EQ(stream->lastPath, "/v/c.flv");
    // The next file gets its own five seconds.
    clock.advance(4999);
    EXPECT_EQ(told.size(), 1u);
    clock.advance(1);
    EXPECT_EQ(told.back(), "ファイル取得失敗 ：\n/v/c.flv");
    EXPECT_EQ(stream->lastPath, "/v/d.flv");
}

TEST_F(Playback, TheLogoGoesForGoodWhenTheFirstStreamStarts)
{
    EXPECT_TRUE(movie.logoVisible());
    open();
    EXPECT_TRUE(movie.logoVisible());
    stream->status(stream::kPlayStart);
    EXPECT_FALSE(movie.logoVisible());
    open("/v/b.flv");
    EXPECT_FALSE(movie.logoVisible());
}

TEST_F(Playback, TransportCommandsKeepToTheStatesThatAllowThem)
{
    // Before any stream has started every transport command is ignored.
    open();
    stream->calls.clear();
    commands.clear();
    for (const char* name : {"play", "stop", "pause", "back", "forward"})
        label(name);
    EXPECT_TRUE(stream->calls.empty());
    EXPECT_TRUE(commands.empty());

    stream->status(stream::kPlayStart);
    stream->setTime(12);
    label("play");  // playing already: nothing
    label("back");
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:7"}));
    stream->setTime(3);
    label("back");
    EXPECT_EQ(stream->calls.back(), "seek:0");

    stream->calls.clear();
    label("pause");
    EXPECT_EQ(var("pause_flag"), "1");
    label("play");  // pause toggles; play does not leave it
    EXPECT_EQ(var("pause_flag"), "1");
    label("pause");
    EXPECT_EQ(var("pause_flag"), "0");
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"togglePause", "togglePause"}));

    stream->calls.clear();
    label("pause");
    label("stop");
    EXPECT_EQ(var("stop_flag"), "1");
    EXPECT_EQ(var("pause_flag"), "0");
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"togglePause", "seek:0", "pause"}));
    EXPECT_EQ(commands, std::vector<std::string>{"stopPlay"});

    stream->calls.clear();
    for (const char* name : {"pause", "back", "forward", "stop"})
        label(name);
    EXPECT_TRUE(stream->calls.empty()) << "a stopped file only plays";

    label("play");
    EXPECT_EQ(var("stop_flag"), "0");
    EXPECT_EQ(stream->calls, std::vector<std::string>{"resume"});
    EXPECT_EQ(commands, (std::vector<std::string>{"stopPlay", "startPlay"}));
}

TEST_F(Playback, ButtonsFollowTheStateTable)
{
    using B = PanelButton;
    const auto looks = [this] {
        return look(B::Start) + " " + look(B::Stop) + " " + look(B::Back) + " " + look(B::Forward) + " "
            + look(B::Pause);
    };
    EXPECT_EQ(looks(), "off off off off off");
    open();
    stream->status(stream::kPlayStart);
    EXPECT_EQ(looks(), "off off off off off") << "the buttons are redrawn when the buffer is full";
    stream->status(stream::kBufferFull);
    EXPECT_EQ(looks(), "off out out out out_off");
    label("pause");
    EXPECT_EQ(looks(), "off out out out out_on");
    label("stop");
    EXPECT_EQ(looks(), "out off off off off");

    EXPECT_EQ(look(B::Repeat), "out_off");
    label("repeat");
    EXPECT_EQ(look(B::Repeat), "out_on");

    // The pointer on a button shows its "over" look.
    movie.mouseMove(on(B::Start));
    EXPECT_EQ(look(B::Start), "over");
    movie.mouseMove(on(B::Repeat));
    EXPECT_EQ(look(B::Start), "out");
    EXPECT_EQ(look(B::Repeat), "over_on");
    label("play");
    movie.mouseMove(on(B::Pause));
    EXPECT_EQ(look(B::Pause), "over_off");
    movie.mouseLeave();
    EXPECT_EQ(look(B::Pause), "out_off");
}

TEST_F(Playback, ForwardNearTheEndMovesOnOnlyOnceTheLengthIsFinal)
{
    startPlaying();
    set("m_duration", "20");  // provisional, from the duration search
    stream->setTime(16);
    label("forward");
    EXPECT_TRUE(stream->calls.empty());
    EXPECT_TRUE(commands.empty());

    stream->setTime(10);
    label("forward");
    EXPECT_EQ(stream->calls, std::vector<std::string>{"seek:15"});

    lengthFinal(20);
    stream->calls.clear();
    stream->setTime(16);
    label("forward");
    EXPECT_EQ(commands, std::vector<std::string>{"gotoNextFlv"});
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:0", "pause"}));
    EXPECT_EQ(var("stop_flag"), "1");

    // With repeat on the same file starts over instead.
    label("play");
    label("repeat");
    commands.clear();
    stream->calls.clear();
    stream->setTime(18);
    label("forward");
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:0", "pause", "resume"}));
    EXPECT_EQ(var("stop_flag"), "0");
}

TEST_F(Playback, TheStreamsStopStatusEndsTheFile)
{
    startPlaying();
    stream->status(stream::kPlayStop);
    EXPECT_EQ(commands, std::vector<std::string>{"gotoNextFlv"});
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:0", "pause"}));
    EXPECT_EQ(var("stop_flag"), "1");
    EXPECT_EQ(look(PanelButton::Start), "out");
}

TEST_F(Playback, TheLastSecondStartsTheEndWatchWhichEndsOnceTimeStandsStill)
{
    startPlaying();
    lengthFinal(20);
    stream->setTime(18.9);
    frames(1);
    EXPECT_EQ(var("end_flag"), "0");
    stream->setTime(19.2);
    frames(1);
    EXPECT_EQ(var("end_flag"), "1");
    EXPECT_EQ(var("checkEnd_flag"), "1");

    // Time moving on keeps the file playing.
    for (double t = 19.3; t < 20; t += 0.2) {
        stream->setTime(t);
        clock.advance(250);
    }
    EXPECT_TRUE(commands.empty());
    // Time standing still across one 500 ms interval is the end.
    stream->setTime(20);
    clock.advance(1000);
    EXPECT_EQ(commands, std::vector<std::string>{"gotoNextFlv"});
    EXPECT_EQ(var("checkEnd_flag"), "0");
    EXPECT_EQ(var("stop_flag"), "1");
}

TEST_F(Playback, PlayingPastTheMeasuredLengthRaisesIt)
{
    startPlaying();
    lengthFinal(20);
    stream->setTime(21.5);
    frames(1);
    EXPECT_EQ(var("m_duration"), "21.5");
    EXPECT_EQ(movie.panel().totalText(), "/00:21");
}

TEST_F(Playback, APauseInTheLastSecondIsNotTheEnd)
{
    startPlaying();
    lengthFinal(20);
    stream->setTime(19.5);
    frames(1);
    label("pause");
    clock.advance(3000);
    EXPECT_TRUE(commands.empty());
    label("pause");
    clock.advance(1100);
    EXPECT_EQ(commands, std::vector<std::string>{"gotoNextFlv"});
}

TEST_F(Playback, AStopInTheLastSecondStaysStopped)
{
    startPlaying();
    lengthFinal(20);
    stream->setTime(19.5);
    frames(1);
    ASSERT_EQ(var("checkEnd_flag"), "1");
    label("stop");
    clock.advance(3000);
    EXPECT_EQ(commands, std::vector<std::string>{"stopPlay"});
    EXPECT_EQ(var("stop_flag"), "1");
}

TEST_F(Playback, RepeatLoopsTheFileAtItsEnd)
{
    startPlaying();
    label("repeat");
    lengthFinal(20);
    stream->setTime(20);
    frames(1);
    clock.advance(1000);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(var("stop_flag"), "0");
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:0", "pause", "resume"}));
    stream->status(stream::kPlayStop);
    EXPECT_TRUE(commands.empty());
}

TEST_F(Playback, TheHostMayOpenTheNextFileFromInsideGotoNextFlv)
{
    startPlaying("/v/a.flv");
    movie.setCommandSink([this](const std::string& command, const std::string&) {
        if (command == "gotoNextFlv")
            open("/v/b.flv");
    });
    stream->status(stream::kPlayStop);
    EXPECT_EQ(stream->lastPath, "/v/b.flv");
    EXPECT_EQ(var("stop_flag"), "0");
    EXPECT_EQ(var("file_flag"), "0");
    EXPECT_EQ(look(PanelButton::Start), "off");
}

TEST_F(Playback, TheTimeShowsEveryFrame)
{
    startPlaying();
    stream->setTime(545.4);
    frames(1);
    EXPECT_EQ(movie.panel().timeText(), "09:05");
    set("m_duration", "6000");
    label("getTotalTime");
    EXPECT_EQ(movie.panel().totalText(), "/100:00");
}

// The frames follow the stream's time. While it cannot move (nothing opened, paused,
// stopped) the frame just run has shown all there is and the frames sleep, so a paused or
// idle player wakes nothing; a host command, the pointer or the stream's news wakes them.
TEST_F(Playback, FramesSleepWhileTheTimeCannotMove)
{
    frames(1);
    EXPECT_EQ(clock.runningTimers(), 0u) << "nothing opened";
    startPlaying();
    frames(30);  // the load retry has seen the stream start and stopped
    stream->setTime(3);
    frames(1);
    EXPECT_EQ(movie.panel().timeText(), "00:03");
    EXPECT_EQ(clock.runningTimers(), 1u) << "playing: the frames tick";

    label("pause");
    frames(1);
    EXPECT_EQ(clock.runningTimers(), 0u) << "paused";
    // A paused stream's time moves only when asked to (a seek by a command or the pointer).
    stream->setTime(7);
    movie.mouseMove(aboveThePanel());
    frames(1);
    EXPECT_EQ(movie.panel().timeText(), "00:07");
    EXPECT_EQ(clock.runningTimers(), 0u);

    label("pause");
    stream->setTime(8);
    frames(1);
    EXPECT_EQ(movie.panel().timeText(), "00:08");
    label("stop");
    frames(1);
    EXPECT_EQ(clock.runningTimers(), 0u) << "stopped";
    stream->status(stream::kBufferFull);
    EXPECT_EQ(clock.runningTimers(), 1u) << "the stream's news";
}

TEST_F(Playback, FramesArriveAtTheVideoAreasSizeAndArePainted)
{
    // 320 x 245 stage, 4:3 aspect: the width decides, 320 x 240 centred.
    EXPECT_EQ(stream->videoSize, (stream::PictureSize{320, 240}));
    set("m_width", "16");
    set("m_height", "9");
    label("aspect");
    EXPECT_EQ(stream->videoSize, (stream::PictureSize{320, 180}));

    stream->videoSink->showFrame(solidPicture({320, 180}, 0xffff0000));
    QImage canvas(320, 245, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.translate(-movie.visibleStage().topLeft());
        movie.paint(painter);
    }
    const QRectF area = movie.videoArea();
    EXPECT_EQ(canvas.pixelColor(160, static_cast<int>(area.center().y() - movie.visibleStage().top())), Qt::red);
}

} // namespace
} // namespace zepo::test
