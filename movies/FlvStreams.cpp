#include "movies/FlvStreams.h"

#include "platform/Log.h"
#include "platform/PathText.h"
#include "stream/FlvNetStreamFactory.h"
#include "stream/StreamLog.h"

#include <mutex>

namespace zepo {
namespace {

// The stream's messages in the category zepo.stream, each naming its file.
class QtStreamLog final : public stream::LogSink {
public:
    bool enabled(stream::LogLevel level) const override
    {
        switch (level) {
        case stream::LogLevel::Debug: return lcStream().isDebugEnabled();
        case stream::LogLevel::Warning: return lcStream().isWarningEnabled();
        case stream::LogLevel::Error: return lcStream().isCriticalEnabled();
        }
        return false;
    }
    void write(stream::LogLevel level, const std::string& file, const std::string& message) override
    {
        QString line = QString::fromStdString(message);
        if (!file.empty())
            line.prepend(toQt(file) + QStringLiteral(": "));
        switch (level) {
        case stream::LogLevel::Debug: qCDebug(lcStream).noquote() << line; break;
        case stream::LogLevel::Warning: qCWarning(lcStream).noquote() << line; break;
        case stream::LogLevel::Error: qCCritical(lcStream).noquote() << line; break;
        }
    }
};

} // namespace

stream::StreamFactory flvStreams(QtTimerService& uiThread)
{
    static QtStreamLog log;
    static std::once_flag installed;
    std::call_once(installed, [] { stream::setLogSink(&log); });
    return [&uiThread] {
        return stream::createFlvNetStream([&uiThread](std::function<void()> call) { uiThread.post(std::move(call)); });
    };
}

} // namespace zepo
