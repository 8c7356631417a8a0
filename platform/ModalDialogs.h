#pragma once

#include <Qt>

class QDialog;

namespace zepo {

// The frame of a modal dialog and of a message box: a caption with the system menu and
// the close box, never a minimise or maximise box.
inline constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                               | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The frame of a companion window (the playlist): a caption with the close box only. It is
// a plain top-level window, neither a tool window nor a transient one: window managers
// keep those above their application's other windows whatever the user clicks, and the
// companion must go behind the player when the player is clicked.
inline constexpr Qt::WindowFlags kCompanionWindowFrame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Runs a dialog until it closes, modal to its owner (its parent window) only: the owner
// takes no input meanwhile, other top-level windows of ours, the playlist window above
// all, go on working. QDialog::exec() alone would block every window of the program.
int execOwnerModal(QDialog& dialog);

} // namespace zepo
