#pragma once

// A real player window on the manual clock, with recording movies in its player and
// playlist controls and fake display modes and desktop windows, for the tests of the
// commands, the input filter, the menu and full screen.
#include "settings/CSettingFile.h"
#include "movies/MovieEnvironment.h"
#include "platform/ManualClock.h"
#include "player/CPlayerDlg.h"
#include "playlist/CPlayListDlg.h"
#include "res/MovieSlots.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/RecordingMovie.h"
#include "tests/support/ScriptedStream.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zepo::test {

// The fake desktop, also telling which windows were put back, in order.
class RecordingDesktop : public FakeDesktopWindows {
public:
    std::vector<std::uint64_t> restored;

    void add(std::uint64_t id, const std::string& title, QRect frame, bool visible = true,
             const std::string& windowClass = "XTerm")
    {
        windows.push_back({id, title, windowClass, visible});
        placements[id] = {frame, false, false};
    }
    void setPlacement(std::uint64_t id, const WindowPlacement& placement) override
    {
        restored.push_back(id);
        FakeDesktopWindows::setPlacement(id, placement);
    }
};

// The player window with AddFiles recorded instead of run, so the drop rules can be
// read off directly.
class DropRecordingPlayer : public CPlayerDlg {
public:
    using CPlayerDlg::CPlayerDlg;
    struct Added {
        std::vector<std::string> paths;
        AddMode mode;
    };
    std::vector<Added> added;
    void AddFiles(const std::vector<std::string>& paths, AddMode mode) override { added.push_back({paths, mode}); }
};

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        player = std::make_unique<DropRecordingPlayer>(PlayerServices{
            environment, messages, modes, desktop, folder.filePath("zepo").toStdString(), {}, {}});
        player->playerControl().loadMovie(std::make_unique<RecordingMovie>(clock, *movieSlot(kPlayerMovieControl), log, "player"));
        player->playerControl().movie()->load();
        player->playlist()->movie().loadMovie(
            std::make_unique<RecordingMovie>(clock, *movieSlot(kPlayListMovieControl), log, "playlist"));
        player->playlist()->movie().movie()->load();
    }

    // The host commands a movie ("player" or "playlist") received, in order.
    std::vector<std::string> jumps(const std::string& movie) const
    {
        const std::string prefix = movie + ".goto ";
        std::vector<std::string> labels;
        for (const std::string& entry : *log)
            if (entry.rfind(prefix, 0) == 0)
                labels.push_back(entry.substr(prefix.size()));
        return labels;
    }

    CSettingFile& settings() { return *player->settings(); }
    std::string variable(const std::string& name) { return player->playerControl().GetVariable(name); }

    QTemporaryDir folder;
    ManualClock clock;
    ScriptedStreams streams;
    MovieEnvironment environment{clock, streams.factory()};
    RecordingMessageBox messages;
    FakeDisplayModes modes;
    RecordingDesktop desktop;
    std::unique_ptr<DropRecordingPlayer> player;
    std::shared_ptr<RecordingMovie::Log> log = std::make_shared<RecordingMovie::Log>();
};

} // namespace zepo::test
