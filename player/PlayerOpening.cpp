// Opening files: the add-files operation every road ends in, the hand-over receiver and
// the sending of one file to the player and probe movies.
#include "player/CPlayerDlg.h"

#include "platform/HandOverRecord.h"
#include "platform/PathNames.h"
#include "platform/PathText.h"
#include "playlist/AddOperations.h"
#include "playlist/CPlayListDlg.h"

namespace zepo {

namespace {
// "%" is the movies' escape character: a literal one travels as "%25".
std::string escapeForMovies(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '%')
            out += "%25";
        else
            out += c;
    }
    return out;
}
} // namespace

void CPlayerDlg::AddFiles(const std::vector<std::string>& paths, AddMode mode)
{
    addFilesTo(playlist_.get(), paths, mode, services_.messages);
}

bool CPlayerDlg::OnCopyData(unsigned kind, const std::string& data)
{
    if (kind != HandOverRecord::kKind)
        return false;
    restoreIfMinimised();
    raise();
    activateWindow();
    // The user asked for the player by starting the program again: a window manager that
    // holds back a program taking the focus by itself lets it come to the front.
    services_.desktop.activate(winId());
    // Each path ends at its zero byte: no byte a path can hold splits it.
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\0', start);
        // A last piece without its zero still counts as a path.
        if (end == std::string::npos)
            end = data.size();
        paths.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    AddFiles(paths, AddMode::Replace);
    return true;
}

void CPlayerDlg::SendFileToPlayer(const std::string& path)
{
    fileName_ = fileNameOf(path);
    setWindowTitle(toQt(fileName_ + " - ZEPO"));
    const std::string escaped = escapeForMovies(path);
    player_.SetVariable("flv_file", escaped);
    player_.TGotoLabel(kCommandClip, "sendFlv");
    probe_.Rewind();
    probe_.SetVariable("flv_file", escaped);
    probe_.Forward();
}

} // namespace zepo
