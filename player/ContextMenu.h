#pragma once

#include <QMenu>
#include <optional>
#include <memory>

namespace zepo {

// What the context menu shows of the player window's state when it opens.
struct ContextMenuState {
    bool fullScreen = false;
    bool topMost = false;
    bool playlistVisible = false;
};

// Builds the player window's context menu for one right click: every item carries its
// command id (commandOf), no item is greyed, and only full screen, topmost and the
// playlist carry check marks.
std::unique_ptr<QMenu> buildContextMenu(const ContextMenuState& state, QWidget* parent);

// The command id an item of that menu carries; 0 for anything else (null included).
int commandOf(const QAction* action);

} // namespace zepo
