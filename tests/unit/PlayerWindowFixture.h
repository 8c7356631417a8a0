#pragma once

// A real player window on the manual clock, with recording movies in its player and
// playlist controls and fake display modes and desktop windows, for the tests of the
// commands, the input filter, the menu and full screen.
#include "app/CSettingFile.h"
#include "bridge/Movie.h"
#include "movies/MovieEnvironment.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/ManualClock.h"
#include "player/CPlayerDlg.h"
#include "playlist/CPlayListDlg.h"
#include "res/MovieSlots.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScriptedStream.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace zepo::test {

// A movie whose command clip knows every label the host sends and records each jump.
class RecordingMovie : public Movie {
public:
    RecordingMovie(TimerService& timers, int controlId, std::vector<std::string>& jumps)
        : Movie(timers, *movieSlot(controlId)), jumps_(jumps)
    {
    }

protected:
    void onLoad() override
    {
        for (const char* label : {"back", "forward", "pause", "play", "stop", "repeat", "ratio", "fix", "volUp",
                                  "volDown", "gotoPrevFlv_2", "gotoNextFlv_2", "newList", "addList"})
            defineLabel(label, [this, label] { jumps_.push_back(label); });
    }

private:
    std::vector<std::string>& jumps_;
};

class FakeDisplayModes : public DisplayModes {
public:
    std::optional<DisplayMode> currentMode;
    std::vector<DisplayMode> modes;
    ChangeResult result = ChangeResult::Successful;
    std::vector<DisplayMode> changes;
    int restores = 0;

    std::optional<DisplayMode> current() override { return currentMode; }
    std::optional<DisplayMode> mode(int number) override
    {
        if (number < 0 || number >= static_cast<int>(modes.size()))
            return std::nullopt;
        return modes[static_cast<std::size_t>(number)];
    }
    ChangeResult change(const DisplayMode& mode) override
    {
        changes.push_back(mode);
        return result;
    }
    void restoreStartupMode() override { ++restores; }
};

class FakeDesktop : public DesktopWindows {
public:
    std::vector<DesktopWindow> windows;
    std::map<std::uint64_t, WindowPlacement> placements;
    std::vector<std::uint64_t> restored;  // ids, in the order they were put back
    std::map<std::uint64_t, WindowPlacement> restoredTo;

    void add(std::uint64_t id, const std::string& title, QRect frame, bool visible = true,
             const std::string& windowClass = "XTerm")
    {
        windows.push_back({id, title, windowClass, visible});
        placements[id] = {frame, false, false};
    }
    std::vector<DesktopWindow> list() override { return windows; }
    bool placement(std::uint64_t id, WindowPlacement& out) override
    {
        const auto it = placements.find(id);
        if (it == placements.end())
            return false;
        out = it->second;
        return true;
    }
    void setPlacement(std::uint64_t id, const WindowPlacement& placement) override
    {
        restored.push_back(id);
        restoredTo[id] = placement;
    }
    void stackBehind(std::uint64_t, std::uint64_t) override {}
};

// The player window with AddFiles recorded instead of run, so the drop rules can be
// read off directly.
class TestPlayer : public CPlayerDlg {
public:
    using CPlayerDlg::CPlayerDlg;
    struct Added {
        std::vector<std::string> paths;
        int mode;
    };
    std::vector<Added> added;
    void AddFiles(const std::vector<std::string>& paths, int mode) override { added.push_back({paths, mode}); }
};

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        player = std::make_unique<TestPlayer>(PlayerServices{
            environment, messages, modes, desktop, folder.filePath("zepo").toStdString(), {}, {}});
        player->playerControl().loadMovie(std::make_unique<RecordingMovie>(clock, 1000, playerJumps));
        player->playerControl().movie()->load();
        player->playlist()->movie().loadMovie(std::make_unique<RecordingMovie>(clock, 1014, playlistJumps));
        player->playlist()->movie().movie()->load();
    }

    CSettingFile& settings() { return *player->settings(); }
    std::string variable(const std::string& name) { return player->playerControl().GetVariable(name); }

    QTemporaryDir folder;
    ManualClock clock;
    ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
    RecordingMessageBox messages;
    FakeDisplayModes modes;
    FakeDesktop desktop;
    std::unique_ptr<TestPlayer> player;
    std::vector<std::string> playerJumps;
    std::vector<std::string> playlistJumps;
};

} // namespace zepo::test
