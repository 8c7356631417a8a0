#pragma once

#include "movies/MovieEnvironment.h"
#include "platform/ManualClock.h"
#include "player/CPlayerDlg.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScriptedStream.h"

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace zepo::test {

// A real player window in a temporary folder (setting.ini goes beside a pretend
// executable there), on the manual clock, with scripted streams, recorded message boxes
// and a fake desktop. The pointer is wherever the test puts `cursor`.
class PlayerHarness {
public:
    explicit PlayerHarness(std::vector<std::string> arguments = {});
    ~PlayerHarness();

    // Makes the window (again, after close()), runs its movies' first frames.
    CPlayerDlg& open();
    // Closes the window as the user would; the save sequence runs.
    void close();
    // Lets queued calls and posted events run.
    static void processEvents();

    std::string settingsPath() const;
    std::string iniText() const;
    void writeIni(const std::string& content) const;
    std::string folder() const { return dir_.path().toStdString(); }

    ManualClock clock;
    ScriptedStreams streams;
    RecordingMessageBox messages;
    FakeDisplayModes modes;
    FakeDesktopWindows desktop;
    QPoint cursor{0, 0};
    std::vector<std::string> arguments;
    std::unique_ptr<CPlayerDlg> window;

private:
    QTemporaryDir dir_;
    MovieEnvironment environment_;
};

} // namespace zepo::test
