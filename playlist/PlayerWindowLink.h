#pragma once

#include "platform/FilterOutcome.h"
#include "playlist/AddMode.h"

#include <QRect>
#include <string>
#include <vector>

namespace zepo {

// What ToggleFullScreen may do: enter or leave, or only leave (what Escape and the
// settings command ask for).
enum class FullScreenToggle { EnterOrLeave, LeaveOnly };

// What the playlist window uses of the player window. CPlayerDlg implements it; the
// playlist layer knows no player class.
class PlayerWindowLink {
public:
    virtual ~PlayerWindowLink() = default;

    // The player window's outer rectangle in screen coordinates.
    virtual QRect playerFrameRect() const = 0;
    // Opens paths, appending them or letting the first one start a new list.
    virtual void AddFiles(const std::vector<std::string>& paths, AddMode mode) = 0;
    // Sends one file to the player and probe movies.
    virtual void SendFileToPlayer(const std::string& path) = 0;
    // One key press; returns Standard (the dialog's key handling may see it too) or
    // Direct.
    virtual FilterOutcome OnShortcutKey(int virtualKey, bool ctrlDown) = 0;
    virtual void ToggleFullScreen(FullScreenToggle toggle) = 0;
    // Keeps the two windows together in the stacking order: the one of them that is
    // active gets the other directly behind it (the playlist calls it when it becomes
    // active).
    virtual void OnPairedActivation() = 0;
};

} // namespace zepo
