// Full screen: the display-mode choice and its correction factors, the saved-window
// table, our own windows' places, and cursor hiding.
#include "dialogs/CSettingDlg.h"
#include "player/DisplayModeChoice.h"
#include "tests/unit/PlayerWindowFixture.h"

#include <QMouseEvent>
#include <QTest>

namespace zepo::test {
namespace {

const DisplayMode k1280x1024{1280, 1024, 32, 60};
const std::string kUntouched = "untouched";

class PlayerFullScreenTest : public PlayerWindowTest {
protected:
    void SetUp() override
    {
        PlayerWindowTest::SetUp();
        modes.currentMode = k1280x1024;
        // Mode 2 is the first 640 x 480 at 32 bits, at another rate than the screen's; 3 is
        // the one at the screen's rate.
        modes.modes = {{1024, 768, 32, 60}, {640, 480, 16, 60}, {640, 480, 32, 75}, {640, 480, 32, 60},
                       {1280, 1024, 32, 60}};
        settings().ChangeResolution = 1;
        player->playerControl().SetVariable("FullScreenAdjust_w", kUntouched);
        player->playerControl().SetVariable("FullScreenAdjust_h", kUntouched);
    }
    void mouseMove()
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        player->PreTranslateMessage(&player->playerControl(), &move);
    }
    bool cursorBlank()
    {
        const bool blank = player->cursor().shape() == Qt::BlankCursor;
        // The video shows its window's cursor; a child's own cursor is blanked too.
        EXPECT_EQ(player->playerControl().cursor().shape(), player->cursor().shape());
        EXPECT_EQ(handCursorChild->cursor().shape(), blank ? Qt::BlankCursor : Qt::PointingHandCursor);
        return blank;
    }
    QWidget* handCursorChild = nullptr;
};

// Full screen and the settings dialog make one choice: what the dialog recommends and
// preselects is what full screen switches to when nothing was chosen, and the dialog
// opened after that shows one mode, not two.
TEST_F(PlayerFullScreenTest, FirstFullScreenTakesTheModeTheSettingsDialogRecommends)
{
    settings().ResolutionFullSize = -1;
    const auto recommended = [&] {
        CSettingDlg dialog(settings(), modes, messages, player.get());
        return std::pair(dialog.recommendedMode(), dialog.basicPage().modeList().currentIndex());
    };
    EXPECT_EQ(recommended(), std::pair(3, 3));
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_EQ(settings().ResolutionFullSize, 3);
    ASSERT_EQ(modes.changes.size(), 1u);
    EXPECT_EQ(modes.changes[0], (DisplayMode{640, 480, 32, 60}));
    // 1280 x 1024 to 640 x 480 shrinks the height less: the movie narrows it.
    EXPECT_EQ(variable("FullScreenAdjust_h"), "0.937500");
    EXPECT_EQ(variable("FullScreenAdjust_w"), kUntouched);
    EXPECT_TRUE(messages.texts.empty());

    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_FALSE(player->isFullScreen());
    EXPECT_EQ(variable("FullScreenAdjust_h"), "1.0");
    EXPECT_EQ(variable("FullScreenAdjust_w"), "1.0");
    EXPECT_EQ(modes.restores, 1);
    // Only in memory: the settings dialog is what writes it down.
    EXPECT_EQ(CSettingFile(folder.filePath("zepo").toStdString(), messages).ResolutionFullSize, -1);
    EXPECT_EQ(recommended(), std::pair(3, 3));
}

TEST_F(PlayerFullScreenTest, WithoutAModeAtTheScreensRateTheLast640x480IsTaken)
{
    settings().ResolutionFullSize = -1;
    modes.currentMode = {1280, 1024, 32, 85};
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_EQ(settings().ResolutionFullSize, 3);
    CSettingDlg dialog(settings(), modes, messages, player.get());
    EXPECT_EQ(dialog.recommendedMode(), 3);
}

TEST_F(PlayerFullScreenTest, CorrectionFactorGoesToExactlyOneAxis)
{
    settings().ResolutionFullSize = 2;
    const struct {
        DisplayMode current;
        std::string variable;
        std::string value;
    } cases[] = {
        {{1920, 1080, 32, 60}, "FullScreenAdjust_w", "0.750000"},
        {{1024, 768, 32, 60}, "FullScreenAdjust_w", "1.000000"},
        {{1280, 1024, 32, 60}, "FullScreenAdjust_h", "0.937500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current.width);
        player->playerControl().SetVariable("FullScreenAdjust_w", kUntouched);
        player->playerControl().SetVariable("FullScreenAdjust_h", kUntouched);
        modes.currentMode = c.current;
        player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
        EXPECT_EQ(variable(c.variable), c.value);
        const std::string other = c.variable == "FullScreenAdjust_w" ? "FullScreenAdjust_h" : "FullScreenAdjust_w";
        EXPECT_EQ(variable(other), kUntouched);
        player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    }
}

TEST_F(PlayerFullScreenTest, NoDefaultModeKeepsSearchingAtEachEntry)
{
    settings().ResolutionFullSize = -1;
    modes.modes = {{1024, 768, 32, 60}, {640, 480, 16, 60}, {800, 600, 32, 60}};
    for (int entry = 0; entry < 2; ++entry) {
        player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
        // Full screen goes on at the mode in force.
        EXPECT_TRUE(player->isFullScreen());
        player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    }
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"画面モード取得失敗", "画面モード取得失敗"}));
    EXPECT_EQ(settings().ResolutionFullSize, -1);
    EXPECT_TRUE(modes.changes.empty());
    EXPECT_EQ(modes.restores, 2);
}

TEST_F(PlayerFullScreenTest, StoredModeTheDriverLacksIsReportedOnEachEntry)
{
    settings().ResolutionFullSize = 9;
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_EQ(variable("FullScreenAdjust_h"), kUntouched);
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    const std::string text = "設定に合う画面モードが見つかりませんでした\n設定直してくれ";
    EXPECT_EQ(messages.texts, (std::vector<std::string>{text, text}));
    EXPECT_TRUE(modes.changes.empty());
}

TEST_F(PlayerFullScreenTest, FailedChangesAreReportedAndFullScreenGoesOn)
{
    settings().ResolutionFullSize = 2;
    modes.nextResult = DisplayModes::ChangeResult::Restart;
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->isFullScreen());
    // The factor is set before the change is asked for, and stays.
    EXPECT_EQ(variable("FullScreenAdjust_h"), "0.937500");
    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    modes.nextResult = DisplayModes::ChangeResult::Failed;
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->isFullScreen());
    // A refused change is asked for again once the window covers the screen, and told at
    // the latest when full screen ends.
    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"設定の変更を有効にするには\n再起動が必要です", "設定の変更に失敗しました"}));
}

// A display server that changes the mode only for a window already full screen
// (XWayland): the change refused on entering is asked for again once the window covers
// the screen, and nothing is told.
TEST_F(PlayerFullScreenTest, AChangeRefusedBeforeFullScreenIsAskedAgainOnceTheWindowCoversTheScreen)
{
    settings().ResolutionFullSize = 3;
    modes.scriptedResults = {DisplayModes::ChangeResult::Failed, DisplayModes::ChangeResult::Successful};
    player->show();
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    QTRY_COMPARE(modes.changes.size(), 2u);
    EXPECT_EQ(modes.changes[1], (DisplayMode{640, 480, 32, 60}));
    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PlayerFullScreenTest, AChangeThatKeepsFailingIsToldOnceASession)
{
    settings().ResolutionFullSize = 3;
    modes.nextResult = DisplayModes::ChangeResult::Failed;
    player->show();
    for (int entry = 0; entry < 3; ++entry) {
        player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
        EXPECT_TRUE(player->isFullScreen());
        player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    }
    EXPECT_EQ(messages.texts, std::vector<std::string>{"設定の変更に失敗しました"});
}

TEST_F(PlayerFullScreenTest, WithoutModeChangeTheFactorsAreLeftUntilLeaving)
{
    settings().ChangeResolution = 0;
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_TRUE(modes.changes.empty());
    EXPECT_EQ(variable("FullScreenAdjust_w"), kUntouched);
    EXPECT_EQ(variable("FullScreenAdjust_h"), kUntouched);
    // Leave-only in windowed mode does nothing.
    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    EXPECT_EQ(variable("FullScreenAdjust_w"), "1.0");
    EXPECT_EQ(variable("FullScreenAdjust_h"), "1.0");
    EXPECT_EQ(modes.restores, 1);
}

TEST(DisplayModeChoice, CorrectionNeedsACurrentSize)
{
    EXPECT_FALSE(correctionFor({0, 0, 32, 60}, {640, 480, 32, 60}));
    // The text is "%f" whatever the locale's decimal sign.
    const std::optional<ModeCorrection> third = correctionFor({1200, 900, 32, 60}, {640, 400, 32, 60});
    ASSERT_TRUE(third);
    EXPECT_EQ(third->variable, "FullScreenAdjust_h");
    EXPECT_EQ(third->value, "0.833333");
}

TEST_F(PlayerFullScreenTest, SavedWindowTableHoldsTheFirstThirtyTitledVisibleWindows)
{
    settings().ChangeResolution = 0;
    player->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    desktop.add(player->winId(), "ZEPO", QRect(0, 0, 320, 270));
    desktop.add(1, "Program Manager", QRect(0, 0, 1280, 1024), true, "Progman");
    desktop.add(2, "", QRect(10, 10, 100, 100));
    desktop.add(3, "tooltip", QRect(10, 10, 100, 100), false);
    // The hidden playlist window is recorded through its title: it takes a place.
    desktop.add(player->playlist()->winId(), "ZEPO - プレイリスト", QRect(320, 0, 250, 350), false);
    for (std::uint64_t id = 100; id < 135; ++id)
        desktop.add(id, "window " + std::to_string(id), QRect(int(id), int(id), 200, 100));

    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    // The smaller screen made the window manager move one.
    desktop.placements[127].frame = QRect(0, 0, 200, 100);
    // Closed during full screen: nothing to put back. Opened during it: left alone.
    desktop.windows.erase(std::find_if(desktop.windows.begin(), desktop.windows.end(),
                                       [](const DesktopWindow& w) { return w.id == 101; }));
    desktop.add(500, "new", QRect(0, 0, 10, 10));
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);

    std::vector<std::uint64_t> expected;
    for (std::uint64_t id = 100; id < 128; ++id)
        if (id != 101)
            expected.push_back(id);
    EXPECT_EQ(desktop.restored, expected);
    EXPECT_EQ(desktop.placements[127].frame, QRect(127, 127, 200, 100));
}

TEST_F(PlayerFullScreenTest, OurWindowsReturnToTheirPlaces)
{
    settings().ChangeResolution = 0;
    player->show();
    player->playlist()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player->playlist()));
    // The first showing settles the start-up placement; ours comes after it.
    QCoreApplication::processEvents();
    player->setGeometry(QRect(100, 120, 400, 300));
    player->playlist()->setGeometry(QRect(530, 120, 250, 350));
    desktop.add(player->playlist()->winId(), "ZEPO - プレイリスト", QRect(529, 100, 252, 375));

    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_TRUE(player->windowState() & Qt::WindowFullScreen);
    EXPECT_FALSE(player->playlist()->isVisible());
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);

    EXPECT_FALSE(player->windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(player->geometry(), QRect(100, 120, 400, 300));
    EXPECT_TRUE(player->playlist()->isVisible());
    EXPECT_EQ(player->playlist()->geometry(), QRect(530, 120, 250, 350));
    // The desktop's own record of it goes back last, once it shows.
    EXPECT_EQ(desktop.restored, std::vector<std::uint64_t>{player->playlist()->winId()});

    // Hidden when full screen began: hidden after it.
    player->playlist()->hide();
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_FALSE(player->playlist()->isVisible());
    EXPECT_EQ(player->playlist()->geometry(), QRect(530, 120, 250, 350));
}

TEST_F(PlayerFullScreenTest, CursorHidesTwoSecondsAfterTheLastMoveInFullScreen)
{
    handCursorChild = new QWidget(&player->playerControl());
    handCursorChild->setCursor(Qt::PointingHandCursor);
    settings().ChangeResolution = 0;
    settings().HideCursor = 1;
    mouseMove();
    clock.advance(5000);
    EXPECT_FALSE(cursorBlank());

    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    clock.advance(1999);
    EXPECT_FALSE(cursorBlank());
    clock.advance(1);
    EXPECT_TRUE(cursorBlank());
    mouseMove();
    EXPECT_FALSE(cursorBlank());
    clock.advance(1500);
    mouseMove();
    clock.advance(1999);
    EXPECT_FALSE(cursorBlank());
    clock.advance(1);
    EXPECT_TRUE(cursorBlank());

    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    EXPECT_FALSE(cursorBlank());
    clock.advance(5000);
    EXPECT_FALSE(cursorBlank());
}

TEST_F(PlayerFullScreenTest, CursorStaysWithHideCursorOff)
{
    handCursorChild = new QWidget(&player->playerControl());
    handCursorChild->setCursor(Qt::PointingHandCursor);
    settings().ChangeResolution = 0;
    settings().HideCursor = 0;
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    mouseMove();
    clock.advance(10000);
    EXPECT_FALSE(cursorBlank());
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
}

} // namespace
} // namespace zepo::test
