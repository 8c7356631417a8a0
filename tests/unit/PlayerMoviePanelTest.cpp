#include "tests/unit/PlayerMovieFixture.h"

#include "platform/VirtualKeys.h"

namespace zepo::test {
namespace {

using Panel = PlayerMovieTest;

TEST_F(Panel, VolumeCommandsRoundHalvesUpAndStayWithin0To100)
{
    const auto volumeAfter = [this](const std::string& start, const std::string& command) {
        set("vol_mfc", start);
        label("volSet");
        label(command);
        return var("vol_mfc");
    };
    EXPECT_EQ(volumeAfter("95", "volUp"), "100");
    EXPECT_EQ(volumeAfter("100", "volUp"), "100");
    EXPECT_EQ(volumeAfter("5", "volDown"), "0");
    EXPECT_EQ(volumeAfter("50", "volDown"), "40");
    EXPECT_EQ(volumeAfter("150", "volSet"), "100");
    EXPECT_EQ(volumeAfter("-5", "volSet"), "0");
    EXPECT_EQ(volumeAfter("62.5", "volSet"), "63");
    EXPECT_EQ(volumeAfter("33.4", "volSet"), "33");
    EXPECT_EQ(stream->volume, 33);
    EXPECT_EQ(movie.volume(), 33);
    // A saved volume that is no number leaves the volume as it was.
    EXPECT_EQ(volumeAfter("abc", "volSet"), "33");
    EXPECT_EQ(volumeAfter("", "volSet"), "33");
}

TEST_F(Panel, TheVolumeKnobFollowsTheVolumeAndCanBeDragged)
{
    const double centre = movie.panel().volumeTrackCentreX();
    const double half = ControlPanel::kVolumeTrackWidth / 2;
    EXPECT_DOUBLE_EQ(movie.panel().volumeKnobX(), half);
    const QPointF track(centre, on(PanelButton::Fix).y());
    movie.mousePress(track);
    frames(1);
    EXPECT_EQ(var("vol_mfc"), "50");
    movie.mouseMove(QPointF(centre - 1000, track.y()));  // far outside: clamped, panel kept
    frames(1);
    EXPECT_EQ(var("vol_mfc"), "0");
    EXPECT_TRUE(movie.panel().visible());
    movie.mouseRelease(QPointF(centre - 1000, track.y()));
    movie.mouseMove(QPointF(centre + half, track.y()));
    frames(1);
    EXPECT_EQ(var("vol_mfc"), "0") << "released: the knob no longer follows";
}

TEST_F(Panel, LeavingTheUnfixedPanelHidesItOnEveryMoveAndComingBackShowsItOnce)
{
    commands.clear();
    movie.mouseMove(aboveThePanel());
    movie.mouseMove(aboveThePanel() + QPointF(5, 0));
    EXPECT_FALSE(movie.panel().visible());
    EXPECT_EQ(commands, (std::vector<std::string>{"control_off", "control_off"}));

    commands.clear();
    movie.mouseMove(on(PanelButton::Back));
    movie.mouseMove(on(PanelButton::Forward));
    EXPECT_TRUE(movie.panel().visible());
    EXPECT_EQ(commands, std::vector<std::string>{"control_on"});

    // The host's panel watch hides it when the pointer has left the window.
    label("panel_off");
    EXPECT_FALSE(movie.panel().visible());
}

TEST_F(Panel, FixingKeepsThePanelAndLaysThePictureOutAboveIt)
{
    movie.mouseMove(aboveThePanel());
    commands.clear();
    movie.mouseMove(on(PanelButton::Fix));
    movie.mousePress(on(PanelButton::Fix));
    EXPECT_EQ(var("fix_flag"), "1");
    EXPECT_EQ(look(PanelButton::Fix), "over_on");
    EXPECT_EQ(commands, (std::vector<std::string>{"control_on", "control_off"}));
    // 320 x 245 with 40 reserved: the height decides, 205 high, centred 20 higher.
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 205);
    EXPECT_DOUBLE_EQ(movie.videoArea().center().y(), 220);
    EXPECT_LE(movie.videoArea().bottom(), movie.panel().area().top());

    movie.mouseMove(aboveThePanel());
    label("panel_off");
    EXPECT_TRUE(movie.panel().visible()) << "a fixed panel stays";
    EXPECT_EQ(look(PanelButton::Fix), "out_on");

    commands.clear();
    label("fix");
    EXPECT_EQ(var("fix_flag"), "0");
    EXPECT_EQ(look(PanelButton::Fix), "out_off");
    EXPECT_EQ(commands, std::vector<std::string>{"control_on"});
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 240);
}

TEST_F(Panel, TheSeekBarIsInertUntilTheLengthIsFinal)
{
    startPlaying();
    const QPointF middle(movie.panel().seekTrackCentreX(), movie.panel().area().top() + 8);
    set("m_duration", "100");
    label("getTotalTime");
    EXPECT_TRUE(movie.panel().searchingActive());
    EXPECT_FALSE(movie.panel().seekActive());
    movie.mousePress(middle);
    frames(2);
    movie.mouseRelease(middle);
    EXPECT_TRUE(stream->calls.empty());
    EXPECT_DOUBLE_EQ(movie.panel().seekKnobX(), -movie.panel().seekTrackWidth() / 2);
}

TEST_F(Panel, DraggingTheSeekKnobPausesSeeksAndResumes)
{
    startPlaying();
    lengthFinal(100);
    EXPECT_TRUE(movie.panel().seekActive());
    EXPECT_FALSE(movie.panel().searchingActive());
    const double width = movie.panel().seekTrackWidth();
    const double y = movie.panel().area().top() + 8;
    const double centre = movie.panel().seekTrackCentreX();

    movie.mousePress(QPointF(centre, y));
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"pause", "seek:50"})) << "the press seeks at once";
    frames(1);
    EXPECT_EQ(stream->calls.back(), "seek:50") << "the knob held still asks for nothing again";
    movie.mouseMove(QPointF(centre + width / 4, y - 200));  // dragging keeps the panel up
    EXPECT_TRUE(movie.panel().visible());
    frames(1);
    EXPECT_EQ(stream->calls.back(), "seek:75");
    EXPECT_DOUBLE_EQ(movie.panel().seekKnobX(), width / 4);
    movie.mouseRelease(QPointF(centre + width / 4, y - 200));
    EXPECT_EQ(stream->calls.back(), "resume");

    // A knob held still near the end is the user's hand, not the end of the file.
    commands.clear();
    movie.mousePress(QPointF(centre + width / 2, y));
    stream->setTime(100);
    clock.advance(3000);
    EXPECT_TRUE(commands.empty());
    // Released while paused: the stream seeks to where the knob was let go, and stays paused.
    label("pause");
    stream->calls.clear();
    movie.mouseRelease(QPointF(centre, y));
    EXPECT_EQ(stream->calls, std::vector<std::string>{"seek:50"});
}

// A tap (a quick click, a touchpad's tap-to-click) is pressed and released between two
// frames: it seeks where it pressed, and a knob moved and let go before the next frame
// seeks where it was let go. Paused, the stream stays paused. A tap on the volume bar
// sets the volume alike.
TEST_F(Panel, ATapBetweenTwoFramesSeeksAndSetsTheVolume)
{
    startPlaying();
    lengthFinal(100);
    const double width = movie.panel().seekTrackWidth();
    const double y = movie.panel().area().top() + 8;
    const double centre = movie.panel().seekTrackCentreX();
    frames(1);
    stream->calls.clear();

    movie.mousePress(QPointF(centre + width / 4, y));
    movie.mouseRelease(QPointF(centre + width / 4, y));
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"pause", "seek:75", "resume"}));

    stream->calls.clear();
    movie.mousePress(QPointF(centre, y));
    movie.mouseMove(QPointF(centre - width / 4, y));
    movie.mouseRelease(QPointF(centre - width / 4, y));
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"pause", "seek:50", "seek:25", "resume"}));

    label("pause");
    stream->calls.clear();
    movie.mousePress(QPointF(centre, y));
    movie.mouseRelease(QPointF(centre, y));
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"pause", "seek:50"}));

    const QPointF volume(movie.panel().volumeTrackCentreX() - ControlPanel::kVolumeTrackWidth / 4, on(PanelButton::Fix).y());
    movie.mousePress(volume);
    movie.mouseRelease(volume);
    EXPECT_EQ(var("vol_mfc"), "25");
}

TEST_F(Panel, TheSeekKnobShowsTheTimeWithinTheLength)
{
    startPlaying();
    lengthFinal(80);
    const double width = movie.panel().seekTrackWidth();
    stream->setTime(20);
    frames(1);
    EXPECT_DOUBLE_EQ(movie.panel().seekKnobX(), -width / 4);
    stream->setTime(81);
    frames(1);
    EXPECT_DOUBLE_EQ(movie.panel().seekKnobX(), width / 2);
    // A final length of 0 never divides.
    lengthFinal(0);
    stream->setTime(0);
    frames(1);
    EXPECT_DOUBLE_EQ(movie.panel().seekKnobX(), -width / 2);
}

// What the movie asks its control to repaint.
class RepaintRecorder final : public MovieHost {
public:
    void repaintStage(const QRectF& stageRect) override { repainted.push_back(stageRect); }
    QWidget* widget() override { return nullptr; }
    QPointF stageToWidget(const QPointF& stagePoint) const override { return stagePoint; }
    bool putImage(X11SharedMemory&, const X11SharedMemory::Image&, const QRectF&, std::function<void()>) override
    {
        return false;
    }
    std::vector<QRectF> repainted;
};

// Playback moves the seek knob and the time on every frame; while the panel is hidden
// that changes nothing on screen, so nothing of the stage is repainted for it (a new
// picture then costs the picture alone). A shown panel is repainted as it changes.
TEST_F(Panel, AHiddenPanelCostsNoRepaintWhilePlaybackRuns)
{
    RepaintRecorder host;
    movie.setHost(&host);
    startPlaying();
    lengthFinal(80);
    movie.mouseMove(aboveThePanel());
    ASSERT_FALSE(movie.panel().visible());
    frames(1);
    host.repainted.clear();
    for (int i = 1; i <= 60; ++i) {
        stream->setTime(i / 30.0);
        frames(1);
    }
    EXPECT_TRUE(host.repainted.empty()) << host.repainted.size() << " repaints";

    movie.mouseMove(on(PanelButton::Stop));
    ASSERT_TRUE(movie.panel().visible());
    host.repainted.clear();
    stream->setTime(3);
    frames(1);
    ASSERT_FALSE(host.repainted.empty());
    EXPECT_TRUE(host.repainted.back().contains(movie.panel().area()));
}

TEST_F(Panel, TheSearchingIndicatorBlinksOnlyWhileALengthIsBeingSearched)
{
    open();
    set("m_duration", "10");
    label("getTotalTime");
    EXPECT_FALSE(movie.panel().searchingActive()) << "no stream has started";
    stream->status(stream::kPlayStart);
    label("getTotalTime");
    ASSERT_TRUE(movie.panel().searchingActive());
    std::vector<bool> seen;
    for (int i = 0; i < 60; ++i) {
        frames(1);
        seen.push_back(movie.panel().blinkOn());
    }
    const auto flips = std::count_if(seen.begin() + 1, seen.end(), [&, i = 0](bool on) mutable {
        return on != seen[static_cast<std::size_t>(i++)];
    });
    EXPECT_GE(flips, 3);
    EXPECT_LE(flips, 6) << "at most three flashes a second";
}

TEST_F(Panel, TheRatioPanelSetsFixedAndCustomAspects)
{
    label("ratio");
    ASSERT_TRUE(movie.ratioPanel().isOpen());
    EXPECT_EQ(movie.ratioPanel().highlighted(), 0);
    EXPECT_EQ(movie.ratioPanel().fieldX(), "320");
    EXPECT_EQ(movie.ratioPanel().fieldY(), "240");
    // The ratio panel counts as the panel: moving onto it keeps the panel up.
    const QRectF area = movie.ratioPanel().area();
    movie.mouseMove(area.center());
    EXPECT_TRUE(movie.panel().visible());

    // Options stack upward from 320:240 at the bottom.
    movie.mousePress(QPointF(area.center().x(), area.bottom() - 10));
    EXPECT_EQ(var("ratio_num"), "1");
    movie.mousePress(QPointF(area.center().x(), area.bottom() - 28));
    EXPECT_EQ(var("ratio_num"), "2");
    EXPECT_EQ(var("m_width"), "352");
    EXPECT_EQ(movie.ratioPanel().highlighted(), 2);
    movie.mousePress(QPointF(area.center().x(), area.bottom() - 46));
    EXPECT_EQ(var("m_width") + ":" + var("m_height"), "320:180");
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 180);
    EXPECT_EQ(var("m_width_c"), "320") << "a fixed option leaves the custom pair";

    // Typed values and Enter: the custom pair becomes the aspect and is kept.
    label("ratio");
    label("ratio");
    EXPECT_EQ(movie.ratioPanel().highlighted(), 3);
    auto& ratio = const_cast<RatioPanel&>(movie.ratioPanel());
    ratio.setFields("16", "10");
    movie.keyPress(vk::Return);
    EXPECT_EQ(var("ratio_num"), "0");
    EXPECT_EQ(var("m_width_c") + ":" + var("m_height_c"), "16:10");
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 200);
}

TEST_F(Panel, AnUnusableCustomAspectKeepsTheLastLayout)
{
    label("ratio");
    auto& ratio = const_cast<RatioPanel&>(movie.ratioPanel());
    ratio.setFields("16", "9");
    movie.keyPress(vk::Return);
    const QRectF good = movie.videoArea();
    for (const auto& [x, y] : std::vector<std::pair<std::string, std::string>>{
             {"abc", "9"}, {"0", "9"}, {"16", "0"}, {"-4", "3"}, {"", ""}, {"1e400", "1"}}) {
        ratio.setFields(x, y);
        movie.keyPress(vk::Return);
        EXPECT_EQ(movie.videoArea(), good) << x << ":" << y;
        EXPECT_EQ(var("m_width"), x) << "the typed text is kept as it is";
    }
    // A resize lays out the last usable aspect for the new stage.
    movie.resizeStage(640, 480);
    EXPECT_DOUBLE_EQ(movie.videoArea().width(), 640);
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 360);
}

TEST_F(Panel, TheProbesSizeBecomesTheCustomAspect)
{
    label("ratio");
    movie.mousePress(QPointF(movie.ratioPanel().area().center().x(), movie.ratioPanel().area().bottom() - 28));
    ASSERT_EQ(var("ratio_num"), "2");
    set("m_width", "400");
    set("m_height", "300");
    label("getSize");
    EXPECT_EQ(var("m_width_c") + ":" + var("m_height_c"), "400:300");
    EXPECT_EQ(var("ratio_num"), "0");
    EXPECT_EQ(movie.ratioPanel().highlighted(), 0);
    EXPECT_EQ(movie.ratioPanel().fieldX(), "400");

    // The aspect dialog's pair is laid out; the open panel is refreshed and stays open.
    set("m_width", "16");
    set("m_height", "9");
    label("aspect");
    EXPECT_TRUE(movie.ratioPanel().isOpen());
    EXPECT_DOUBLE_EQ(movie.videoArea().height(), 180);
    label("ratio");
    EXPECT_FALSE(movie.ratioPanel().isOpen());
    label("aspect");
    EXPECT_FALSE(movie.ratioPanel().isOpen());
}

TEST_F(Panel, TheRatioPanelsCloseButtonRemovesIt)
{
    movie.mousePress(on(PanelButton::Ratio));
    ASSERT_TRUE(movie.ratioPanel().isOpen());
    const QRectF area = movie.ratioPanel().area();
    movie.mousePress(QPointF(area.right() - 9, area.top() + 9));
    EXPECT_FALSE(movie.ratioPanel().isOpen());
    movie.keyPress(vk::Return);
    EXPECT_EQ(var("m_width"), "320") << "Enter does nothing without the ratio panel";
}

TEST_F(Panel, ButtonsRunTheSameOperationsAsTheHostsCommands)
{
    startPlaying();
    lengthFinal(60);
    stream->setTime(30);
    movie.mousePress(on(PanelButton::Back));
    movie.mousePress(on(PanelButton::Forward));
    movie.mousePress(on(PanelButton::Pause));
    movie.mousePress(on(PanelButton::Repeat));
    movie.mousePress(on(PanelButton::Stop));
    movie.mousePress(on(PanelButton::Start));
    EXPECT_EQ(stream->calls,
              (std::vector<std::string>{"seek:25", "seek:30", "togglePause", "seek:0", "pause", "resume"}));
    EXPECT_EQ(commands, (std::vector<std::string>{"stopPlay", "startPlay"}));
    EXPECT_EQ(var("repeat_flag"), "1");
}

} // namespace
} // namespace zepo::test
