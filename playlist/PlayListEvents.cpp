// The host side of the playlist: the movie's commands, adding paths, folders and
// playlist files, and saving the list.
#include "playlist/CPlayListDlg.h"

#include "movies/playList.h"
#include "platform/Log.h"
#include "platform/MessageBoxService.h"
#include "platform/PathText.h"
#include "playlist/FileAccess.h"
#include "playlist/PlayerWindowLink.h"
#include "playlist/PlaylistFile.h"
#include "playlist/SavePathDialog.h"

#include <cctype>

namespace zepo {

namespace {

std::string capMessage(const std::string& where)
{
    return "項目が多すぎるため、途中で追加をやめました ：\n" + where;
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
        if (auto written = writePlaylistFile(*path, args); !written) {
            qCWarning(lcPlaylist).noquote() << QString::fromLocal8Bit(written.error().describe());
            messages_.show("書き込み失敗");
        }
    } else if (command == "msg") {
        messages_.show(args);
    } else if (command == "text") {
        setWindowTitle(toQt(args));
    }
}

void CPlayListDlg::AddPath(const std::string& path, AddMode mode)
{
    adding_.addPath(path, mode);
}

void CPlayListDlg::AddFolder(const std::string& folder, AddMode mode, bool recursive)
{
    adding_.addFolder(folder, mode, recursive);
}

void CPlayListDlg::addFiles(const std::vector<std::string>& paths, AddMode mode)
{
    if (m_player)
        m_player->AddFiles(paths, mode);
}

void CPlayListDlg::appendToList(const std::string& path)
{
    m_movie.SetVariable(kFlvPathVariable, path);
    m_movie.TGotoLabel(kCommandClip, "addList");
}

void CPlayListDlg::tellCapReached(const std::string& where)
{
    qCWarning(lcPlaylist).noquote() << "too many entries or paths in one open; stopped adding while reading"
                                    << toQt(where);
    messages_.show(capMessage(where));
}

bool CPlayListDlg::IsPlaylistFile(const std::string& path)
{
    return !path.empty() && hasPlaylistHeader(path);
}

bool CPlayListDlg::IsFlvFile(const std::string& path)
{
    if (path.empty())
        return false;
    auto file = RegularFile::open(path);
    if (!file)
        return false;
    const auto start = file->read(3);
    if (!start || start->size() != 3)
        return false;
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return lower((*start)[0]) == 'f' && lower((*start)[1]) == 'l' && lower((*start)[2]) == 'v';
}

void CPlayListDlg::StartNewList()
{
    m_movie.TGotoLabel(kCommandClip, "newList");
}

} // namespace zepo
