#pragma once

#include "bridge/CShockwaveFlash.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/TimerService.h"
#include "playlist/PlayerWindowLink.h"

#include <QCursor>
#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDropEvent;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QWheelEvent;

namespace zepo {

class CPlayListDlg;
class CSettingFile;
class DesktopWindows;
class MessageBoxService;
struct MovieEnvironment;

// Everything the player window takes from the program around it: the real services in
// the program, fakes and recorders in tests.
struct PlayerServices {
    MovieEnvironment& movies;
    MessageBoxService& messages;
    DisplayModes& displayModes;
    DesktopWindows& desktop;
    std::optional<std::string> executablePath; // setting.ini lies beside it; none when unknown
    std::vector<std::string> arguments;   // the command-line paths, in order
    // The pointer in screen coordinates; the real cursor when empty.
    std::function<QPoint()> cursorPosition;
};

// The main window: hosts the player movie (control 1000) and the hidden probe movie
// (control 1013), owns the settings and the playlist window, opens files, relays between
// the movies, runs commands, shortcuts, the context menu and full screen.
class CPlayerDlg : public QDialog, public PlayerWindowLink {
    Q_OBJECT
public:
    explicit CPlayerDlg(PlayerServices services, QWidget* parent = nullptr);
    ~CPlayerDlg() override;

    // Runs the window until it closes, without making it application-modal: the
    // playlist window, a top-level window of its own, must go on taking input.
    int exec() override;

    // --- Window, geometry and saved state
    void OnInitDialog();
    void RestoreGeometry();
    void ApplySavedState();
    // The save sequence of closing; runs from closeEvent.
    void SaveAndClose();

    CSettingFile* settings() { return m_settings.get(); }
    CPlayListDlg* playlist() { return m_playlist.get(); }
    CShockwaveFlash& playerControl() { return m_player; }
    CShockwaveFlash& probeControl() { return m_probe; }
    MessageBoxService& messages() { return services_.messages; }
    const std::string& currentFileName() const { return m_fileName; }
    int panelHeight() const { return m_panelHeight; }
    bool isFullScreen() const { return m_fullScreen; }
    bool isTopMost() const { return m_topMost; }

    // --- Opening files
    void AddFiles(const std::vector<std::string>& paths, AddMode mode) override;
    // The hand-over receiver: true when the record was taken (its kind is
    // HandOverRecord::kKind). data: the paths, each followed by a zero byte.
    bool OnCopyData(unsigned kind, const std::string& data);
    void SendFileToPlayer(const std::string& path) override;

    // --- Movie events
    void OnProbeFSCommand(const std::string& command, const std::string& args);
    void OnPlayerFSCommand(const std::string& command, const std::string& args);
    void SetPanelWatch(bool on);
    void OnPanelWatchTick();

    // --- Commands, shortcuts, context menu
    void OnCommand(int id);
    FilterOutcome OnShortcutKey(int virtualKey, bool ctrlDown) override;
    FilterOutcome PreTranslateMessage(QObject* target, QEvent* event);
    void ShowContextMenu(int x, int y);
    // Runs a built context menu at a screen point and returns the chosen item (null when
    // none); QMenu::exec unless a test puts something else here.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& screenPos)>;
    void setContextMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }

    // --- Full screen and display modes
    void ToggleFullScreen(FullScreenToggle toggle) override;
    // Switches to the full-screen display mode, or back to the normal one when full
    // screen is on; what fails is told to the user, and full screen goes on regardless.
    void ChangeDisplayMode();
    void SetCursorHideTimer(bool on);
    void OnCursorHideTick();

    // --- PlayerWindowLink
    QRect playerFrameRect() const override;
    void OnPairedActivation() override;

    // Enter and Escape never end the window as a dialog's default and cancel keys would.
    void reject() override;
    void accept() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followDockedPlaylist();
    // A second start's hand-over shows the player: a minimised window comes back first.
    void restoreIfMinimised();

    // Commands, input filter and menu (PlayerCommands.cpp).
    void toggleTopMost();
    void setTopMost(bool on);
    void togglePlaylist();
    void runSettingsCommand();
    void runAspectDialog();
    void runAboutBox();
    FilterOutcome filterKeyPress(QKeyEvent* event);
    FilterOutcome filterDoubleClick(QObject* target, QMouseEvent* event);
    void onMouseMove();
    void onWheel(QWheelEvent* event);
    void onDrop(QDropEvent* event);
    bool isPropagatedDelivery(QObject* target, QEvent* event);
    bool isFirstKeyReceiver(QObject* target) const;
    // Full screen (PlayerFullScreen.cpp).
    struct SavedWindow;
    void enterFullScreen();
    void coverScreen();
    enum class ModeAttempt { First, Retry };
    void requestDisplayMode(const DisplayMode& target, ModeAttempt attempt);
    void retryDisplayModeOnceFullScreen();
    void tellModeChangeFailed();
    void leaveFullScreen();
    void recordDesktopWindows();
    void restoreDesktopWindows();
    void restorePlaylistWindow();
    void showCursorAgain();

    PlayerServices services_;
    // Owned by the window; created in OnInitDialog, deleted by the save sequence.
    std::unique_ptr<CSettingFile> m_settings;
    std::unique_ptr<CPlayListDlg> m_playlist;
    int m_panelHeight = 0;
    bool m_initialised = false;
    bool m_fullScreen = false;
    bool m_topMost = false;
    bool m_settingDlgOpen = false;
    std::string m_fileName;
    CShockwaveFlash m_player;
    CShockwaveFlash m_probe;

    // Panel watch (timer 1) and cursor hiding (timer 2).
    IntervalTimer panelWatch_;
    bool panelWatchRunning_ = false;
    IntervalTimer cursorHide_;
    // Looks once more at the pair's stacking a moment after restacking it.
    IntervalTimer restackCheck_;

    // Full-screen bookkeeping: the windows recorded on entering, restored on leaving.
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
    // Both windows' outer rectangles before full screen: what closing in full screen
    // saves, as the places the windows go back to.
    QRect windowedOuter_;
    QRect playlistOuter_;
    // Widgets of ours whose cursor timer 2 blanked until the pointer moves again, with
    // the cursor each had set of its own (none: it showed its parent's).
    struct BlankedCursor {
        QPointer<QWidget> widget;
        std::optional<QCursor> own;
    };
    std::vector<BlankedCursor> blankedCursors_;
    MenuRunner menuRunner_;
    // The key or wheel event last acted on: Qt hands an event the target ignores on to
    // its parents, and the filter sees it again there; it must act once per event.
    struct LastInput {
        const QEvent* event = nullptr;
        int type = 0;
        std::uint64_t timestamp = 0;
        QPointer<QObject> target;
    } lastInput_;
    bool closing_ = false;
};

} // namespace zepo
