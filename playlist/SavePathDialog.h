#pragma once

#include <optional>
#include <string>

class QWidget;

namespace zepo {

// Asks the user where to save the playlist: the desktop's save dialog in the program,
// a scripted answer in tests.
class SavePathDialog {
public:
    virtual ~SavePathDialog() = default;
    // The chosen path, or nothing when the user cancelled. `owner` is the window the
    // dialog belongs to.
    virtual std::optional<std::string> askSavePath(QWidget* owner) = 0;
};

// The desktop's save-file dialog: proposes "playlist.zepo", shows the filter
// "ZEPO プレイリスト (*.zepo)", gives a name typed without extension the extension
// "zepo" and asks before an existing file is overwritten.
class QtSavePathDialog : public SavePathDialog {
public:
    std::optional<std::string> askSavePath(QWidget* owner) override;
};

} // namespace zepo
