// The host side of the playlist: the movie's commands, adding paths, folders and
// playlist files, and saving the list.
#include "playlist/CPlayListDlg.h"

#include "playlist/PlayerWindowLink.h"

namespace zepo {

void CPlayListDlg::OnMovieCommand(const std::string& command, const std::string& args)
{
    if (command == "playFlv" && m_player)
        m_player->SendFileToPlayer(args);
}

void CPlayListDlg::AddPath(const std::string& path, int mode)
{
    (void)path;
    (void)mode;
}

void CPlayListDlg::AddFolder(const std::string& folder, int mode, int recursion)
{
    (void)folder;
    (void)mode;
    (void)recursion;
}

void CPlayListDlg::LoadPlaylistFile(const std::string& path, int mode)
{
    (void)path;
    (void)mode;
}

int CPlayListDlg::IsPlaylistFile(const std::string& path)
{
    return path.empty() ? 2 : -1;
}

int CPlayListDlg::IsFlvFile(const std::string& path)
{
    return path.empty() ? 2 : -1;
}

void CPlayListDlg::StartNewList()
{
    m_movie.TGotoLabel("FromMFC_mc", "newList");
}

} // namespace zepo
