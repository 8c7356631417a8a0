#include "platform/QtTimerService.h"
#include "playlist/CPlayListDlg.h"
#include "movies/playList.h"
#include "tests/stream/HostileFiles.h"
#include "tests/stream/RealPlayerWindow.h"
#include "tests/stream/StreamRecorder.h"
#include "tests/support/HoldsFor.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ShownPlayerMovie.h"

#include <QApplication>
#include <map>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

// Real time and real streams, made before the movie that uses them.
struct RealPlayerEnvironment {
    QtTimerService timers;
    MovieEnvironment environment{timers, flvStreams(timers)};
};

// The real player movie in its control with the real stream and real time: what the
// unit tests check on a scripted stream, here against a stream that really plays.
class PlayerMovieOnRealStream : public ::testing::Test, protected RealPlayerEnvironment, protected ShownPlayerMovie {
protected:
    PlayerMovieOnRealStream() : ShownPlayerMovie(environment) {}
    void SetUp() override
    {
        ASSERT_TRUE(exposed);
        ASSERT_NE(movie, nullptr);
        ASSERT_NE(movie->stream(), nullptr);
    }

    // Opens a file as the host does and, once it plays, hands over its length as the
    // probe's relay would.
    void open(const std::string& path, double length)
    {
        control.SetVariable("flv_file", path);
        control.TGotoLabel(kCommandClip, "sendFlv");
        ASSERT_TRUE(QTest::qWaitFor([&] { return control.GetVariable("file_flag") == "1"; }, 3000)) << path;
        control.SetVariable("m_duration", std::to_string(length));
        control.SetVariable("TotalTime_flag", "1");
        control.TGotoLabel(kCommandClip, "allDone");
        commands.clear();
    }
    double time() const { return movie->stream()->time(); }
    bool waitForTime(const std::function<bool(double)>& wanted, int milliseconds)
    {
        return QTest::qWaitFor([&] { return wanted(time()); }, milliseconds);
    }
    int count(const std::string& command) const { return int(std::count(commands.begin(), commands.end(), command)); }

    void click(PanelButton b)
    {
        const QPoint at = button(b);
        QTest::mouseMove(&control, at);
        QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, at);
    }
};

// "Seek to 0 and pause" leaves the time at 0 or a hair past it: the stream may start
// playing from 0 in the moment between the two calls.
constexpr double kAtZero = 0.01;
// How long a test watches a stopped or paused stream's time stand: a stream that ran on
// would leave the tolerance within a tenth of a second (its clock is held after a seek
// only until the decoders have the first frame at the target).
constexpr int kStandsMs = 500;
// How far past its target a seek's stream plays before the landing is judged: it shows
// that the stream plays on from there.
constexpr double kPlaysOnSeconds = 0.1;

// A seek has landed when the stream plays on from its target: the time moves past the
// target, never falls below it and runs no faster than the time waited since the seek. A
// seek asked for sets the time to its target at once, so the target alone proves nothing.
::testing::AssertionResult landed(const stream::NetStream& s, double target)
{
    QElapsedTimer waited;
    waited.start();
    double time = s.time();
    double lowest = time;
    const bool passed = QTest::qWaitFor(
        [&] {
            time = s.time();
            lowest = std::min(lowest, time);
            return time >= target + kPlaysOnSeconds;
        },
        3000);
    const double most = target + double(waited.elapsed()) / 1000 + 0.05;
    if (passed && lowest >= target - 0.05 && time <= most)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "time " << time << " (lowest " << lowest << ") is not in [" << target
                                         << ", " << most << "]" << (passed ? "" : " and did not pass the target");
}

TEST_F(PlayerMovieOnRealStream, PlaysToTheEndSendsNextOnceAndRestsStoppedAtZero)
{
    const std::string clip = fixture("flv1_mp3.flv");
    open(clip, lastTimestamp(clip));
    ASSERT_TRUE(QTest::qWaitFor([&] { return count("gotoNextFlv") > 0; }, 6000));
    // The three end sources (the stream's stop, the per-frame check and the end watch)
    // all see this end; only one of them may act on it. Nothing is to happen after it, so
    // no event marks that the others kept still: they would act within the end watch's
    // half second, and the test watches three times that long.
    EXPECT_TRUE(holdsFor([&] { return count("gotoNextFlv") == 1 && std::abs(time()) <= kAtZero; }, 1500))
        << "time " << time() << ", commands " << ::testing::PrintToString(commands);
    EXPECT_EQ(commands, std::vector<std::string>{"gotoNextFlv"});
    EXPECT_EQ(control.GetVariable("stop_flag"), "1");
    EXPECT_EQ(movie->panel().timeText(), "00:00");
}

TEST_F(PlayerMovieOnRealStream, WithRepeatTheFileLoops)
{
    const std::string clip = fixture("flv1_mp3.flv");
    open(clip, lastTimestamp(clip));
    control.TGotoLabel(kCommandClip, "repeat");
    ASSERT_TRUE(waitForTime([](double t) { return t > 2.5; }, 5000));
    ASSERT_TRUE(waitForTime([](double t) { return t < 1; }, 3000)) << "back to the start";
    ASSERT_TRUE(waitForTime([](double t) { return t > 1; }, 3000)) << "and playing again";
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(control.GetVariable("stop_flag"), "0");
}

// The panel's buttons, pressed with the mouse, act on the stream: pause holds the time,
// the 5-second steps land where they aim, stop rests at 0 and start plays from there.
TEST_F(PlayerMovieOnRealStream, PanelButtonsDriveTheStream)
{
    const std::string clip = std::string(ZEPO_BUILD_DIR) + "/samples/sample.flv";  // 10 s
    open(clip, lastTimestamp(clip));
    ASSERT_TRUE(waitForTime([](double t) { return t > 0.3; }, 3000));

    click(PanelButton::Pause);
    ASSERT_EQ(control.GetVariable("pause_flag"), "1");
    const double paused = time();
    EXPECT_TRUE(holdsFor([&] { return std::abs(time() - paused) <= 0.02; }, kStandsMs))
        << "a paused stream's time stands: " << paused << " became " << time();
    click(PanelButton::Pause);
    EXPECT_TRUE(waitForTime([&](double t) { return t > paused + 0.2; }, 2000)) << "and moves again when resumed";

    double before = time();
    click(PanelButton::Forward);
    EXPECT_TRUE(landed(*movie->stream(), before + 5));
    before = time();
    click(PanelButton::Back);
    EXPECT_TRUE(landed(*movie->stream(), before - 5));

    // Dragging the seek knob to the middle of its track seeks to the middle of the file.
    const double y = movie->panel().area().top() + 8;
    const QPoint from = toWidget({movie->panel().seekTrackCentreX() + movie->panel().seekKnobX(), y});
    const QPoint to = toWidget({movie->panel().seekTrackCentreX(), y});
    QTest::mouseMove(&control, from);
    QTest::mousePress(&control, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&control, to);
    // The knob follows the pointer on the movie's next frame, and seeks there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(movie->panel().seekKnobX()) <= 1; }, 1000));
    QTest::mouseRelease(&control, Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_TRUE(landed(*movie->stream(), lastTimestamp(clip) / 2));

    click(PanelButton::Stop);
    EXPECT_EQ(control.GetVariable("stop_flag"), "1");
    EXPECT_TRUE(holdsFor([&] { return std::abs(time()) <= kAtZero; }, kStandsMs)) << "stop rests at 0, not at " << time();
    click(PanelButton::Start);
    EXPECT_TRUE(waitForTime([](double t) { return t > 0.2; }, 2000));
    EXPECT_EQ(commands, (std::vector<std::string>{"stopPlay", "startPlay"}));
}

// Each failure gives one line on stderr that names the file: a file that cannot be opened
// (however often the load retry tries it again, it is told once, with the giving up), a
// track that cannot be decoded, no audio device. The movie tells what the stream reports;
// the device is the stream's to tell.
TEST_F(PlayerMovieOnRealStream, EachFailureIsToldInOneLineNamingTheFile)
{
    LogCapture log;
    const std::string missing = fixture("no such file.flv");
    control.SetVariable("flv_file", missing);
    control.TGotoLabel(kCommandClip, "sendFlv");
    // The load retry opens the file again every half second until it gives up on it: by
    // the time it says so, every retry has had its chance to tell the failure again.
    const std::string givenUp =
        missing + ": the file cannot be read: No such file or directory - going on with the next file";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.lines("zepo.movies", givenUp).empty(); }, 8000));
    EXPECT_EQ(log.lines("zepo.movies").size(), 1u);

    QTemporaryDir dir;
    const std::string broken = withBrokenSoundConfiguration("h264_aac.flv", dir);
    open(broken, lastTimestamp(broken));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.lines("zepo.movies").size() == 2; }, 3000));
    EXPECT_EQ(log.lines("zepo.movies", broken + ": the sound is damaged: aac decoder refused its configuration").size(),
              1u);
    EXPECT_TRUE(waitForTime([](double t) { return t > 0.5; }, 3000)) << "the picture plays on";

    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    const std::string clip = fixture("flv1_mp3.flv");
    open(clip, lastTimestamp(clip));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !log.lines("zepo.stream", clip).empty(); }, 3000));
    qputenv("SDL_AUDIODRIVER", "dummy");
    EXPECT_TRUE(waitForTime([](double t) { return t > 0.5; }, 3000)) << "the picture plays on";
    const auto device = log.lines("zepo.stream", clip);
    ASSERT_EQ(device.size(), 1u);
    EXPECT_EQ(device[0].type, QtWarningMsg);
    EXPECT_EQ(device[0].text.rfind(clip + ": no sound: no audio device: ", 0), 0u) << device[0].text;
    EXPECT_EQ(log.lines("zepo.movies").size(), 2u);
}

// One line per failure and file, though two streams read each file, the player's and the
// probe's: the reader's findings in a damaged file, a track without a decoder, a listed
// file that is gone when its turn comes.
TEST(PlayerWindowOnRealStream, TellsEachFailureOfAFileOnce)
{
    LogCapture log;
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    const std::string folder = fromQt(w.dir.path());
    const std::string first = folder + "/first.flv", gone = folder + "/gone.flv", damaged = folder + "/damaged.flv",
                      jpeg = folder + "/jpeg.flv", next = folder + "/next.flv";
    const std::string clip = fixture("flv1_mp3.flv");
    // The first file plays for a minute, while the next one is deleted.
    writeFile(first, FlvTags::read(clip).laps(20, 3000).bytes());
    ASSERT_TRUE(QFile::copy(toQt(clip), toQt(gone)));
    ASSERT_TRUE(QFile::copy(toQt(fixture("corrupted.flv")), toQt(damaged)));
    writeFile(jpeg, FlvTags::read(clip).eachPayload(9, [](Bytes& p) { p[0] = std::uint8_t((p[0] & 0xF0) | 1); }).bytes());
    ASSERT_TRUE(QFile::copy(toQt(clip), toQt(next)));
    w.player.AddFiles({first, gone, damaged, jpeg, next}, AddMode::Replace);
    auto& list = dynamic_cast<PlayListMovie&>(*w.player.playlist()->movie().movie());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.entries().size() == 5; }, 20000));
    ASSERT_TRUE(QFile::remove(toQt(gone)));
    w.player.playlist()->movie().TGotoLabel(kCommandClip, "gotoNextFlv_2");  // the user's "next file"
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "next.flv - ZEPO"; }, 30000))
        << "still on " << fromQt(w.player.windowTitle());

    // The reader's own lines (FFmpeg's, in brackets, may say the same of two pictures).
    std::map<std::string, int> findings;
    for (const auto& line : log.lines("zepo.stream", damaged + ": "))
        if (line.text.compare(damaged.size() + 2, 1, "[") != 0)
            ++findings[line.text];
    EXPECT_FALSE(findings.empty());
    for (const auto& [text, times] : findings)
        EXPECT_EQ(times, 1) << text;
    EXPECT_EQ(log.lines("zepo.movies", jpeg).size(), 1u);
    EXPECT_EQ(log.lines("zepo.movies", jpeg + ": the video is not supported: codec 1 (JPEG)").size(), 1u);
    EXPECT_EQ(log.lines("zepo.movies", gone).size(), 1u);
    EXPECT_EQ(log.lines("zepo.movies", gone + ": the file cannot be read: No such file or directory").size(), 1u);
}

// Files whose length on screen is not where their data ends still end where the data
// does and move on: one cut short at 1.9 s whose metadata says 46.9 s, then one that is
// only a header (length 0), then a whole clip.
TEST(PlayerWindowOnRealStream, EndsFilesAtTheirRealEndAndMovesOn)
{
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    QTemporaryDir dir;
    const std::string clip = fromQt(dir.path()) + "/clip.flv";
    ASSERT_TRUE(QFile::copy(toQt(fixture("flv1_mp3.flv")), toQt(clip)));
    std::vector<std::pair<std::string, qint64>> titles;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&w.player, &QWidget::windowTitleChanged, &w.player,
                     [&](const QString& title) { titles.emplace_back(fromQt(title), clock.elapsed()); });
    const std::string cut = "h263_mp3_youtube_keyframes_truncated_hachoir.flv";
    const std::string empty = "header_only_9bytes_reserved_flag_red5old.flv";
    w.player.AddFiles({corpusFile(cut), corpusFile(empty), clip}, AddMode::Replace);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.variable("TotalTime_flag") == "1"; }, 3000));
    EXPECT_EQ(w.movie().panel().totalText(), "/00:46");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "clip.flv - ZEPO"; }, 5000))
        << "still on " << fromQt(w.player.windowTitle());
    ASSERT_EQ(titles.size(), 3u);
    EXPECT_EQ(titles[0].first, cut + " - ZEPO");
    EXPECT_EQ(titles[1].first, empty + " - ZEPO");
    // The cut file plays what it has: about 1.9 s.
    EXPECT_GE(titles[1].second - titles[0].second, 1500);
    EXPECT_TRUE(w.messages.texts.empty());
}

} // namespace
} // namespace zepo::test
