// Full screen, the display-mode change that may go with it, and cursor hiding.
#include "app/CSettingFile.h"
#include "platform/DisplayModes.h"
#include "platform/MessageBoxService.h"
#include "player/CPlayerDlg.h"
#include "player/DisplayModeChoice.h"
#include "playlist/CPlayListDlg.h"
#include "res/DialogTemplates.h"

#include <QGuiApplication>
#include <QScreen>

namespace zepo {

namespace {
// Timer 2: the cursor hides after this long without mouse movement in full screen.
constexpr int kCursorHideMs = 2000;
// Capacity of the saved-window table: only the first windows of the desktop are put back.
constexpr std::size_t kMaxSavedWindows = 30;
// Windows of this class are the desktop itself and are never recorded.
const std::string kDesktopClass = "Progman";
const std::string kNoModeForDefault = "画面モード取得失敗";
const std::string kNoModeForSetting = "設定に合う画面モードが見つかりませんでした\n設定直してくれ";
const std::string kRestartNeeded = "設定の変更を有効にするには\n再起動が必要です";
const std::string kChangeFailed = "設定の変更に失敗しました";
// What the movie's correction factors hold when nothing is corrected.
const std::string kNoCorrection = "1.0";

QRect outerRectOf(const QWidget& w)
{
    if (w.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        const QRect frame = w.frameGeometry();
        const QRect client = w.geometry();
        return w.normalGeometry().adjusted(frame.left() - client.left(), frame.top() - client.top(),
                                           frame.right() - client.right(), frame.bottom() - client.bottom());
    }
    return w.frameGeometry();
}
} // namespace

void CPlayerDlg::ToggleFullScreen(int leaveOnly)
{
    if (m_fullScreen == 1)
        leaveFullScreen();
    else if (leaveOnly == 0)
        enterFullScreen();
}

void CPlayerDlg::enterFullScreen()
{
    if (!m_playlist || !m_settings)
        return;
    recordDesktopWindows();
    playlistWasVisible_ = m_playlist->isVisible();
    playlistWasDocked_ = m_playlist->m_docked;
    m_playlist->hide();

    windowedState_ = windowState();
    windowedGeometry_ = (windowedState_ & Qt::WindowMaximized) ? normalGeometry() : geometry();
    windowedFrame_ = outerRectOf(*this);

    ChangeDisplayMode();
    // The window manager's full-screen state takes caption and border away and covers
    // the screen in the mode now in force, panels included.
    showFullScreen();
    raise();
    activateWindow();
    m_fullScreen = 1;
    SetPanelWatch(0);
    SetCursorHideTimer(1);
}

void CPlayerDlg::leaveFullScreen()
{
    ChangeDisplayMode();
    restoreDesktopWindows();

    if (windowedState_ & Qt::WindowMaximized) {
        showMaximized();
    } else {
        showNormal();
        setGeometry(windowedGeometry_);
    }
    raise();

    if (m_playlist) {
        if (playlistWasVisible_) {
            m_playlist->show();
        } else {
            m_playlist->hide();
        }
        // The windows' frames settle asynchronously; a docked playlist stays docked.
        if (playlistWasDocked_ == 1) {
            m_playlist->m_docked = 1;
            followDockedPlaylist();
        }
    }
    m_fullScreen = 0;
    SetCursorHideTimer(0);
    showCursorAgain();
}

void CPlayerDlg::recordDesktopWindows()
{
    savedWindows_.clear();
    // The playlist window is recorded by its title even when hidden; it needs a native
    // window for the desktop to list it.
    m_playlist->winId();
    const std::string playlistTitle = tmpl::kPlayListCaption;
    for (const DesktopWindow& window : services_.desktop.list()) {
        if (savedWindows_.size() >= kMaxSavedWindows)
            break;
        if (window.title.empty() || window.windowClass == kDesktopClass)
            continue;
        if (!window.visible && window.title != playlistTitle)
            continue;
        WindowPlacement placement;
        if (placementOf(window.id, placement))
            savedWindows_.push_back({window.id, placement});
    }
}

void CPlayerDlg::restoreDesktopWindows()
{
    for (const DesktopWindow& window : services_.desktop.list()) {
        for (const SavedWindow& saved : savedWindows_) {
            if (saved.id == window.id) {
                restorePlacement(saved.id, saved.placement);
                break;
            }
        }
    }
}

// Our own two windows are placed through Qt, which must keep knowing where they are;
// every other window through the desktop.
bool CPlayerDlg::placementOf(std::uint64_t id, WindowPlacement& out)
{
    QWidget* own = nullptr;
    if (id == internalWinId())
        own = this;
    else if (m_playlist && id == m_playlist->internalWinId())
        own = m_playlist.get();
    if (!own)
        return services_.desktop.placement(id, out);
    out.frame = outerRectOf(*own);
    out.maximized = own->isMaximized();
    out.minimized = own->isMinimized();
    return true;
}

void CPlayerDlg::restorePlacement(std::uint64_t id, const WindowPlacement& placement)
{
    if (id == internalWinId())
        return;  // the player window goes back to its exact rectangle after this
    if (m_playlist && id == m_playlist->internalWinId()) {
        const QSize frameExtra = m_playlist->frameGeometry().size() - m_playlist->geometry().size();
        m_playlist->resize(placement.frame.size() - frameExtra);
        m_playlist->move(placement.frame.topLeft());
        return;
    }
    services_.desktop.setPlacement(id, placement);
}

int CPlayerDlg::ChangeDisplayMode()
{
    if (m_fullScreen == 1) {
        m_player.SetVariable("FullScreenAdjust_h", kNoCorrection);
        m_player.SetVariable("FullScreenAdjust_w", kNoCorrection);
        services_.displayModes.restoreStartupMode();
        return 1;
    }
    if (!m_settings || m_settings->ChangeResolution == 0)
        return 0;

    DisplayMode current = services_.displayModes.current().value_or(DisplayMode{});
    if (current.width == 0 || current.height == 0 || current.bitsPerPixel == 0) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            current.width = screen->size().width();
            current.height = screen->size().height();
            current.bitsPerPixel = screen->depth();
        }
    }

    if (m_settings->ResolutionFullSize == -1) {
        const std::optional<int> found = findDefaultMode(services_.displayModes, current.bitsPerPixel);
        if (!found) {
            services_.messages.show(kNoModeForDefault);
            return -1;
        }
        // Kept in memory only; the settings dialog is where it is written down.
        m_settings->ResolutionFullSize = *found;
    }
    const std::optional<DisplayMode> target = services_.displayModes.mode(m_settings->ResolutionFullSize);
    if (!target) {
        services_.messages.show(kNoModeForSetting);
        return -1;
    }

    if (const std::optional<ModeCorrection> correction = correctionFor(current, *target))
        m_player.SetVariable(correction->variable, correction->value);

    switch (services_.displayModes.change(*target)) {
    case DisplayModes::ChangeResult::Successful:
        return 1;
    case DisplayModes::ChangeResult::Restart:
        services_.messages.show(kRestartNeeded);
        return 0;
    case DisplayModes::ChangeResult::Failed:
        break;
    }
    services_.messages.show(kChangeFailed);
    return 0;
}

void CPlayerDlg::SetCursorHideTimer(int on)
{
    if (!m_settings || m_settings->HideCursor == 0)
        return;
    if (on == 1)
        cursorHide_.start(kCursorHideMs, [this] { OnCursorHideTick(); });
    else
        cursorHide_.stop();
}

void CPlayerDlg::OnCursorHideTick()
{
    SetCursorHideTimer(0);
    if (cursorHidden_)
        return;
    // Blank over every window of ours until the pointer moves again.
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    cursorHidden_ = true;
}

void CPlayerDlg::showCursorAgain()
{
    if (!cursorHidden_)
        return;
    QGuiApplication::restoreOverrideCursor();
    cursorHidden_ = false;
}

} // namespace zepo
