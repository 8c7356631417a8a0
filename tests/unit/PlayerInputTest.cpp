// The player window's shortcut keys, input filter, drops and context menu.
#include "platform/VirtualKeys.h"
#include "player/ContextMenu.h"
#include "player/PlayerCommandIds.h"
#include "tests/unit/PlayerWindowFixture.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

namespace zepo::test {
namespace {

using Outcome = FilterOutcome;

std::string joined(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + item;
    return out;
}

class PlayerInputTest : public PlayerWindowTest {
protected:
    Outcome key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers);
        return player->PreTranslateMessage(&player->playerControl(), &event);
    }
    Outcome mouse(QEvent::Type type, Qt::MouseButton button, QPoint at)
    {
        QMouseEvent event(type, at, player->mapToGlobal(at), button, button, Qt::NoModifier);
        return player->PreTranslateMessage(&player->playerControl(), &event);
    }
    // Everything a key can change: the movies' host commands, topmost, the playlist.
    std::string effects()
    {
        std::string state = joined(jumps("player")) + " | " + joined(jumps("playlist"));
        state += player->isTopMost() ? " | topmost" : "";
        state += player->playlist()->isVisible() ? " | playlist" : "";
        return state;
    }
    // The window's panel height comes from the player movie when it reports ready.
    void setPanelHeight(int pixels)
    {
        player->playerControl().SetVariable("c_height", std::to_string(pixels));
        player->ApplySavedState();
    }
};

struct KeyRow {
    int key;  // Qt key
    bool ctrl;
    std::string effect;  // what effects() reads afterwards
    Outcome returns;
};
constexpr Outcome S = Outcome::Standard, D = Outcome::Direct;

TEST_F(PlayerInputTest, EveryShortcutKeyWithAndWithoutCtrl)
{
    const KeyRow rows[] = {
        {Qt::Key_Return, false, " | ", D},          {Qt::Key_Return, true, " | ", D},
        {Qt::Key_Escape, false, " | ", D},          {Qt::Key_Escape, true, " | ", D},
        {Qt::Key_Space, false, " | ", S},           {Qt::Key_Space, true, " |  | playlist", S},
        {Qt::Key_PageUp, false, " | gotoPrevFlv_2", S}, {Qt::Key_PageUp, true, " | gotoPrevFlv_2", S},
        {Qt::Key_PageDown, false, " | gotoNextFlv_2", S}, {Qt::Key_PageDown, true, " | gotoNextFlv_2", S},
        {Qt::Key_Left, false, " | ", S},            {Qt::Key_Left, true, "back | ", D},
        {Qt::Key_Up, false, " | ", S},              {Qt::Key_Up, true, "volUp | ", D},
        {Qt::Key_Right, false, " | ", S},           {Qt::Key_Right, true, "forward | ", D},
        {Qt::Key_Down, false, " | ", S},            {Qt::Key_Down, true, "volDown | ", D},
        {Qt::Key_A, false, " | ", S},               {Qt::Key_A, true, "ratio | ", S},
        {Qt::Key_B, false, " | ", S},               {Qt::Key_B, true, "forward | ", D},
        {Qt::Key_C, false, " | ", S},               {Qt::Key_C, true, "pause | ", S},
        {Qt::Key_F, false, " | ", S},               {Qt::Key_F, true, " |  | topmost", S},
        {Qt::Key_N, false, " | ", D},               {Qt::Key_N, true, "repeat | ", D},
        {Qt::Key_S, false, " | ", S},               {Qt::Key_S, true, "fix | ", S},
        {Qt::Key_V, false, " | ", S},               {Qt::Key_V, true, "back | ", D},
        {Qt::Key_X, false, " | ", S},               {Qt::Key_X, true, "stop | ", S},
        {Qt::Key_Z, false, " | ", S},               {Qt::Key_Z, true, "play | ", S},
        {Qt::Key_Q, true, " | ", S},                {Qt::Key_Tab, false, " | ", S},
        {Qt::Key_Home, true, " | ", S},             {Qt::Key_F1, false, " | ", S},
        {Qt::Key_Delete, false, " | ", S},          {Qt::Key_5, true, " | ", S},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(QKeySequence(row.key).toString().toStdString() + (row.ctrl ? " with Ctrl" : ""));
        log->clear();
        EXPECT_EQ(player->OnShortcutKey(virtualKeyFromQt(row.key), row.ctrl), row.returns);
        EXPECT_EQ(effects(), row.effect);
        // Undo the two toggles so every row starts from the same state.
        if (player->isTopMost())
            player->OnCommand(cmd::TopMost);
        player->playlist()->hide();
    }
}

TEST_F(PlayerInputTest, ShiftIsIgnoredAndRepeatsActEachTime)
{
    QKeyEvent ctrlShiftZ(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(player->PreTranslateMessage(&player->playerControl(), &ctrlShiftZ), Outcome::Standard);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::ControlModifier, QString(), true);
        EXPECT_EQ(player->PreTranslateMessage(&player->playerControl(), &repeat), Outcome::Direct);
    }
    EXPECT_EQ(joined(jumps("player")), "play volUp volUp volUp");
}

TEST_F(PlayerInputTest, EscapeLeavesFullScreenAndNothingElse)
{
    EXPECT_EQ(key(Qt::Key_Escape), Outcome::Direct);
    EXPECT_FALSE(player->isFullScreen());
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    ASSERT_TRUE(player->isFullScreen());
    EXPECT_EQ(key(Qt::Key_Escape), Outcome::Direct);
    EXPECT_FALSE(player->isFullScreen());
}

TEST_F(PlayerInputTest, AltKeysAreSystemKeysAndOnlyAltEnterActs)
{
    EXPECT_EQ(key(Qt::Key_X, Qt::AltModifier), Outcome::Direct);
    EXPECT_EQ(key(Qt::Key_Left, Qt::AltModifier), Outcome::Direct);
    EXPECT_TRUE(jumps("player").empty());
    EXPECT_EQ(key(Qt::Key_Return, Qt::AltModifier), Outcome::Consumed);
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_EQ(key(Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier), Outcome::Consumed);
    EXPECT_FALSE(player->isFullScreen());
    // Ctrl+Alt is no system key: Ctrl+Alt+Z plays.
    EXPECT_EQ(key(Qt::Key_Z, Qt::AltModifier | Qt::ControlModifier), Outcome::Standard);
    EXPECT_EQ(joined(jumps("player")), "play");
}

TEST_F(PlayerInputTest, ThePlaylistWindowTellsSystemKeysAsThePlayerDoes)
{
    CPlayListDlg& list = *player->playlist();
    const auto listKey = [&](int qtKey, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers);
        return list.PreTranslateMessage(&list.movie(), &event);
    };
    EXPECT_EQ(listKey(Qt::Key_X, Qt::AltModifier), Outcome::Direct);
    // Ctrl+Alt+Enter is Enter with Ctrl: it ends at the filter and toggles nothing.
    EXPECT_EQ(listKey(Qt::Key_Return, Qt::AltModifier | Qt::ControlModifier), Outcome::Consumed);
    EXPECT_FALSE(player->isFullScreen());
    EXPECT_EQ(listKey(Qt::Key_Z, Qt::AltModifier | Qt::ControlModifier), Outcome::Standard);
    EXPECT_EQ(joined(jumps("player")), "play");
    EXPECT_EQ(listKey(Qt::Key_Return, Qt::AltModifier), Outcome::Consumed);
    EXPECT_TRUE(player->isFullScreen());
}

TEST_F(PlayerInputTest, EnterAndEscapeNeverCloseTheWindowAndCtrlArrowsKeepTheFocus)
{
    player->show();
    player->playerControl().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(&player->playerControl(), k);
    QTest::keyClick(player.get(), Qt::Key_Escape);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->result(), 0);

    QTest::keyClick(&player->playerControl(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(&player->playerControl(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(player->focusWidget(), &player->playerControl());
    EXPECT_EQ(joined(jumps("player")), "forward volDown");
}

TEST_F(PlayerInputTest, AKeyHandedOnToTheParentActsOnce)
{
    // A child that ignores keys: Qt offers the same event to the player window next,
    // and the filter sees it there a second time.
    auto* plain = new QWidget(player.get());
    plain->setFocusPolicy(Qt::StrongFocus);
    player->show();
    plain->setFocus();
    QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(joined(jumps("player")), "play play");
}

TEST_F(PlayerInputTest, DoubleClickAboveThePanelTogglesFullScreen)
{
    constexpr int kPanel = 48;
    setPanelHeight(kPanel);
    const int boundary = player->height() - kPanel;
    // On the panel: for the movie.
    EXPECT_EQ(mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, boundary + 1}), Outcome::Standard);
    EXPECT_FALSE(player->isFullScreen());
    // The boundary row belongs to the video.
    EXPECT_EQ(mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, boundary}), Outcome::Consumed);
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_EQ(mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 0}), Outcome::Consumed);
    EXPECT_FALSE(player->isFullScreen());
    // A right double-click is a right press: swallowed, nothing toggles.
    EXPECT_EQ(mouse(QEvent::MouseButtonDblClick, Qt::RightButton, {10, 0}), Outcome::Consumed);
    EXPECT_FALSE(player->isFullScreen());
}

TEST_F(PlayerInputTest, RightButtonOpensTheMenuOnReleaseAtThatPoint)
{
    int menus = 0;
    QPoint shownAt;
    player->setContextMenuRunner([&](QMenu&, const QPoint& at) -> QAction* {
        ++menus;
        shownAt = at;
        return nullptr;
    });
    EXPECT_EQ(mouse(QEvent::MouseButtonPress, Qt::RightButton, {30, 40}), Outcome::Consumed);
    EXPECT_EQ(menus, 0);
    EXPECT_EQ(mouse(QEvent::MouseButtonRelease, Qt::RightButton, {30, 40}), Outcome::Consumed);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(shownAt, player->mapToGlobal(QPoint(30, 40)));
    QContextMenuEvent contextMenu(QContextMenuEvent::Mouse, {30, 40}, player->mapToGlobal(QPoint(30, 40)));
    EXPECT_EQ(player->PreTranslateMessage(&player->playerControl(), &contextMenu), Outcome::Consumed);
    // The left button stays the movie's.
    EXPECT_EQ(mouse(QEvent::MouseButtonPress, Qt::LeftButton, {30, 40}), Outcome::Standard);
    EXPECT_EQ(mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {30, 40}), Outcome::Standard);
    EXPECT_EQ(menus, 1);
}

TEST_F(PlayerInputTest, WheelStepsTheVolumeOncePerMessageOnlyWithTheLeftButtonHeld)
{
    player->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    const auto wheel = [&](QObject* target, QWheelEvent& event) { return player->PreTranslateMessage(target, &event); };
    const auto makeWheel = [&](int delta) {
        return QWheelEvent({20, 20}, player->mapToGlobal(QPoint(20, 20)), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, false);
    };

    QWheelEvent up = makeWheel(120);
    EXPECT_EQ(wheel(&player->playerControl(), up), Outcome::Standard);
    EXPECT_TRUE(jumps("player").empty());

    QTest::mousePress(player->windowHandle(), Qt::LeftButton, Qt::NoModifier, {20, 20});
    QWheelEvent big = makeWheel(480);
    wheel(&player->playerControl(), big);
    QWheelEvent down = makeWheel(-120);
    wheel(&player->playerControl(), down);
    // The same message offered to the window after the control ignored it.
    wheel(player.get(), down);
    QWheelEvent sideways = makeWheel(0);
    wheel(&player->playerControl(), sideways);
    QTest::mouseRelease(player->windowHandle(), Qt::LeftButton, Qt::NoModifier, {20, 20});
    EXPECT_EQ(joined(jumps("player")), "volUp volDown");
}

TEST_F(PlayerInputTest, DropsAppendWithCtrlAndReplaceWithout)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/films/b c.flv"), QUrl("https://example.org/x.flv"),
                  QUrl::fromLocalFile("/films/a.flv")});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(player->PreTranslateMessage(player.get(), &enter), Outcome::Standard);
    EXPECT_TRUE(enter.isAccepted());

    QDropEvent plain({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(player->PreTranslateMessage(player.get(), &plain), Outcome::Standard);
    QDropEvent withCtrl({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::ControlModifier);
    player->PreTranslateMessage(player.get(), &withCtrl);

    ASSERT_EQ(player->added.size(), 2u);
    const std::vector<std::string> inOrder{"/films/b c.flv", "/films/a.flv"};
    EXPECT_EQ(player->added[0].paths, inOrder);
    EXPECT_EQ(player->added[0].mode, AddMode::Replace);
    EXPECT_EQ(player->added[1].paths, inOrder);
    EXPECT_EQ(player->added[1].mode, AddMode::Append);
}

TEST_F(PlayerInputTest, DroppedNamesThatAreNotUtf8KeepTheirBytes)
{
    QMimeData data;
    // "テスト.flv" in Shift-JIS, percent-encoded as a drop carries it.
    data.setUrls({QUrl::fromEncoded("file:///films/%83e%83X%83g.flv")});
    QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    player->PreTranslateMessage(player.get(), &drop);
    ASSERT_EQ(player->added.size(), 1u);
    EXPECT_EQ(player->added[0].paths, std::vector<std::string>{"/films/\x83\x65\x83\x58\x83\x67.flv"});
}

// One line per menu entry: "id text [check state]", "-" for a separator, submenus
// indented under their title.
std::vector<std::string> describe(const QMenu& menu, const std::string& indent = "")
{
    std::vector<std::string> lines;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            lines.push_back(indent + "-");
            continue;
        }
        EXPECT_TRUE(action->isEnabled());
        std::string line = indent + std::to_string(commandOf(action)) + " " + action->text().toStdString();
        if (action->isCheckable())
            line += action->isChecked() ? " [x]" : " [ ]";
        lines.push_back(line);
        if (action->menu())
            for (const std::string& sub : describe(*action->menu(), indent + "  "))
                lines.push_back(sub);
    }
    return lines;
}

TEST_F(PlayerInputTest, ContextMenuItemsTextsOrderAndCheckMarks)
{
    std::vector<std::string> seen;
    QAction* toChoose = nullptr;
    int chooseId = 0;
    player->setContextMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        seen = describe(menu);
        for (QAction* action : menu.actions())
            if (commandOf(action) == chooseId)
                toChoose = action;
        return chooseId ? toChoose : nullptr;
    });

    player->ShowContextMenu(10, 10);
    const std::vector<std::string> windowed{
        "102 フルスクリーン\tAlt+Enter [ ]",
        "103 最前面固定\tCtrl+F [ ]",
        "118 アスペクト比",
        "104 プレイリスト\tCtrl+Space [ ]",
        "0 操作",
        "  110 再生\tCtrl+Z",
        "  111 停止\tCtrl+X",
        "  109 一時停止\tCtrl+C",
        "  105 巻き戻し\tCtrl+V or Ctrl+Left",
        "  106 早送り\tCtrl+B or Ctrl+Right",
        "  112 リピート\tCtrl+N",
        "  -",
        "  113 アスペクト比\tCtrl+A",
        "  114 パネル固定\tCtrl+S",
        "  -",
        "  107 前のファイル\tPageUP",
        "  108 次のファイル\tPageDown",
        "  -",
        "  115 音量Up\tCtrl+Up",
        "  116 音量Down\tCtrl+Down",
        "117 設定",
        "-",
        "57664 ZEPOのバージョン情報",
    };
    EXPECT_EQ(seen, windowed);

    // Chosen items run their commands; the menu is built anew and shows the new state.
    chooseId = cmd::TopMost;
    player->ShowContextMenu(10, 10);
    chooseId = cmd::PlayList;
    player->ShowContextMenu(10, 10);
    chooseId = cmd::FullScreen;
    player->ShowContextMenu(10, 10);
    ASSERT_TRUE(player->isFullScreen());
    chooseId = 0;
    player->ShowContextMenu(10, 10);
    EXPECT_EQ(seen[0], "102 フルスクリーン\tAlt+Enter or Esc [x]");
    EXPECT_EQ(seen[1], "103 最前面固定\tCtrl+F [x]");
    // The playlist hides in full screen.
    EXPECT_EQ(seen[3], "104 プレイリスト\tCtrl+Space [ ]");

    player->ToggleFullScreen(FullScreenToggle::LeaveOnly);
    ASSERT_TRUE(player->playlist()->isVisible());
    player->ShowContextMenu(10, 10);
    EXPECT_EQ(seen[3], "104 プレイリスト\tCtrl+Space [x]");
    // Closed with its own close box, the playlist only hides: the mark follows.
    static_cast<QDialog*>(player->playlist())->reject();
    player->ShowContextMenu(10, 10);
    EXPECT_EQ(seen[3], "104 プレイリスト\tCtrl+Space [ ]");
}

TEST_F(PlayerInputTest, MenuCommandsReachTheirMovies)
{
    for (int id : {cmd::Rewind, cmd::FastForward, cmd::Pause, cmd::Play, cmd::Stop, cmd::Repeat, cmd::AspectChooser,
                   cmd::FixPanel, cmd::VolumeUp, cmd::VolumeDown, cmd::PrevFile, cmd::NextFile})
        player->OnCommand(id);
    EXPECT_EQ(joined(jumps("player")), "back forward pause play stop repeat ratio fix volUp volDown");
    EXPECT_EQ(joined(jumps("playlist")), "gotoPrevFlv_2 gotoNextFlv_2");
}

TEST_F(PlayerInputTest, TopmostToggleKeepsThePlace)
{
    player->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    const QRect before = player->geometry();
    player->OnCommand(cmd::TopMost);
    EXPECT_TRUE(player->isTopMost());
    EXPECT_TRUE(player->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(player->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->geometry(), before);
    player->OnCommand(cmd::TopMost);
    EXPECT_FALSE(player->isTopMost());
    EXPECT_FALSE(player->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(PlayerInputTest, SettingsCommandLeavesFullScreenFirstAndBlocksTheDoubleClick)
{
    setPanelHeight(0);
    player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
    ASSERT_TRUE(player->isFullScreen());
    bool fullScreenWhileOpen = true;
    Outcome doubleClickWhileOpen = Outcome::Consumed;
    QTimer::singleShot(0, [&] {
        fullScreenWhileOpen = player->isFullScreen();
        doubleClickWhileOpen = mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10});
        QApplication::activeModalWidget()->close();
    });
    player->OnCommand(cmd::Settings);
    EXPECT_FALSE(fullScreenWhileOpen);
    EXPECT_EQ(doubleClickWhileOpen, Outcome::Standard);
    EXPECT_FALSE(player->isFullScreen());
    // Closed, the double-click works again.
    EXPECT_EQ(mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10}), Outcome::Consumed);
}

TEST_F(PlayerInputTest, AspectAndAboutCommandsRunTheirDialogsOwnedByThePlayer)
{
    for (int id : {cmd::AspectDialog, cmd::About}) {
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            owner = shown->parentWidget();
            shown->close();
        });
        player->OnCommand(id);
        EXPECT_EQ(owner, player.get());
    }
}

} // namespace
} // namespace zepo::test
