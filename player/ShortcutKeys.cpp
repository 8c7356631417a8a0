#include "player/ShortcutKeys.h"

#include "platform/VirtualKeys.h"
#include "player/PlayerCommandIds.h"

namespace zepo {

namespace {
constexpr int kKeyA = 0x41, kKeyB = 0x42, kKeyC = 0x43, kKeyF = 0x46, kKeyN = 0x4E, kKeyS = 0x53,
              kKeyV = 0x56, kKeyX = 0x58, kKeyZ = 0x5A;

constexpr FilterOutcome S = FilterOutcome::Standard, D = FilterOutcome::Direct;

// One row of the table: a key, whether it needs Ctrl, its command, and where the key goes
// on with and without Ctrl.
struct Row {
    int key;
    bool needsCtrl;
    int command;
    FilterOutcome withCtrl;
    FilterOutcome withoutCtrl;
};

// Ctrl+arrow, Ctrl+B, Ctrl+V and N go directly so that the keys reach the movie alone and
// never move the focus between the window's controls.
constexpr Row kRows[] = {
    {vk::Space, true, cmd::PlayList, S, S},
    {vk::Prior, false, cmd::PrevFile, S, S},
    {vk::Next, false, cmd::NextFile, S, S},
    {vk::Left, true, cmd::Rewind, D, S},
    {vk::Up, true, cmd::VolumeUp, D, S},
    {vk::Right, true, cmd::FastForward, D, S},
    {vk::Down, true, cmd::VolumeDown, D, S},
    {kKeyA, true, cmd::AspectChooser, S, S},
    {kKeyB, true, cmd::FastForward, D, S},
    {kKeyC, true, cmd::Pause, S, S},
    {kKeyF, true, cmd::TopMost, S, S},
    {kKeyN, true, cmd::Repeat, D, D},
    {kKeyS, true, cmd::FixPanel, S, S},
    {kKeyV, true, cmd::Rewind, D, S},
    {kKeyX, true, cmd::Stop, S, S},
    {kKeyZ, true, cmd::Play, S, S},
};
} // namespace

ShortcutAction shortcutFor(int virtualKey, bool ctrlDown)
{
    // Enter and Escape never reach the standard key handling, so they can never act as
    // the dialog's default or cancel key.
    if (virtualKey == vk::Return)
        return {ShortcutAction::Kind::None, 0, D};
    if (virtualKey == vk::Escape)
        return {ShortcutAction::Kind::LeaveFullScreen, 0, D};
    for (const Row& row : kRows) {
        if (row.key != virtualKey)
            continue;
        const FilterOutcome delivery = ctrlDown ? row.withCtrl : row.withoutCtrl;
        if (row.needsCtrl && !ctrlDown)
            return {ShortcutAction::Kind::None, 0, delivery};
        return {ShortcutAction::Kind::Command, row.command, delivery};
    }
    return {};
}

} // namespace zepo
