#pragma once

#include "platform/FilterOutcome.h"

namespace zepo {

// What one key press of the player window (or of the playlist window, which hands its
// keys on) does, and whether the dialog's standard key handling may see it afterwards.
struct ShortcutAction {
    enum class Kind { None, Command, LeaveFullScreen };
    Kind kind = Kind::None;
    int command = 0; // for Kind::Command
    // Standard: the dialog's key handling follows; Direct: the key's target alone.
    FilterOutcome delivery = FilterOutcome::Standard;
};

// The shortcut table. ctrlDown: Ctrl was held when the key was pressed; Shift is never
// looked at, so Ctrl+Shift+Z plays like Ctrl+Z.
ShortcutAction shortcutFor(int virtualKey, bool ctrlDown);

} // namespace zepo
