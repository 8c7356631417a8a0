#include "tests/support/PlayerHarness.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <fstream>
#include <sstream>

namespace zepo::test {

PlayerHarness::PlayerHarness(std::vector<std::string> args)
    : arguments(std::move(args)), environment_{clock, streams.factory()}
{
}

PlayerHarness::~PlayerHarness()
{
    window.reset();
}

CPlayerDlg& PlayerHarness::open()
{
    window.reset();
    PlayerServices services{environment_, messages,  modes, desktop, folder() + "/zepo", arguments,
                            [this] { return cursor; }};
    window = std::make_unique<CPlayerDlg>(std::move(services));
    window->show();
    processEvents();
    return *window;
}

void PlayerHarness::close()
{
    if (window)
        window->close();
    processEvents();
}

void PlayerHarness::processEvents()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::string PlayerHarness::settingsPath() const
{
    return folder() + "/setting.ini";
}

std::string PlayerHarness::iniText() const
{
    std::ifstream in(settingsPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void PlayerHarness::writeIni(const std::string& content) const
{
    std::ofstream(settingsPath(), std::ios::binary) << content;
}

} // namespace zepo::test
