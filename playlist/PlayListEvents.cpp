// The host side of the playlist: the movie's commands, adding paths, folders and
// playlist files, and saving the list.
#include "playlist/CPlayListDlg.h"

#include "platform/MessageBoxService.h"
#include "platform/PathText.h"
#include "playlist/FileAccess.h"
#include "playlist/FolderScan.h"
#include "playlist/PathRules.h"
#include "playlist/PlayerWindowLink.h"
#include "playlist/PlaylistFile.h"
#include "playlist/SavePathDialog.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace zepo {

namespace {
const std::string kClip = "FromMFC_mc";
// The mode (position) that appends; 0 starts a new list.
constexpr int kAppend = -1;
constexpr int kReplace = 0;

// One scan of a folder tree, depth first in name order. It remembers the folders it has
// read, so that a link back up the tree cannot make it recurse without end, and two
// links to one folder cannot make it add that folder's files twice.
//
// The caller's mode goes with the first file the scan reaches, whatever that file turns
// out to be, and everything after it appends. A subfolder met before that file gets the
// mode with it: were it scanned in append mode, its files would be queued first and then
// thrown away with the old list when a later file of the folder started the new one.
// Returns the mode left for what follows.
int scanFolder(CPlayListDlg& playlist, const std::string& folder, int mode, int recursion,
               std::set<FolderId>& scanned)
{
    const auto id = folderId(folder);
    if (!id || !scanned.insert(*id).second)
        return mode;
    int current = mode;
    for (const FolderEntry& entry : listFolder(folder)) {
        if (entry.isFolder && recursion == 1) {
            current = scanFolder(playlist, entry.path, current, 1, scanned);
            continue;
        }
        playlist.AddPath(entry.path, current);
        current = kAppend;
    }
    return current;
}
} // namespace

void CPlayListDlg::OnMovieCommand(const std::string& command, const std::string& args)
{
    if (command == "playFlv") {
        if (m_player)
            m_player->SendFileToPlayer(args);
    } else if (command == "saveList") {
        QtSavePathDialog desktopDialog;
        SavePathDialog& dialog = savePathDialog_ ? *savePathDialog_ : desktopDialog;
        auto* owner = dynamic_cast<QWidget*>(m_player);
        const auto path = dialog.askSavePath(owner ? owner : this);
        if (!path)
            return;
        if (!writePlaylistFile(*path, args))
            messages_.show("書き込み失敗");
    } else if (command == "msg") {
        messages_.show(args);
    } else if (command == "text") {
        setWindowTitle(toQt(args));
    }
}

void CPlayListDlg::AddPath(const std::string& path, int mode)
{
    if (IsPlaylistFile(path) == 0) {
        LoadPlaylistFile(path, mode);
        return;
    }
    if (IsFlvFile(path) != 0)
        return;
    if (mode == kReplace)
        StartNewList();
    m_movie.SetVariable(kClip + ".flv_path", path);
    m_movie.TGotoLabel(kClip, "addList");
}

void CPlayListDlg::AddFolder(const std::string& folder, int mode, int recursion)
{
    std::set<FolderId> scanned;
    scanFolder(*this, folder, mode, recursion, scanned);
}

void CPlayListDlg::LoadPlaylistFile(const std::string& path, int mode)
{
    if (path.empty() || !m_player)
        return;
    // A playlist met again while it is being expanded (files that list each other) is
    // skipped: each chain expands a file once.
    const auto identity = canonicalPath(path);
    if (!identity || std::find(expanding_.begin(), expanding_.end(), *identity) != expanding_.end())
        return;
    const auto lines = readPlaylistLines(path);
    if (!lines)
        return;
    // Every line is a candidate, the header line too; lines that name the playlist
    // itself or nothing that exists drop out silently.
    std::vector<std::string> kept;
    for (const std::string& line : *lines)
        if (line != path && pathKind(line) != PathKind::Missing)
            kept.push_back(line);
    expanding_.push_back(*identity);
    m_player->AddFiles(kept, mode != kReplace ? 1 : -1);
    expanding_.pop_back();
}

int CPlayListDlg::IsPlaylistFile(const std::string& path)
{
    if (path.empty())
        return 2;
    return hasPlaylistHeader(path) ? 0 : -1;
}

int CPlayListDlg::IsFlvFile(const std::string& path)
{
    if (path.empty())
        return 2;
    auto file = RegularFile::open(path);
    if (!file)
        return -1;
    const auto start = file->read(3);
    if (!start || start->size() != 3)
        return 1;
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return lower((*start)[0]) == 'f' && lower((*start)[1]) == 'l' && lower((*start)[2]) == 'v' ? 0 : 1;
}

void CPlayListDlg::StartNewList()
{
    m_movie.TGotoLabel(kClip, "newList");
}

} // namespace zepo
