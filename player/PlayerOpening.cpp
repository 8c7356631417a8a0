// Opening files: the add-files operation every road ends in, the hand-over receiver and
// the sending of one file to the player and probe movies.
#include "player/CPlayerDlg.h"

#include "platform/HandOverRecord.h"
#include "platform/MessageBoxService.h"
#include "platform/PathNames.h"
#include "platform/PathText.h"
#include "playlist/CPlayListDlg.h"
#include "playlist/PathRules.h"

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
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // Only the first path may replace the list.
        const AddMode pathMode = i == 0 ? mode : AddMode::Append;
        const std::string path = stripEnclosingQuotes(paths[i]);
        if (path.empty())
            continue;
        switch (pathKind(path)) {
        case PathKind::Missing:
            services_.messages.show(missingPathMessage(path));
            break;
        case PathKind::Folder:
            if (m_playlist)
                m_playlist->AddFolder(path, pathMode, true);
            break;
        case PathKind::File:
            if (m_playlist)
                m_playlist->AddPath(path, pathMode);
            break;
        }
    }
}

bool CPlayerDlg::OnCopyData(unsigned kind, const std::string& data)
{
    if (kind != HandOverRecord::kKind)
        return false;
    restoreIfMinimised();
    raise();
    activateWindow();
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
    m_fileName = fileNameOf(path);
    setWindowTitle(toQt(m_fileName + " - ZEPO"));
    const std::string escaped = escapeForMovies(path);
    m_player.SetVariable("flv_file", escaped);
    m_player.TGotoLabel(kCommandClip, "sendFlv");
    m_probe.Rewind();
    m_probe.SetVariable("flv_file", escaped);
    m_probe.Forward();
}

} // namespace zepo
