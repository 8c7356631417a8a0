#pragma once

#include "bridge/Movie.h"

#include <memory>
#include <string>
#include <vector>

namespace zepo::test {

// A movie that records the host's bridge calls into a log shared by several movies, as
// "<name>.set <path>=<value>", "<name>.get <path>" and "<name>.goto <label>", so a test
// can check the exact order of calls across movies. It sends movie commands on request.
class RecordingMovie : public Movie {
public:
    using Log = std::vector<std::string>;

    RecordingMovie(TimerService& timers, const MovieSlot& slot, std::shared_ptr<Log> log, std::string name)
        : Movie(timers, slot), log_(std::move(log)), name_(std::move(name))
    {
    }

    void setVariable(const std::string& path, const std::string& value) override
    {
        log_->push_back(name_ + ".set " + path + "=" + value);
        Movie::setVariable(path, value);
    }
    std::string getVariable(const std::string& path) const override
    {
        log_->push_back(name_ + ".get " + path);
        return Movie::getVariable(path);
    }
    void gotoLabel(const std::string& target, const std::string& label) override
    {
        log_->push_back(name_ + ".goto " + (target == kCommandClip ? label : target + ":" + label));
    }

    // Sets a variable without recording it: the movie's own state.
    void preset(const std::string& path, const std::string& value) { Movie::setVariable(path, value); }
    // Sends a movie command (the FSCommand event).
    void send(const std::string& command, const std::string& args = {}) { sendCommand(command, args); }

protected:
    void onLoad() override {}

private:
    std::shared_ptr<Log> log_;
    std::string name_;
};

} // namespace zepo::test
