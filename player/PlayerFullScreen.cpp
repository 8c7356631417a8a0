// Full screen, the display-mode change that may go with it, and cursor hiding.
#include "settings/CSettingFile.h"
#include "platform/CurrentDisplayMode.h"
#include "platform/DefaultDisplayMode.h"
#include "platform/FrameExtents.h"
#include "platform/MessageBoxService.h"
#include "platform/OuterGeometry.h"
#include "player/CPlayerDlg.h"
#include "player/DisplayModeChoice.h"
#include "playlist/CPlayListDlg.h"
#include "res/DialogTemplates.h"
#include "res/MessageTexts.h"

#include <QCursor>
#include <QScreen>

namespace zepo {

namespace {
// Timer 2: the cursor hides after this long without mouse movement in full screen.
constexpr int kCursorHideMs = 2000;
// Capacity of the saved-window table: only the first windows of the desktop are put back.
constexpr std::size_t kMaxSavedWindows = 30;
// Windows of this class are the desktop itself and are never recorded.
const std::string kDesktopClass = "Progman";
const std::string kNoModeForSetting = "設定に合う画面モードが見つかりませんでした\n設定直してくれ";
const std::string kRestartNeeded = "設定の変更を有効にするには\n再起動が必要です";
const std::string kChangeFailed = "設定の変更に失敗しました";
// What the movie's correction factors hold when nothing is corrected.
const std::string kNoCorrection = "1.0";
} // namespace

void CPlayerDlg::ToggleFullScreen(FullScreenToggle toggle)
{
    if (m_fullScreen)
        leaveFullScreen();
    else if (toggle == FullScreenToggle::EnterOrLeave)
        enterFullScreen();
}

void CPlayerDlg::enterFullScreen()
{
    if (!m_playlist || !m_settings)
        return;
    recordDesktopWindows();
    playlistWasVisible_ = m_playlist->isVisible();
    playlistOuter_ = normalOuterGeometry(*m_playlist);
    m_playlist->hide();
    playlistWasDocked_ = m_playlist->m_docked;

    windowedState_ = windowState();
    windowedGeometry_ = (windowedState_ & Qt::WindowMaximized) ? normalGeometry() : geometry();
    windowedOuter_ = normalOuterGeometry(*this);

    ChangeDisplayMode();
    // The window manager's full-screen state takes caption and border away and covers
    // the screen in the mode now in force, panels included.
    showFullScreen();
    if (!services_.desktop.managesFullScreen())
        coverScreen();
    raise();
    activateWindow();
    m_fullScreen = true;
    SetPanelWatch(false);
    SetCursorHideTimer(true);
    retryDisplayModeOnceFullScreen();
}

// With no window manager to take it there, the window covers the screen itself, and
// again once the screen has taken the new display mode's size.
void CPlayerDlg::coverScreen()
{
    QScreen* shown = screen();
    if (!shown)
        return;
    setGeometry(shown->geometry());
    screenWatch_ = connect(shown, &QScreen::geometryChanged, this, [this](const QRect& area) { setGeometry(area); });
}

void CPlayerDlg::leaveFullScreen()
{
    disconnect(screenWatch_);
    // The window never came to cover the screen: the change asked for failed. It is told
    // once the windows are back, not while the full-screen window still covers them.
    const bool changeRefused = modeRetry_.has_value();
    modeRetry_.reset();
    ChangeDisplayMode();
    restoreDesktopWindows();

    if (windowedState_ & Qt::WindowMaximized) {
        showMaximized();
    } else {
        showNormal();
        setGeometry(windowedGeometry_);
    }
    raise();
    restorePlaylistWindow();

    m_fullScreen = false;
    SetCursorHideTimer(false);
    showCursorAgain();
    if (changeRefused)
        tellModeChangeFailed();
}

void CPlayerDlg::restorePlaylistWindow()
{
    if (!m_playlist)
        return;
    // While hidden it followed the player around: it goes back to its place first, so
    // that it shows there.
    moveOuterTo(*m_playlist, playlistOuter_.topLeft());
    if (!playlistWasVisible_) {
        m_playlist->hide();
        m_playlist->m_docked = playlistWasDocked_;
        return;
    }
    m_playlist->show();
    // Showing ran the docking rules against our frame, which the window manager has not
    // given back yet, and Qt's idea of where a framed window stands may lag behind the
    // desktop's: the recorded placement is the desktop's own, and it goes back last.
    m_playlist->m_docked = playlistWasDocked_;
    const std::uint64_t id = m_playlist->internalWinId();
    for (const SavedWindow& saved : savedWindows_) {
        if (saved.id == id) {
            services_.desktop.setPlacement(id, saved.placement);
            break;
        }
    }
}

void CPlayerDlg::recordDesktopWindows()
{
    savedWindows_.clear();
    // The playlist window is recorded by its title even when hidden.
    const std::string playlistTitle = tmpl::kPlayList.caption;
    for (const DesktopWindow& window : services_.desktop.list()) {
        if (savedWindows_.size() >= kMaxSavedWindows)
            break;
        if (window.title.empty() || window.windowClass == kDesktopClass)
            continue;
        if (!window.visible && window.title != playlistTitle)
            continue;
        SavedWindow saved{window.id, {}};
        if (services_.desktop.placement(window.id, saved.placement))
            savedWindows_.push_back(saved);
    }
}

void CPlayerDlg::restoreDesktopWindows()
{
    // Our own windows are left to Qt, which must keep knowing where they stand: the
    // player goes back to its exact rectangle, the playlist once it shows again.
    const std::uint64_t own[] = {internalWinId(), m_playlist ? m_playlist->internalWinId() : 0};
    for (const DesktopWindow& window : services_.desktop.list()) {
        if (window.id == own[0] || window.id == own[1])
            continue;
        for (const SavedWindow& saved : savedWindows_) {
            if (saved.id == window.id) {
                services_.desktop.setPlacement(saved.id, saved.placement);
                break;
            }
        }
    }
}

void CPlayerDlg::ChangeDisplayMode()
{
    if (m_fullScreen) {
        m_player.SetVariable("FullScreenAdjust_h", kNoCorrection);
        m_player.SetVariable("FullScreenAdjust_w", kNoCorrection);
        services_.displayModes.restoreStartupMode();
        return;
    }
    if (!m_settings || m_settings->ChangeResolution == 0)
        return;

    const DisplayMode current = currentDisplayMode(services_.displayModes);

    if (m_settings->ResolutionFullSize == -1) {
        const std::optional<int> found = defaultFullScreenMode(services_.displayModes, current);
        if (!found) {
            services_.messages.show(kNoDisplayModeText);
            return;
        }
        // Kept in memory only; the settings dialog is where it is written down.
        m_settings->ResolutionFullSize = *found;
    }
    const std::optional<DisplayMode> target = services_.displayModes.mode(m_settings->ResolutionFullSize);
    if (!target) {
        services_.messages.show(kNoModeForSetting);
        return;
    }

    if (const std::optional<ModeCorrection> correction = correctionFor(current, *target))
        m_player.SetVariable(correction->variable, correction->value);

    requestDisplayMode(*target, ModeAttempt::First);
}

// A display server may change the mode only for a program whose window already covers the
// screen (XWayland emulates the mode for that window alone): a change refused before the
// window is full screen is asked for again once it is. A change that still fails is told
// once a session, not at every full screen.
void CPlayerDlg::requestDisplayMode(const DisplayMode& target, ModeAttempt attempt)
{
    switch (services_.displayModes.change(target)) {
    case DisplayModes::ChangeResult::Successful:
        break;
    case DisplayModes::ChangeResult::Restart:
        services_.messages.show(kRestartNeeded);
        break;
    case DisplayModes::ChangeResult::Failed:
        if (attempt == ModeAttempt::First) {
            modeRetry_ = target;
            return;
        }
        tellModeChangeFailed();
        break;
    }
}

void CPlayerDlg::retryDisplayModeOnceFullScreen()
{
    const QScreen* shown = screen();
    if (!modeRetry_ || !m_fullScreen || !shown || geometry() != shown->geometry())
        return;
    const DisplayMode target = *modeRetry_;
    modeRetry_.reset();
    requestDisplayMode(target, ModeAttempt::Retry);
}

void CPlayerDlg::tellModeChangeFailed()
{
    if (modeChangeFailureTold_)
        return;
    modeChangeFailureTold_ = true;
    services_.messages.show(kChangeFailed);
}

void CPlayerDlg::SetCursorHideTimer(bool on)
{
    if (!m_settings || m_settings->HideCursor == 0)
        return;
    if (on)
        cursorHide_.start(kCursorHideMs, [this] { OnCursorHideTick(); });
    else
        cursorHide_.stop();
}

void CPlayerDlg::OnCursorHideTick()
{
    SetCursorHideTimer(false);
    if (!blankedCursors_.empty())
        return;
    // The window and every child that sets a cursor of its own; the others show their
    // parent's. Other windows, a dialog over the video for one, keep theirs.
    QList<QWidget*> widgets = findChildren<QWidget*>();
    widgets.prepend(this);
    for (QWidget* widget : widgets) {
        if (widget != this && !widget->testAttribute(Qt::WA_SetCursor))
            continue;
        BlankedCursor blanked{widget, std::nullopt};
        if (widget->testAttribute(Qt::WA_SetCursor))
            blanked.own = widget->cursor();
        blankedCursors_.push_back(blanked);
        widget->setCursor(Qt::BlankCursor);
    }
}

void CPlayerDlg::showCursorAgain()
{
    for (const BlankedCursor& blanked : blankedCursors_) {
        if (!blanked.widget)
            continue;
        if (blanked.own)
            blanked.widget->setCursor(*blanked.own);
        else
            blanked.widget->unsetCursor();
    }
    blankedCursors_.clear();
}

} // namespace zepo
