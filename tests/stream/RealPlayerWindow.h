#pragma once

#include "bridge/CShockwaveFlash.h"
#include "movies/LoadFlv_2.h"
#include "movies/MovieEnvironment.h"
#include "platform/PathText.h"
#include "platform/QtTimerService.h"
#include "player/CPlayerDlg.h"
#include "movies/FlvStreams.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingMessageBox.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

namespace zepo::test {

// The real player window with the real streams and real time (setting.ini goes into a
// temporary folder; message boxes are recorded, the desktop is a fake). It writes down
// the movie commands the probe sends, so a test can see how a file was measured.
class RealPlayerWindow {
public:
    RealPlayerWindow()
    {
        QObject::connect(&player.probeControl(), &CShockwaveFlash::FSCommand, &player,
                         [this](const std::string& command, const std::string&) { probeCommands.push_back(command); });
        player.show();
        exposed = QTest::qWaitForWindowExposed(&player);
    }

    PlayerMovie& movie() { return *dynamic_cast<PlayerMovie*>(player.playerControl().movie()); }
    std::string variable(const std::string& name) { return player.playerControl().GetVariable(name); }
    int probeCount(const std::string& command) const
    {
        return int(std::count(probeCommands.begin(), probeCommands.end(), command));
    }

    QTemporaryDir dir;
    QtTimerService timers;
    RecordingMessageBox messages;
    FakeDisplayModes modes;
    FakeDesktopWindows desktop;
    MovieEnvironment movies{timers, flvStreams(timers)};
    CPlayerDlg player{{movies, messages, modes, desktop, fromQt(dir.path()) + "/zepo", {}, [] { return QPoint(); }}};
    std::vector<std::string> probeCommands;
    bool exposed = false;
};

} // namespace zepo::test
