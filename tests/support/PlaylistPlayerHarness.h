#pragma once

#include "movies/playList.h"
#include "platform/PathText.h"
#include "playlist/CPlayListDlg.h"
#include "tests/support/PlayerHarness.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

namespace zepo::test {

// The real player window with its playlist window (see PlayerHarness), opened, plus a
// scratch folder for media and playlist files and ways to read the list.
class PlaylistPlayerHarness : public PlayerHarness {
public:
    PlaylistPlayerHarness() : player(&open()) {}

    CPlayListDlg& playlist() { return *player->playlist(); }
    PlayListMovie& listMovie() { return *dynamic_cast<PlayListMovie*>(playlist().movie().movie()); }

    // Lets the playlist window finish adding (in slices between events), then lets the
    // playlist movie take in everything queued (one path per frame).
    void settle()
    {
        finishAdding();
        while (listMovie().queuedPaths() > 0)
            clock.advance(kFrameMs);
    }
    // Runs the playlist window's slices of adding until there is nothing left; returns
    // how many it took.
    int finishAdding()
    {
        int slices = 0;
        for (; playlist().isAdding(); ++slices)
            clock.advance(AddQueue::kSliceIntervalMs);
        return slices;
    }

    std::vector<std::string> entries()
    {
        settle();
        std::vector<std::string> paths;
        for (const auto& entry : listMovie().entries())
            paths.push_back(entry.path);
        return paths;
    }

    // A path in the scratch folder.
    std::string path(const std::string& relative) const { return fromQt(scratch.path()) + "/" + relative; }

    // Writes a file (folders on the way are made); returns its full path.
    std::string write(const std::string& relative, const std::string& bytes)
    {
        const auto slash = relative.rfind('/');
        if (slash != std::string::npos)
            QDir().mkpath(toQt(path(relative.substr(0, slash))));
        std::ofstream(path(relative), std::ios::binary) << bytes;
        return path(relative);
    }
    // A file the playlist takes for FLV: its first three bytes are "FLV".
    std::string flv(const std::string& relative) { return write(relative, "FLV\x01\x05junk"); }

    // One frame of the 60 fps playlist movie.
    static constexpr int kFrameMs = 17;

    QTemporaryDir scratch;
    CPlayerDlg* player;
};

} // namespace zepo::test
