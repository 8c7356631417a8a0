#include "platform/ManualClock.h"
#include "tests/support/Pictures.h"
#include "tests/support/ScriptedStream.h"
#include "tests/support/ShownPlayerMovie.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

// A manual clock and scripted streams, made before the movie that uses them.
struct ScriptedPlayerEnvironment {
    ManualClock clock;
    ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
};

// The real player movie in its control, shown on the offscreen platform, driven by
// Qt Test input. The clock is manual so frames run only when the test says.
class PlayerMovieWidget : public ::testing::Test, protected ScriptedPlayerEnvironment, protected ShownPlayerMovie {
protected:
    PlayerMovieWidget() : ShownPlayerMovie(environment) { stream = streams.latest(); }
    void SetUp() override
    {
        ASSERT_TRUE(exposed);
        ASSERT_NE(movie, nullptr);
        ASSERT_NE(stream, nullptr);
        ASSERT_EQ(commands, std::vector<std::string>{"ok"});
    }

    void click(const QPoint& at) { QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, at); }
    void startPlaying()
    {
        control.SetVariable("flv_file", "/v/a.flv");
        control.TGotoLabel(kCommandClip, "sendFlv");
        stream->status(stream::kPlayStart);
        stream->status(stream::kBufferFull);
        stream->calls.clear();
        commands.clear();
    }
    QImage picture() { return control.grab().toImage(); }

    ScriptedStream* stream = nullptr;
};

// Share of the pixels in a band of rows that are not black.
double litShare(const QImage& image, int top, int bottom)
{
    int lit = 0;
    int all = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x, ++all)
            if (qGray(image.pixel(x, y)) > 20)
                ++lit;
    return all ? static_cast<double>(lit) / all : 0;
}

TEST_F(PlayerMovieWidget, PanelButtonsDriveTheTransport)
{
    startPlaying();
    click(button(PanelButton::Stop));
    EXPECT_EQ(control.GetVariable("stop_flag"), "1");
    click(button(PanelButton::Start));
    click(button(PanelButton::Pause));
    click(button(PanelButton::Repeat));
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"seek:0", "pause", "resume", "togglePause"}));
    EXPECT_EQ(commands, (std::vector<std::string>{"stopPlay", "startPlay"}));
    EXPECT_EQ(control.GetVariable("pause_flag"), "1");
    EXPECT_EQ(control.GetVariable("repeat_flag"), "1");
}

TEST_F(PlayerMovieWidget, ThePanelHidesWhenThePointerLeavesItAndFixKeepsIt)
{
    commands.clear();
    QTest::mouseMove(&control, QPoint(160, 40));
    EXPECT_FALSE(movie->panel().visible());
    EXPECT_EQ(commands, std::vector<std::string>{"control_off"});
    EXPECT_LT(litShare(picture(), 215, 245), 0.01) << "the hidden panel leaves the stage black";

    QTest::mouseMove(&control, button(PanelButton::Fix));
    EXPECT_TRUE(movie->panel().visible());
    click(button(PanelButton::Fix));
    EXPECT_EQ(commands, (std::vector<std::string>{"control_off", "control_on", "control_off"}));
    QTest::mouseMove(&control, QPoint(160, 40));
    EXPECT_TRUE(movie->panel().visible());
    EXPECT_EQ(control.GetVariable("_root.fix_flag"), "1");
}

TEST_F(PlayerMovieWidget, PaintsAVisiblePanelAndTheVideoFrames)
{
    const QImage start = picture();
    EXPECT_GT(litShare(start, 207, 245), 0.5) << "the panel is drawn at the bottom";

    startPlaying();
    stream->videoSink->showFrame(solidPicture(stream->videoSize, 0xffc81e1e));
    const QImage shown = picture();
    EXPECT_EQ(shown.pixelColor(160, 100), QColor(200, 30, 30));
    // Times are drawn into the panel, and change as time goes on.
    stream->setTime(61);
    clock.advance(34);
    EXPECT_EQ(movie->panel().timeText(), "01:01");
    EXPECT_NE(picture(), shown);
}

// The stage is cleared only where the picture does not cover it: under a picture that
// lets it show through (an alpha channel) it is cleared too. The control is painted over
// a marker colour, which stays wherever nothing was painted.
TEST_F(PlayerMovieWidget, TheStageShowsAroundAndThroughThePicture)
{
    const auto paintedOverMarker = [this] {
        QImage image(control.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        control.render(&image);
        return image;
    };
    startPlaying();
    const QColor stage = paintedOverMarker().pixelColor(2, 2);
    ASSERT_NE(stage, QColor(Qt::magenta));
    stream->videoSink->showFrame(solidPicture(stream->videoSize, 0x00000000, true));
    EXPECT_EQ(paintedOverMarker().pixelColor(160, 100), stage);

    stream->videoSink->showFrame(solidPicture(stream->videoSize, 0xff1ec81e));
    const QImage shown = paintedOverMarker();
    EXPECT_EQ(shown.pixelColor(160, 100), QColor(30, 200, 30));
    EXPECT_EQ(shown.pixelColor(2, 2), stage);
}

TEST_F(PlayerMovieWidget, TheRatioPanelsFieldsAreRealLineEdits)
{
    click(button(PanelButton::Ratio));
    ASSERT_TRUE(movie->ratioPanel().isOpen());
    const auto fields = control.findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0]->text(), "320");
    EXPECT_TRUE(fields[0]->isVisible());
    fields[0]->selectAll();
    QTest::keyClicks(fields[0], "16");
    fields[1]->selectAll();
    QTest::keyClicks(fields[1], "9");
    QTest::keyClick(fields[1], Qt::Key_Return);
    EXPECT_EQ(control.GetVariable("m_width_c"), "16");
    EXPECT_EQ(control.GetVariable("m_height"), "9");
    EXPECT_EQ(stream->videoSize, (stream::PictureSize{320, 180}));

    // The fields go with the control panel when it hides, and with the ratio panel.
    QTest::mouseMove(&control, QPoint(20, 20));
    EXPECT_FALSE(fields[1]->isVisible());
    control.TGotoLabel(kCommandClip, "ratio");
    QApplication::processEvents();
    EXPECT_TRUE(control.findChildren<QLineEdit*>().isEmpty());
}

} // namespace
} // namespace zepo::test
