// The host's side of the movies' conversation: the probe's findings go to the player
// movie, the player's playback events to the playlist movie, and the panel watch hides
// the control panel once the pointer has left the window.
#include "player/CPlayerDlg.h"

#include "platform/MessageBoxService.h"
#include "platform/PathText.h"
#include "playlist/CPlayListDlg.h"

#include <QCursor>

namespace zepo {

namespace {
// Panel watch: how often the pointer is checked against the window.
constexpr int kPanelWatchMs = 100;
} // namespace

void CPlayerDlg::OnProbeFSCommand(const std::string& command, const std::string& args)
{
    // The probe's results as they stand when its command arrives: all six are read first,
    // whatever the command, and each relay copies its subset of them in its own order.
    enum Result { DataFlag, SizeFlag, TotalTimeFlag, Width, Height, Duration, kResults };
    static const char* const kNames[kResults] = {"m_data_flag", "Size_flag", "TotalTime_flag",
                                                 "m_width",     "m_height",  "m_duration"};
    std::string values[kResults];
    for (int i = 0; i < kResults; ++i)
        values[i] = probe_.GetVariable(kNames[i]);
    const auto copy = [&](std::initializer_list<Result> results) {
        for (Result r : results)
            player_.SetVariable(kNames[r], values[r]);
    };
    if (command == "getTotalTime") {
        copy({Duration});
        player_.TGotoLabel(kCommandClip, "getTotalTime");
    } else if (command == "allDone") {
        copy({DataFlag, SizeFlag, TotalTimeFlag, Width, Height, Duration});
        player_.TGotoLabel(kCommandClip, "allDone");
    } else if (command == "getSize") {
        copy({DataFlag, SizeFlag, Width, Height});
        player_.TGotoLabel(kCommandClip, "getSize");
    } else if (command == "searchStart") {
        player_.TGotoLabel(kCommandClip, "searchStart");
    } else if (command == "msg") {
        services_.messages.show(args);
    } else if (command == "text") {
        setWindowTitle(toQt(args));
    }
}

void CPlayerDlg::OnPlayerFSCommand(const std::string& command, const std::string& args)
{
    const auto toPlaylist = [this](const std::string& label) {
        if (playlist_)
            playlist_->movie().TGotoLabel(kCommandClip, label);
    };
    if (command == "ok") {
        ApplySavedState();
    } else if (command == "gotoNextFlv") {
        toPlaylist("gotoNextFlv");
    } else if (command == "startPlay") {
        if (!fileName_.empty())
            toPlaylist("startPlay");
    } else if (command == "stopPlay") {
        if (!fileName_.empty())
            toPlaylist("stopPlay");
    } else if (command == "control_on") {
        SetPanelWatch(true);
    } else if (command == "control_off") {
        SetPanelWatch(false);
    } else if (command == "msg") {
        services_.messages.show(args);
    } else if (command == "text") {
        setWindowTitle(toQt(args));
    }
}

// A start while the watch runs does nothing: the period is not restarted.
void CPlayerDlg::SetPanelWatch(bool on)
{
    if (on == panelWatchRunning_)
        return;
    panelWatchRunning_ = on;
    if (on)
        panelWatch_.start(kPanelWatchMs, [this] { OnPanelWatchTick(); });
    else
        panelWatch_.stop();
}

void CPlayerDlg::OnPanelWatchTick()
{
    const QPoint cursor = services_.cursorPosition ? services_.cursorPosition() : QCursor::pos();
    const QRect window = frameGeometry();
    // The window's edges are left, top, left + width and top + height (the right and
    // bottom edges lie just past the last pixel), and all four count as inside.
    const int right = window.left() + window.width();
    const int bottom = window.top() + window.height();
    const bool inside = cursor.x() >= window.left() && cursor.x() <= right && cursor.y() >= window.top()
        && cursor.y() <= bottom;
    if (inside)
        return;
    SetPanelWatch(false);
    player_.TGotoLabel(kCommandClip, "panel_off");
}

} // namespace zepo
