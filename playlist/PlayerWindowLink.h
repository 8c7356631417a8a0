#pragma once

#include <QRect>
#include <string>
#include <vector>

namespace zepo {

// What the playlist window uses of the player window. CPlayerDlg implements it; the
// playlist layer knows no player class.
class PlayerWindowLink {
public:
    virtual ~PlayerWindowLink() = default;

    // The player window's outer rectangle in screen coordinates.
    virtual QRect playerFrameRect() const = 0;
    // Opens paths: mode 1 appends, any other value replaces (the first path may start a
    // new list).
    virtual void AddFiles(const std::vector<std::string>& paths, int mode) = 0;
    // Sends one file to the player and probe movies; returns 0.
    virtual int SendFileToPlayer(const std::string& path) = 0;
    // One key press; returns 1 (standard key handling) or 0 (direct delivery).
    virtual int OnShortcutKey(int virtualKey, bool ctrlDown) = 0;
    // leaveOnly 0 toggles, 1 only leaves full screen.
    virtual void ToggleFullScreen(int leaveOnly) = 0;
    // Keeps the two windows together in the stacking order: the one of them that is
    // active gets the other directly behind it (the playlist calls it when it becomes
    // active).
    virtual void OnPairedActivation() = 0;
};

} // namespace zepo
