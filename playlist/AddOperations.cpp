#include "playlist/AddOperations.h"

#include "platform/MessageBoxService.h"
#include "playlist/PathRules.h"

namespace zepo {

void addFilesTo(AddOperations* playlist, const std::vector<std::string>& paths, AddMode mode,
                MessageBoxService& messages)
{
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // Only the first path may replace the list.
        const AddMode pathMode = i == 0 ? mode : AddMode::Append;
        const std::string path = stripEnclosingQuotes(paths[i]);
        if (path.empty())
            continue;
        switch (pathKind(path)) {
        case PathKind::Missing:
            messages.show(missingPathMessage(path));
            break;
        case PathKind::Folder:
            if (playlist)
                playlist->AddFolder(path, pathMode, true);
            break;
        case PathKind::File:
            if (playlist)
                playlist->AddPath(path, pathMode);
            break;
        }
    }
}

} // namespace zepo
