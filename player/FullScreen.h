#pragma once

#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/TimerService.h"
#include "playlist/PlayerWindowLink.h"

#include <QCursor>
#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

class QWidget;

namespace zepo {

class CPlayerDlg;
class MessageBoxService;

// The player window's full screen: entering and leaving it, the desktop's windows recorded
// on the way in and put back on the way out, the display mode changed for it with the
// correction factors the player movie scales its video by, and the cursor hidden while
// the pointer rests. Owned by the player window; UI thread only.
class FullScreen {
public:
    FullScreen(CPlayerDlg& window, DisplayModes& displayModes, DesktopWindows& desktop, MessageBoxService& messages,
               TimerService& timers);

    bool isOn() const { return on_; }
    void toggle(FullScreenToggle toggle);
    // Switches to the full-screen display mode, or back to the normal one when full
    // screen is on; what fails is told to the user, and full screen goes on regardless.
    void ChangeDisplayMode();
    void SetCursorHideTimer(bool on);
    void OnCursorHideTick();

    // The pointer moved over the window: in full screen the cursor shows again and hides
    // anew after the full delay.
    void onPointerMoved();
    // The window moved or changed size: it may just have come to cover the screen.
    void onWindowGeometryChanged();

    // The outer rectangles both windows had before full screen, where closing in full
    // screen saves them; nothing while windowed.
    struct WindowedPlaces {
        QRect player;
        QRect playlist;
    };
    std::optional<WindowedPlaces> windowedPlaces() const;

private:
    void enter();
    void coverScreen();
    enum class ModeAttempt { First, Retry };
    void requestDisplayMode(const DisplayMode& target, ModeAttempt attempt);
    void retryDisplayModeOnceCovering();
    void tellModeChangeFailed();
    void leave();
    void recordDesktopWindows();
    void restoreDesktopWindows();
    void restorePlaylistWindow();
    void showCursorAgain();

    CPlayerDlg& window_;
    DisplayModes& displayModes_;
    DesktopWindows& desktop_;
    MessageBoxService& messages_;

    bool on_ = false;
    // Timer 2: hides the cursor once the pointer has rested.
    IntervalTimer cursorHide_;

    // The windows recorded on entering, put back on leaving.
    struct SavedWindow {
        std::uint64_t id = 0;
        WindowPlacement placement;
    };
    std::vector<SavedWindow> savedWindows_;
    bool playlistWasVisible_ = false;
    // The playlist window's docking when full screen began.
    bool playlistWasDocked_ = false;
    // While full screen covers the screen without a window manager: follows the screen's
    // size to the display mode.
    QMetaObject::Connection screenWatch_;
    // A mode change refused before the window covered the screen, asked for again once it
    // does; and whether a failed change has been told this session.
    std::optional<DisplayMode> modeRetry_;
    bool modeChangeFailureTold_ = false;
    // The player's client rectangle and state before full screen, restored exactly.
    QRect windowedGeometry_;
    Qt::WindowStates windowedState_;
    // Both windows' outer rectangles before full screen.
    WindowedPlaces windowedOuter_;
    // Widgets of ours whose cursor timer 2 blanked until the pointer moves again, with
    // the cursor each had set of its own (none: it showed its parent's).
    struct BlankedCursor {
        QPointer<QWidget> widget;
        std::optional<QCursor> own;
    };
    std::vector<BlankedCursor> blankedCursors_;
};

} // namespace zepo
