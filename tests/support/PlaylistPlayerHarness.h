#pragma once

#include "movies/MovieEnvironment.h"
#include "movies/playList.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/ManualClock.h"
#include "platform/PathText.h"
#include "player/CPlayerDlg.h"
#include "playlist/CPlayListDlg.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScriptedStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace zepo::test {

class NoDisplayModes : public DisplayModes {
public:
    std::optional<DisplayMode> current() override { return std::nullopt; }
    std::optional<DisplayMode> mode(int) override { return std::nullopt; }
    ChangeResult change(const DisplayMode&) override { return ChangeResult::Failed; }
    void restoreStartupMode() override {}
};

class NoDesktopWindows : public DesktopWindows {
public:
    std::vector<DesktopWindow> list() override { return {}; }
    bool placement(std::uint64_t, WindowPlacement&) override { return false; }
    void setPlacement(std::uint64_t, const WindowPlacement&) override {}
    void stackBehind(std::uint64_t, std::uint64_t) override {}
};

// The real player window with its playlist window on the manual clock, scripted streams
// and recorded message boxes, plus a scratch folder for files. The movies are loaded.
class PlaylistPlayerHarness {
public:
    PlaylistPlayerHarness()
    {
        player = std::make_unique<CPlayerDlg>(PlayerServices{
            movies, messages, modes, desktop, fromQt(scratch.path()) + "/zepo", {}, [] { return QPoint(); }});
        // The controls load their movies from the event loop.
        QCoreApplication::processEvents();
    }

    CPlayListDlg& playlist() { return *player->playlist(); }
    PlayListMovie& listMovie() { return *dynamic_cast<PlayListMovie*>(playlist().movie().movie()); }

    // Lets the playlist movie take in everything queued (one path per frame).
    void settle()
    {
        while (listMovie().queuedPaths() > 0)
            clock.advance(17);
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
        const std::string full = path(relative);
        const auto slash = relative.rfind('/');
        if (slash != std::string::npos)
            QDir().mkpath(toQt(path(relative.substr(0, slash))));
        std::ofstream(full, std::ios::binary) << bytes;
        return full;
    }
    std::string flv(const std::string& relative) { return write(relative, "FLV\x01\x05junk"); }

    QTemporaryDir scratch;
    ManualClock clock;
    RecordingMessageBox messages;
    ScriptedStreams streams;
    MovieEnvironment movies{clock, streams.factory()};
    NoDisplayModes modes;
    NoDesktopWindows desktop;
    std::unique_ptr<CPlayerDlg> player;
};

} // namespace zepo::test
