#include "tests/support/LogCapture.h"

#include <QString>

namespace zepo::test {
namespace {

// The capture in force; the stream's threads log while tests set it up and tear it down.
std::mutex installedMutex;
LogCapture* installed = nullptr;  // guarded by installedMutex

} // namespace

LogCapture::LogCapture()
{
    std::lock_guard lock(installedMutex);
    installed = this;
    previous_ = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    std::lock_guard lock(installedMutex);
    qInstallMessageHandler(previous_);
    installed = nullptr;
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    std::lock_guard lock(installedMutex);
    if (!installed)
        return;
    std::lock_guard linesLock(installed->mutex_);
    installed->lines_.push_back({context.category ? context.category : "", type, message.toStdString()});
}

std::vector<LogCapture::Line> LogCapture::lines(const std::string& category, const std::string& part) const
{
    std::lock_guard lock(mutex_);
    std::vector<Line> found;
    for (const Line& line : lines_) {
        if (line.category == category && line.text.find(part) != std::string::npos)
            found.push_back(line);
    }
    return found;
}

} // namespace zepo::test
