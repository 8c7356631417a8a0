#pragma once

#include <string>

namespace zepo {

// The program's one kind of message box: the text, an OK button, no icon, captioned with
// the executable's name. show() returns when the user has closed the box (a nested
// event loop keeps timers and movie commands running meanwhile). Behind an interface so
// tests record the texts instead of blocking.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const std::string& text) = 0;
};

} // namespace zepo
