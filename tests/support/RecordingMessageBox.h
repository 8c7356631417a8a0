#pragma once

#include "platform/MessageBoxService.h"

#include <string>
#include <vector>

namespace zepo::test {

// Records message-box texts instead of showing them.
class RecordingMessageBox : public MessageBoxService {
public:
    void show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

} // namespace zepo::test
