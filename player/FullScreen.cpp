#include "player/FullScreen.h"

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
#include "settings/CSettingFile.h"

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

FullScreen::FullScreen(CPlayerDlg& window, DisplayModes& displayModes, DesktopWindows& desktop,
                       MessageBoxService& messages, TimerService& timers)
    : window_(window), displayModes_(displayModes), desktop_(desktop), messages_(messages), cursorHide_(timers)
{
}

void FullScreen::toggle(FullScreenToggle toggle)
{
    if (on_)
        leave();
    else if (toggle == FullScreenToggle::EnterOrLeave)
        enter();
}

std::optional<FullScreen::WindowedPlaces> FullScreen::windowedPlaces() const
{
    if (!on_)
        return std::nullopt;
    return windowedOuter_;
}

void FullScreen::enter()
{
    CPlayListDlg* playlist = window_.playlist();
    if (!playlist || !window_.settings())
        return;
    recordDesktopWindows();
    playlistWasVisible_ = playlist->isVisible();
    windowedOuter_.playlist = normalOuterGeometry(*playlist);
    playlist->hide();
    playlistWasDocked_ = playlist->m_docked;

    windowedState_ = window_.windowState();
    windowedGeometry_ = (windowedState_ & Qt::WindowMaximized) ? window_.normalGeometry() : window_.geometry();
    windowedOuter_.player = normalOuterGeometry(window_);

    ChangeDisplayMode();
    // The window manager's full-screen state takes caption and border away and covers
    // the screen in the mode now in force, panels included.
    window_.showFullScreen();
    if (!desktop_.managesFullScreen())
        coverScreen();
    window_.raise();
    window_.activateWindow();
    on_ = true;
    window_.SetPanelWatch(false);
    SetCursorHideTimer(true);
    retryDisplayModeOnceCovering();
}

// With no window manager to take it there, the window covers the screen itself, and
// again once the screen has taken the new display mode's size.
void FullScreen::coverScreen()
{
    QScreen* shown = window_.screen();
    if (!shown)
        return;
    window_.setGeometry(shown->geometry());
    screenWatch_ = QObject::connect(shown, &QScreen::geometryChanged, &window_,
                                    [this](const QRect& area) { window_.setGeometry(area); });
}

void FullScreen::leave()
{
    QObject::disconnect(screenWatch_);
    // The window never came to cover the screen: the change asked for failed. It is told
    // once the windows are back, not while the full-screen window still covers them.
    const bool changeRefused = modeRetry_.has_value();
    modeRetry_.reset();
    ChangeDisplayMode();
    restoreDesktopWindows();

    if (windowedState_ & Qt::WindowMaximized) {
        window_.showMaximized();
    } else {
        window_.showNormal();
        window_.setGeometry(windowedGeometry_);
    }
    window_.raise();
    restorePlaylistWindow();

    on_ = false;
    SetCursorHideTimer(false);
    showCursorAgain();
    if (changeRefused)
        tellModeChangeFailed();
}

void FullScreen::restorePlaylistWindow()
{
    CPlayListDlg* playlist = window_.playlist();
    if (!playlist)
        return;
    // While hidden it followed the player around: it goes back to its place first, so
    // that it shows there.
    moveOuterTo(*playlist, windowedOuter_.playlist.topLeft());
    if (!playlistWasVisible_) {
        playlist->hide();
        playlist->m_docked = playlistWasDocked_;
        return;
    }
    playlist->show();
    // Showing ran the docking rules against our frame, which the window manager has not
    // given back yet, and Qt's idea of where a framed window stands may lag behind the
    // desktop's: the recorded placement is the desktop's own, and it goes back last.
    playlist->m_docked = playlistWasDocked_;
    const std::uint64_t id = playlist->internalWinId();
    for (const SavedWindow& saved : savedWindows_) {
        if (saved.id == id) {
            desktop_.setPlacement(id, saved.placement);
            break;
        }
    }
}

void FullScreen::recordDesktopWindows()
{
    savedWindows_.clear();
    // The playlist window is recorded by its title even when hidden.
    const std::string playlistTitle = tmpl::kPlayList.caption;
    for (const DesktopWindow& window : desktop_.list()) {
        if (savedWindows_.size() >= kMaxSavedWindows)
            break;
        if (window.title.empty() || window.windowClass == kDesktopClass)
            continue;
        if (!window.visible && window.title != playlistTitle)
            continue;
        SavedWindow saved{window.id, {}};
        if (desktop_.placement(window.id, saved.placement))
            savedWindows_.push_back(saved);
    }
}

void FullScreen::restoreDesktopWindows()
{
    // Our own windows are left to Qt, which must keep knowing where they stand: the
    // player goes back to its exact rectangle, the playlist once it shows again.
    const CPlayListDlg* playlist = window_.playlist();
    const std::uint64_t own[] = {window_.internalWinId(), playlist ? playlist->internalWinId() : 0};
    for (const DesktopWindow& window : desktop_.list()) {
        if (window.id == own[0] || window.id == own[1])
            continue;
        for (const SavedWindow& saved : savedWindows_) {
            if (saved.id == window.id) {
                desktop_.setPlacement(saved.id, saved.placement);
                break;
            }
        }
    }
}

void FullScreen::ChangeDisplayMode()
{
    CShockwaveFlash& player = window_.playerControl();
    if (on_) {
        player.SetVariable("FullScreenAdjust_h", kNoCorrection);
        player.SetVariable("FullScreenAdjust_w", kNoCorrection);
        displayModes_.restoreStartupMode();
        return;
    }
    CSettingFile* settings = window_.settings();
    if (!settings || settings->ChangeResolution == 0)
        return;

    const DisplayMode current = currentDisplayMode(displayModes_);

    if (settings->ResolutionFullSize == -1) {
        const std::optional<int> found = defaultFullScreenMode(displayModes_, current);
        if (!found) {
            messages_.show(kNoDisplayModeText);
            return;
        }
        // Kept in memory only; the settings dialog is where it is written down.
        settings->ResolutionFullSize = *found;
    }
    const std::optional<DisplayMode> target = displayModes_.mode(settings->ResolutionFullSize);
    if (!target) {
        messages_.show(kNoModeForSetting);
        return;
    }

    if (const std::optional<ModeCorrection> correction = correctionFor(current, *target))
        player.SetVariable(correction->variable, correction->value);

    requestDisplayMode(*target, ModeAttempt::First);
}

// A display server may change the mode only for a program whose window already covers the
// screen (XWayland emulates the mode for that window alone): a change refused before the
// window is full screen is asked for again once it is. A change that still fails is told
// once a session, not at every full screen.
void FullScreen::requestDisplayMode(const DisplayMode& target, ModeAttempt attempt)
{
    switch (displayModes_.change(target)) {
    case DisplayModes::ChangeResult::Successful:
        break;
    case DisplayModes::ChangeResult::Restart:
        messages_.show(kRestartNeeded);
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

void FullScreen::onWindowGeometryChanged()
{
    retryDisplayModeOnceCovering();
}

void FullScreen::retryDisplayModeOnceCovering()
{
    const QScreen* shown = window_.screen();
    if (!modeRetry_ || !on_ || !shown || window_.geometry() != shown->geometry())
        return;
    const DisplayMode target = *modeRetry_;
    modeRetry_.reset();
    requestDisplayMode(target, ModeAttempt::Retry);
}

void FullScreen::tellModeChangeFailed()
{
    if (modeChangeFailureTold_)
        return;
    modeChangeFailureTold_ = true;
    messages_.show(kChangeFailed);
}

void FullScreen::SetCursorHideTimer(bool on)
{
    const CSettingFile* settings = window_.settings();
    if (!settings || settings->HideCursor == 0)
        return;
    if (on)
        cursorHide_.start(kCursorHideMs, [this] { OnCursorHideTick(); });
    else
        cursorHide_.stop();
}

void FullScreen::onPointerMoved()
{
    if (!on_)
        return;
    showCursorAgain();
    SetCursorHideTimer(false);
    SetCursorHideTimer(true);
}

void FullScreen::OnCursorHideTick()
{
    SetCursorHideTimer(false);
    if (!blankedCursors_.empty())
        return;
    // The window and every child that sets a cursor of its own; the others show their
    // parent's. Other windows, a dialog over the video for one, keep theirs.
    QWidget& window = window_;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        if (widget != &window && !widget->testAttribute(Qt::WA_SetCursor))
            continue;
        BlankedCursor blanked{widget, std::nullopt};
        if (widget->testAttribute(Qt::WA_SetCursor))
            blanked.own = widget->cursor();
        blankedCursors_.push_back(blanked);
        widget->setCursor(Qt::BlankCursor);
    }
}

void FullScreen::showCursorAgain()
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
