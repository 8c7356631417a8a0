#pragma once

#include <string>

namespace zepo {

// Opens a web address in the desktop's browser. Behind an interface so tests record the
// addresses instead of starting a browser. UI thread only.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const std::string& url) = 0;
};

// The desktop's own opener (the user's preferred browser or file handler); lives for
// the whole process.
UrlOpener& desktopUrlOpener();

} // namespace zepo
