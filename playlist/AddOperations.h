#pragma once

#include "playlist/AddMode.h"

#include <string>
#include <vector>

namespace zepo {

class MessageBoxService;

// The playlist window's two add operations, as the player window's add-files operation
// hands paths to them. CPlayListDlg implements them; the playlist benchmark hands them to
// its add queue directly.
class AddOperations {
public:
    virtual ~AddOperations() = default;
    virtual void AddPath(const std::string& path, AddMode mode) = 0;
    virtual void AddFolder(const std::string& folder, AddMode mode, bool recursive) = 0;
};

// The player window's add-files operation on a list of paths, by increasing index: each
// path loses one pair of enclosing quotes and an empty one is passed over; a path that
// does not exist is told in a message box (which returns when the user has closed it), a
// folder goes to AddFolder with its subfolders, anything else to AddPath. In Replace mode
// only the first path may replace the list, every other one appends. `playlist` may be
// null (before the playlist window is made or once it is gone): missing paths are still
// told.
void addFilesTo(AddOperations* playlist, const std::vector<std::string>& paths, AddMode mode,
                MessageBoxService& messages);

} // namespace zepo
