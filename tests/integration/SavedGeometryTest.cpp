// Saved window rectangles as the next start meets them: fitted on the screen, a docked
// playlist kept docked, and the windowed places saved when closing in full screen.
#include "platform/FrameExtents.h"
#include "playlist/CPlayListDlg.h"
#include "tests/support/PlayerHarness.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(SavedGeometry, ARectangleLargerThanTheScreenOrOffItIsFittedAndSavedFitted)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nMain_x=-100000\r\nMain_y=50\r\nMain_w=99999\r\nMain_h=300\r\n"
               "PlayList_x=2147483647\r\nPlayList_y=-2147483648\r\nPlayList_w=250\r\nPlayList_h=2147483647\r\n");
    CPlayerDlg& w = h.open();
    const QRect area = screenArea();
    EXPECT_EQ(outerGeometry(w), QRect(area.left(), 50, area.width(), 300));
    const QRect list = outerGeometry(*w.playlist());
    EXPECT_EQ(list, QRect(area.left() + area.width() - 250, area.top(), 250, area.height()));
    h.close();
    EXPECT_NE(h.iniText().find("Main_x=" + std::to_string(area.left()) + "\r\nMain_y=50\r\nMain_w="
                               + std::to_string(area.width()) + "\r\nMain_h=300\r\n"),
              std::string::npos)
        << h.iniText();
}

TEST(SavedGeometry, APlaylistSavedDockedStaysDockedToThePlayerWhereverThatIsFitted)
{
    PlayerHarness h;
    // The player hangs off the right edge; its docked list wholly beyond it.
    const QRect area = screenArea();
    const int x = area.right() - 100;
    h.writeIni("[PrevInfo]\r\nMain_x=" + std::to_string(x) + "\r\nMain_y=40\r\nMain_w=400\r\nMain_h=300\r\nPlayList_x="
               + std::to_string(x + 400) + "\r\nPlayList_y=40\r\nPlayList_w=250\r\nPlayList_h=350\r\n");
    CPlayerDlg& w = h.open();
    const QRect player = outerGeometry(w);
    EXPECT_EQ(player, QRect(area.left() + area.width() - 400, 40, 400, 300));
    EXPECT_EQ(outerGeometry(*w.playlist()), QRect(player.x() + 400, 40, 250, 350));
    EXPECT_TRUE(w.playlist()->m_docked);
}

TEST(SavedGeometry, ClosingInFullScreenSavesThePlacesTheWindowsGoBackTo)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nMain_x=40\r\nMain_y=50\r\nMain_w=400\r\nMain_h=300\r\nPlayList_x=440\r\nPlayList_y=50\r\n"
               "PlayList_w=250\r\nPlayList_h=350\r\nPlayList_Show=1\r\n");
    CPlayerDlg& w = h.open();
    ASSERT_TRUE(w.playlist()->isVisible());
    w.ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    h.processEvents();
    ASSERT_TRUE(w.isFullScreen());
    ASSERT_NE(outerGeometry(w), QRect(40, 50, 400, 300));
    h.close();
    EXPECT_NE(h.iniText().find("Main_x=40\r\nMain_y=50\r\nMain_w=400\r\nMain_h=300\r\nPlayList_x=440\r\nPlayList_y=50"
                               "\r\nPlayList_w=250\r\nPlayList_h=350\r\nPlayList_Show=0\r\n"),
              std::string::npos)
        << h.iniText();
}

// On a busy machine the window system may still report a docked list's size from before
// the list was placed in its saved rectangle (the window manager answering its own first
// placement late). When the player then moves and takes the list along, the list keeps
// its saved size: whether the late report has reached only the native window so far, or
// the widget too.
TEST(SavedGeometry, ADockedListKeepsItsSavedSizeWhenAMoveMeetsALateReportOfAnOlderSize)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nMain_x=40\r\nMain_y=50\r\nMain_w=400\r\nMain_h=300\r\nPlayList_Show=1\r\n");
    CPlayerDlg& w = h.open();
    CPlayListDlg& list = *w.playlist();
    ASSERT_TRUE(list.isVisible());
    ASSERT_EQ(outerGeometry(list), QRect(440, 50, 250, 350));
    const QSize client = list.size();
    const QSize older = client + QSize(2, 25);
    QWindow& native = *list.windowHandle();

    native.setGeometry(QRect(list.geometry().topLeft(), older));
    w.move(w.pos() + QPoint(20, 0));
    h.processEvents();
    EXPECT_EQ(outerGeometry(list), QRect(460, 50, 250, 350));
    EXPECT_EQ(native.geometry().size(), client);

    native.setGeometry(QRect(list.geometry().topLeft(), older));
    h.processEvents();
    ASSERT_EQ(list.size(), older);
    w.move(w.pos() + QPoint(20, 0));
    h.processEvents();
    EXPECT_EQ(outerGeometry(list), QRect(480, 50, 250, 350));
    EXPECT_EQ(native.geometry().size(), client);
}

} // namespace
} // namespace zepo::test
