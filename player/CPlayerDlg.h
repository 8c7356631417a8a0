#pragma once

#include "bridge/CShockwaveFlash.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/TimerService.h"
#include "player/FullScreen.h"
#include "playlist/PlayerWindowLink.h"

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
// the movies, runs commands, shortcuts and the context menu; its full screen is a part of
// its own (FullScreen).
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

    CSettingFile* settings() { return settings_.get(); }
    CPlayListDlg* playlist() { return playlist_.get(); }
    CShockwaveFlash& playerControl() { return player_; }
    CShockwaveFlash& probeControl() { return probe_; }
    MessageBoxService& messages() { return services_.messages; }
    const std::string& currentFileName() const { return fileName_; }
    int panelHeight() const { return panelHeight_; }
    bool isFullScreen() const { return fullScreen_.isOn(); }
    bool isTopMost() const { return topMost_; }

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

    // --- PlayerWindowLink
    void ToggleFullScreen(FullScreenToggle toggle) override;
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
    void onWheel(QWheelEvent* event);
    void onDrop(QDropEvent* event);
    bool isPropagatedDelivery(QObject* target, QEvent* event);
    bool isFirstKeyReceiver(QObject* target) const;

    PlayerServices services_;
    // Owned by the window; created in OnInitDialog, deleted by the save sequence.
    std::unique_ptr<CSettingFile> settings_;
    std::unique_ptr<CPlayListDlg> playlist_;
    int panelHeight_ = 0;
    bool initialised_ = false;
    bool topMost_ = false;
    bool settingDlgOpen_ = false;
    std::string fileName_;
    CShockwaveFlash player_;
    CShockwaveFlash probe_;
    FullScreen fullScreen_;

    // Panel watch (timer 1).
    IntervalTimer panelWatch_;
    bool panelWatchRunning_ = false;
    // Looks once more at the pair's stacking a moment after restacking it.
    IntervalTimer restackCheck_;
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
