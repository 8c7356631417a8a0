#include "app/CSettingFile.h"
#include "movies/MovieEnvironment.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/ExecutablePath.h"
#include "platform/QtMessageBox.h"
#include "platform/QtTimerService.h"
#include "platform/X11Platform.h"
#include "player/CPlayerDlg.h"

#include <QApplication>

namespace {
// Off X11 nothing changes the display and no other window is known.
class NoDisplayModes : public zepo::DisplayModes {
public:
    std::optional<zepo::DisplayMode> current() override { return std::nullopt; }
    std::optional<zepo::DisplayMode> mode(int) override { return std::nullopt; }
    ChangeResult change(const zepo::DisplayMode&) override { return ChangeResult::Failed; }
    void restoreStartupMode() override {}
};
class NoDesktop : public zepo::DesktopWindows {
public:
    std::vector<zepo::DesktopWindow> list() override { return {}; }
    bool placement(std::uint64_t, zepo::WindowPlacement&) override { return false; }
    void setPlacement(std::uint64_t, const zepo::WindowPlacement&) override {}
    void stackBehind(std::uint64_t, std::uint64_t) override {}
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zepo::QtTimerService timers;
    zepo::QtMessageBox messages;
    zepo::MovieEnvironment movies{timers, [] { return std::unique_ptr<zepo::stream::NetStream>(); }};
    zepo::X11Platform x11 = zepo::openX11Platform();
    NoDisplayModes noModes;
    NoDesktop noDesktop;
    zepo::DisplayModes& modes = x11.displayModes ? static_cast<zepo::DisplayModes&>(*x11.displayModes) : noModes;
    zepo::DesktopWindows& desktop = x11.desktop ? static_cast<zepo::DesktopWindows&>(*x11.desktop) : noDesktop;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    zepo::CPlayerDlg player({movies, messages, modes, desktop, zepo::executablePath(), arguments, {}});
    messages.setParent(&player);
    if (x11.displayModes)
        x11.displayModes->setReferenceWindow(player.winId());
    player.exec();
    return 0;
}
