// The player and playlist windows as a pair on the desktop: stacking on activation, the
// dialogs and message boxes that block the player only, and a second start that shows a
// minimised player again.
#include "platform/QtMessageBox.h"
#include "player/PlayerCommandIds.h"
#include "playlist/CPlayListDlg.h"
#include "tests/support/PlayerHarness.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

// Whether a window was blocked by a modal window, as the toolkit tells it.
class BlockWatch : public QObject {
public:
    explicit BlockWatch(QWidget& window) { window.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked)
            blocked = true;
        else if (event->type() == QEvent::WindowUnblocked)
            blocked = false;
        return false;
    }
    bool blocked = false;
};

// The player's playlist window, shown.
CPlayListDlg& shownPlaylist(CPlayerDlg& player)
{
    CPlayListDlg& list = *player.playlist();
    list.show();
    PlayerHarness::processEvents();
    return list;
}

void activate(QWidget& window)
{
    window.activateWindow();
    PlayerHarness::processEvents();
}

TEST(WindowPair, TheActivatedWindowGetsItsPartnerDirectlyBehindItWhicheverItIs)
{
    PlayerHarness h;
    CPlayerDlg& player = h.open();
    CPlayListDlg& list = shownPlaylist(player);
    const std::uint64_t playerId = player.winId(), listId = list.winId();

    activate(list);
    ASSERT_TRUE(list.isActiveWindow());
    ASSERT_FALSE(h.desktop.restacks.empty());
    EXPECT_EQ(h.desktop.restacks.back(), std::make_pair(playerId, listId));

    h.desktop.restacks.clear();
    activate(player);
    ASSERT_TRUE(player.isActiveWindow());
    ASSERT_FALSE(h.desktop.restacks.empty());
    EXPECT_EQ(h.desktop.restacks.back(), std::make_pair(listId, playerId));
    // One activation, one restack: the window losing activation leaves the order alone.
    EXPECT_EQ(h.desktop.restacks.size(), 1u);
}

TEST(WindowPair, DialogsOfThePlayerBlockThePlayerButNotThePlaylist)
{
    PlayerHarness h;
    CPlayerDlg& player = h.open();
    CPlayListDlg& list = shownPlaylist(player);
    BlockWatch playerWatch(player), listWatch(list);
    for (int id : {cmd::Settings, cmd::AspectDialog, cmd::About}) {
        bool playerBlocked = false, listBlocked = true;
        QTimer::singleShot(0, [&] {
            playerBlocked = playerWatch.blocked;
            listBlocked = listWatch.blocked;
            QApplication::activeModalWidget()->close();
        });
        player.OnCommand(id);
        EXPECT_TRUE(playerBlocked) << "command " << id;
        EXPECT_FALSE(listBlocked) << "command " << id;
        EXPECT_FALSE(playerWatch.blocked) << "command " << id;
    }
}

TEST(WindowPair, MessageBoxesBlockTheirOwnerOnlyAndHaveNoMinimiseOrMaximiseBox)
{
    QWidget owner, other;
    owner.show();
    other.show();
    BlockWatch ownerWatch(owner), otherWatch(other);
    bool ownerBlocked = false, otherBlocked = true;
    Qt::WindowFlags flags;
    QTimer::singleShot(0, [&] {
        ownerBlocked = ownerWatch.blocked;
        otherBlocked = otherWatch.blocked;
        QWidget* box = QApplication::activeModalWidget();
        flags = box->windowFlags();
        box->close();
    });
    QtMessageBox(&owner).show("ファイル取得失敗");
    EXPECT_TRUE(ownerBlocked);
    EXPECT_FALSE(otherBlocked);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST(WindowPair, AHandOverBringsAMinimisedPlayerBack)
{
    PlayerHarness h;
    CPlayerDlg& player = h.open();
    player.showMinimized();
    h.processEvents();
    ASSERT_TRUE(player.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(player.OnCopyData(0x8000, std::string(1, '\0')));
    h.processEvents();
    EXPECT_FALSE(player.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(player.isVisible());
}

} // namespace
} // namespace zepo::test
