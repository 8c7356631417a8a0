#pragma once

#include "bridge/CShockwaveFlash.h"
#include "platform/FilterOutcome.h"
#include "platform/TimerService.h"
#include "playlist/AddMode.h"
#include "playlist/AddOperations.h"
#include "playlist/AddQueue.h"

#include <QDialog>
#include <string>
#include <vector>

namespace zepo {

class MessageBoxService;
class PlayerWindowLink;
class SavePathDialog;
struct MovieEnvironment;

// The playlist window: a top-level window of its own, without a taskbar button, that
// hosts the playlist movie (control 1014), docks to the player window's right edge,
// couples activation with it, filters keys and drops, feeds paths to its movie and saves
// the list.
class CPlayListDlg : public QDialog, public AddOperations, private AddQueue::Target {
    Q_OBJECT
public:
    CPlayListDlg(MovieEnvironment& movies, MessageBoxService& messages, QWidget* parent = nullptr);
    ~CPlayListDlg() override;

    // Creates the window (hidden) and binds the player window.
    void CreateListWindow(PlayerWindowLink* player);

    // --- Window
    // Docks or frees the window by where it stands now (Qt holds back the move events of
    // hidden windows, so a placement made while hidden is judged here).
    void UpdateDocking();
    FilterOutcome PreTranslateMessage(QObject* target, QEvent* event);
    void OnPairedActivation();
    // Drops, always appended.
    void OnDropFiles(const std::vector<std::string>& paths);

    // --- Playlist events, files and folders
    void OnMovieCommand(const std::string& command, const std::string& args);
    // Adding paths: the work is queued and done in slices between the window's events
    // (see AddQueue); what these calls add reaches the movie a little later.
    void AddPath(const std::string& path, AddMode mode) override;
    void AddFolder(const std::string& folder, AddMode mode, bool recursive) override;
    // Paths are still being added (the movie then takes them in one per frame).
    bool isAdding() const { return adding_.busy(); }
    // A playlist file: one that begins with the header line.
    static bool IsPlaylistFile(const std::string& path);
    // An FLV file: one whose first three bytes are "flv" in any letter case.
    static bool IsFlvFile(const std::string& path);
    void StartNewList();

    CShockwaveFlash& movie() { return m_movie; }
    // Where saving asks for a file name; null (the default) is the desktop's save dialog.
    void setSavePathDialog(SavePathDialog* dialog) { savePathDialog_ = dialog; }

    // Docked to the player window's right edge: it follows the player's moves.
    bool m_docked = true;

    // Enter and Escape never end the window as a dialog's default and cancel keys would.
    void reject() override;
    void accept() override;
    // Hiding keeps the outer rectangle the window had (the window manager forgets its
    // frame at once, and may leave the window elsewhere), so that the hidden window's
    // outer rectangle stays what it was and it shows there again, off the taskbar.
    void setVisible(bool visible) override;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the add queue does to the list and the player window.
    void addFiles(const std::vector<std::string>& paths, AddMode mode) override;
    void startNewList() override { StartNewList(); }
    void appendToList(const std::string& path) override;
    void tellCapReached(const std::string& where) override;
    // The snap made again once the user has let go of the window.
    void snapOnceReleased();

    MessageBoxService& messages_;
    PlayerWindowLink* m_player = nullptr;
    CShockwaveFlash m_movie;
    // The paths waiting to be added, with the expansion state of the open under way.
    AddQueue adding_;
    // Runs while a snap waits for the user to let go of the window.
    IntervalTimer snapOnRelease_;
    // Not owned; set by tests (UI thread only).
    SavePathDialog* savePathDialog_ = nullptr;
};

} // namespace zepo
