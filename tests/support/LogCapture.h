#pragma once

#include <QtGlobal>
#include <mutex>
#include <string>
#include <vector>

namespace zepo::test {

// Takes the lines logged while it lives, from any thread, instead of printing them.
class LogCapture {
public:
    struct Line {
        std::string category;  // "zepo.stream", ...
        QtMsgType type;
        std::string text;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines of a category whose text holds `part`.
    std::vector<Line> lines(const std::string& category, const std::string& part = {}) const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    mutable std::mutex mutex_;
    std::vector<Line> lines_;  // guarded by mutex_
    QtMessageHandler previous_ = nullptr;
};

} // namespace zepo::test
