#include "app/CPlayerApp.h"
#include "app/QtPlatformChoice.h"
#include "movies/FlvStreams.h"
#include "movies/MovieEnvironment.h"
#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"
#include "platform/ExecutablePath.h"
#include "platform/JapaneseFonts.h"
#include "platform/Log.h"
#include "platform/QtMessageBox.h"
#include "platform/QtTranslations.h"
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
    void raiseWithPartner(std::uint64_t, std::uint64_t) override {}
    bool stackedBehind(std::uint64_t, std::uint64_t) override { return true; }
    void activate(std::uint64_t) override {}
    // Off X11 the toolkit's platform takes windows to full screen.
    bool managesFullScreen() override { return true; }
};
} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Every argument is a path: Qt sees none of them, so that a file named like one of
    // its options (-style, -display, ...) is opened, not obeyed.
    int qtArgc = 1;
    zepo::chooseQtPlatform();
    QApplication app(qtArgc, argv);
    zepo::installLogFormat();
    const auto qtTexts = zepo::installQtTranslations();
    zepo::QtTimerService timers;
    zepo::CPlayerApp shell(arguments, timers);
    if (!shell.InitInstance())
        return 0;
    zepo::reportJapaneseFonts();

    zepo::QtMessageBox messages;
    zepo::MovieEnvironment movies{timers, zepo::flvStreams(timers)};
    zepo::X11Platform x11 = zepo::openX11Platform();
    NoDisplayModes noModes;
    NoDesktop noDesktop;
    zepo::DisplayModes& modes = x11.displayModes ? static_cast<zepo::DisplayModes&>(*x11.displayModes) : noModes;
    zepo::DesktopWindows& desktop = x11.desktop ? static_cast<zepo::DesktopWindows&>(*x11.desktop) : noDesktop;
    zepo::CPlayerDlg player({movies, messages, modes, desktop, zepo::executablePath(), arguments, {}});
    messages.setParent(&player);
    if (x11.displayModes)
        x11.displayModes->setReferenceWindow(player.winId());
    return shell.Run(player);
}
