#include "settings/CSettingFile.h"
#include "platform/FrameExtents.h"
#include "platform/OuterGeometry.h"
#include "playlist/CPlayListDlg.h"
#include "tests/support/PlayerHarness.h"

#include <QApplication>
#include <QWindow>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

std::vector<std::string> keysInOrder(const std::string& ini)
{
    std::vector<std::string> keys;
    std::size_t start = 0;
    while (start < ini.size()) {
        auto end = ini.find("\r\n", start);
        if (end == std::string::npos)
            end = ini.size();
        const std::string line = ini.substr(start, end - start);
        const auto eq = line.find('=');
        keys.push_back(eq == std::string::npos ? line : line.substr(0, eq));
        start = end + 2;
    }
    return keys;
}

TEST(PlayerWindow, FirstStartHasDefaultGeometryAndADockedHiddenPlaylist)
{
    PlayerHarness h;
    CPlayerDlg& w = h.open();
    EXPECT_EQ(w.windowTitle(), QString("ZEPO"));
    EXPECT_EQ(outerGeometry(w).size(), QSize(320, 270));
    CPlayListDlg& list = *w.playlist();
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(list.windowTitle(), QString::fromUtf8("ZEPO - プレイリスト"));
    EXPECT_TRUE(list.m_docked);
    list.show();
    h.processEvents();
    EXPECT_EQ(outerGeometry(list), QRect(outerGeometry(w).x() + 320, outerGeometry(w).y(), 250, 350));
    // The player movie fills the client area; the probe stays hidden.
    EXPECT_EQ(w.playerControl().geometry(), w.rect());
    EXPECT_FALSE(w.probeControl().isVisible());
    // Nothing is written before the window closes.
    EXPECT_TRUE(h.iniText().empty());
}

TEST(PlayerWindow, ClosingWritesPrevInfoInItsOrderAndTheNextStartRestoresIt)
{
    PlayerHarness h;
    CPlayerDlg& w = h.open();
    setOuterGeometry(w, QRect(40, 50, 400, 300));
    h.processEvents();
    w.playlist()->show();
    h.processEvents();
    h.close();
    const std::string ini = h.iniText();
    EXPECT_EQ(keysInOrder(ini),
              (std::vector<std::string>{"[PrevInfo]", "Main_x", "Main_y", "Main_w", "Main_h", "PlayList_x", "PlayList_y",
                                        "PlayList_w", "PlayList_h", "PlayList_Show", "Panel_Fix", "TopMost", "volume"}));
    EXPECT_NE(ini.find("Main_x=40\r\nMain_y=50\r\nMain_w=400\r\nMain_h=300\r\n"), std::string::npos) << ini;
    // The docked playlist followed the move.
    EXPECT_NE(ini.find("PlayList_x=440\r\nPlayList_y=50\r\nPlayList_w=250\r\nPlayList_h=350\r\n"), std::string::npos)
        << ini;
    EXPECT_NE(ini.find("PlayList_Show=1\r\nPanel_Fix=0\r\nTopMost=0\r\nvolume=100\r\n"), std::string::npos) << ini;

    CPlayerDlg& again = h.open();
    EXPECT_EQ(outerGeometry(again), QRect(40, 50, 400, 300));
    EXPECT_EQ(outerGeometry(*again.playlist()), QRect(440, 50, 250, 350));
    // "ok" applied the saved visibility.
    EXPECT_TRUE(again.playlist()->isVisible());
}

TEST(PlayerWindow, IncompleteMainKeysGiveTheDefaultSizeButKeepACompletePlaylistRect)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nMain_x=10\r\nMain_w=500\r\nPlayList_x=400\r\nPlayList_y=20\r\nPlayList_w=300\r\n"
               "PlayList_h=200\r\n");
    CPlayerDlg& w = h.open();
    EXPECT_EQ(outerGeometry(w).size(), QSize(320, 270));
    EXPECT_EQ(outerGeometry(*w.playlist()), QRect(400, 20, 300, 200));
    EXPECT_FALSE(w.playlist()->m_docked);
}

TEST(PlayerWindow, RestoreZeroIgnoresSavedGeometryButStillOverwritesIt)
{
    PlayerHarness h;
    h.writeIni("[Setting]\r\nRestore=0\r\n[PrevInfo]\r\nMain_x=10\r\nMain_y=10\r\nMain_w=600\r\nMain_h=500\r\n"
               "PlayList_Show=1\r\n");
    CPlayerDlg& w = h.open();
    EXPECT_EQ(outerGeometry(w).size(), QSize(320, 270));
    EXPECT_FALSE(w.playlist()->isVisible());
    h.close();
    EXPECT_NE(h.iniText().find("Main_w=320\r\nMain_h=270\r\n"), std::string::npos);
    EXPECT_EQ(h.iniText().rfind("[Setting]\r\nRestore=0\r\n", 0), 0u);
}

TEST(PlayerWindow, RestoreTwoRestoresGeometryButNotTheSavedState)
{
    PlayerHarness h;
    h.writeIni("[Setting]\r\nRestore=2\r\n[PrevInfo]\r\nMain_x=10\r\nMain_y=20\r\nMain_w=600\r\nMain_h=500\r\n"
               "PlayList_Show=1\r\nTopMost=1\r\nvolume=30\r\nPanel_Fix=1\r\n");
    CPlayerDlg& w = h.open();
    EXPECT_EQ(outerGeometry(w), QRect(10, 20, 600, 500));
    EXPECT_FALSE(w.playlist()->isVisible());
    EXPECT_FALSE(w.isTopMost());
    EXPECT_EQ(w.playerControl().GetVariable("vol_mfc"), "100");
}

TEST(PlayerWindow, SavedStateIsAppliedWhenThePlayerMovieIsReady)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nTopMost=1\r\nvolume=30\r\n");
    CPlayerDlg& w = h.open();
    EXPECT_TRUE(w.isTopMost());
    EXPECT_GT(w.panelHeight(), 0);
    h.close();
    EXPECT_NE(h.iniText().find("TopMost=1\r\nvolume=30\r\n"), std::string::npos) << h.iniText();
}

// Counts the player window's hidings, wherever they come from.
class PlayerHideCounter : public QObject {
public:
    PlayerHideCounter() { qApp->installEventFilter(this); }
    ~PlayerHideCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && qobject_cast<CPlayerDlg*>(watched))
            ++count;
        return false;
    }
    int count = 0;
};

// A window hidden and shown again is unmapped and framed anew by the window manager,
// which then wraps its frame around a client that already has the saved outer size:
// the restored topmost must come without that.
TEST(PlayerWindow, SavedTopMostKeepsTheWindowWhereAndAsLargeAsItWas)
{
    PlayerHarness h;
    h.writeIni("[PrevInfo]\r\nMain_x=40\r\nMain_y=50\r\nMain_w=400\r\nMain_h=300\r\nTopMost=1\r\n");
    PlayerHideCounter hides;
    CPlayerDlg& w = h.open();
    ASSERT_TRUE(w.isTopMost());
    EXPECT_TRUE(w.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(hides.count, 0);
    EXPECT_EQ(outerGeometry(w), QRect(40, 50, 400, 300));
}

TEST(PlayerWindow, PanelFixIsStoredAsOneForAnyTextButExactlyZero)
{
    for (const auto& [text, stored] : std::vector<std::pair<std::string, std::string>>{
             {"0", "Panel_Fix=0"}, {"1", "Panel_Fix=1"}, {"", "Panel_Fix=1"}, {"00", "Panel_Fix=1"}}) {
        PlayerHarness h;
        CPlayerDlg& w = h.open();
        w.playerControl().SetVariable("_root.fix_flag", text);
        h.close();
        EXPECT_NE(h.iniText().find(stored + "\r\n"), std::string::npos) << "fix_flag '" << text << "'";
    }
}

TEST(PlayerWindow, PlaylistSnapsWithinTenPixelsAndADockedOneFollows)
{
    PlayerHarness h;
    CPlayerDlg& w = h.open();
    w.move(100, 100);
    h.processEvents();
    CPlayListDlg& list = *w.playlist();
    list.show();
    h.processEvents();
    const int right = outerGeometry(w).x() + outerGeometry(w).width();

    list.move(right + 11, 100);
    h.processEvents();
    EXPECT_FALSE(list.m_docked);
    EXPECT_EQ(outerGeometry(list).topLeft(), QPoint(right + 11, 100));

    list.move(right + 10, 110);
    h.processEvents();
    EXPECT_TRUE(list.m_docked);
    EXPECT_EQ(outerGeometry(list).topLeft(), QPoint(right, 100));

    w.move(200, 150);
    h.processEvents();
    EXPECT_EQ(outerGeometry(list).topLeft(), QPoint(200 + outerGeometry(w).width(), 150));

    list.move(900, 600);
    h.processEvents();
    EXPECT_FALSE(list.m_docked);
    w.move(210, 150);
    h.processEvents();
    EXPECT_EQ(outerGeometry(list).topLeft(), QPoint(900, 600));
}

TEST(PlayerWindow, EnterEscapeAndTheCloseBoxOfThePlaylistNeverCloseTheirWindows)
{
    PlayerHarness h;
    CPlayerDlg& w = h.open();
    w.playlist()->show();
    w.reject();
    w.accept();
    EXPECT_TRUE(w.isVisible());
    w.playlist()->reject();
    EXPECT_FALSE(w.playlist()->isVisible());
    EXPECT_TRUE(w.isVisible());
}

} // namespace
} // namespace zepo::test
