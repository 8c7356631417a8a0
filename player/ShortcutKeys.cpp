#include "player/ShortcutKeys.h"

#include "platform/VirtualKeys.h"
#include "player/PlayerCommandIds.h"

namespace zepo {

namespace {
constexpr int kKeyA = 0x41, kKeyB = 0x42, kKeyC = 0x43, kKeyF = 0x46, kKeyN = 0x4E, kKeyS = 0x53,
              kKeyV = 0x56, kKeyX = 0x58, kKeyZ = 0x5A;

// One row of the table: a key, whether it needs Ctrl, its command, and what it returns
// with and without Ctrl.
struct Row {
    int key;
    bool needsCtrl;
    int command;
    int standardWithCtrl;
    int standardWithoutCtrl;
};

// Ctrl+arrow, Ctrl+B, Ctrl+V and N return 0 so that the keys reach the movie alone and
// never move the focus between the window's controls.
constexpr Row kRows[] = {
    {vk::Space, true, cmd::PlayList, 1, 1},
    {vk::Prior, false, cmd::PrevFile, 1, 1},
    {vk::Next, false, cmd::NextFile, 1, 1},
    {vk::Left, true, cmd::Rewind, 0, 1},
    {vk::Up, true, cmd::VolumeUp, 0, 1},
    {vk::Right, true, cmd::FastForward, 0, 1},
    {vk::Down, true, cmd::VolumeDown, 0, 1},
    {kKeyA, true, cmd::AspectChooser, 1, 1},
    {kKeyB, true, cmd::FastForward, 0, 1},
    {kKeyC, true, cmd::Pause, 1, 1},
    {kKeyF, true, cmd::TopMost, 1, 1},
    {kKeyN, true, cmd::Repeat, 0, 0},
    {kKeyS, true, cmd::FixPanel, 1, 1},
    {kKeyV, true, cmd::Rewind, 0, 1},
    {kKeyX, true, cmd::Stop, 1, 1},
    {kKeyZ, true, cmd::Play, 1, 1},
};
} // namespace

ShortcutAction shortcutFor(int virtualKey, bool ctrlDown)
{
    // Enter and Escape never reach the standard key handling, so they can never act as
    // the dialog's default or cancel key.
    if (virtualKey == vk::Return)
        return {ShortcutAction::Kind::None, 0, 0};
    if (virtualKey == vk::Escape)
        return {ShortcutAction::Kind::LeaveFullScreen, 0, 0};
    for (const Row& row : kRows) {
        if (row.key != virtualKey)
            continue;
        const int standard = ctrlDown ? row.standardWithCtrl : row.standardWithoutCtrl;
        if (row.needsCtrl && !ctrlDown)
            return {ShortcutAction::Kind::None, 0, standard};
        return {ShortcutAction::Kind::Command, row.command, standard};
    }
    return {};
}

} // namespace zepo
