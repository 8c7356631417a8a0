#pragma once

#include "stream/StreamEvents.h"

#include <mutex>
#include <string>
#include <vector>

namespace zepo::stream {

// What a session's threads told their owner, in order.
class RecordingEvents final : public StreamEvents {
public:
    void status(const char* code) override
    {
        std::lock_guard lock(mutex_);
        statuses_.emplace_back(code);
    }
    void error(StreamError error) override
    {
        std::lock_guard lock(mutex_);
        errors_.push_back(std::move(error));
    }
    void metaData(AmfValue) override
    {
        std::lock_guard lock(mutex_);
        ++metaData_;
    }
    void frame(Picture picture) override
    {
        std::lock_guard lock(mutex_);
        pictures_.push_back(std::move(picture));
    }

    std::vector<std::string> statuses() const
    {
        std::lock_guard lock(mutex_);
        return statuses_;
    }
    std::vector<StreamError> errors() const
    {
        std::lock_guard lock(mutex_);
        return errors_;
    }
    int metaData() const
    {
        std::lock_guard lock(mutex_);
        return metaData_;
    }
    std::vector<Picture> pictures() const
    {
        std::lock_guard lock(mutex_);
        return pictures_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> statuses_;
    std::vector<StreamError> errors_;
    int metaData_ = 0;
    std::vector<Picture> pictures_;
};

} // namespace zepo::stream
