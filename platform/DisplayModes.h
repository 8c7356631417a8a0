#pragma once

#include <optional>
#include <vector>

namespace zepo {

// One display mode of the output that shows the player window.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshHz = 0;
    bool operator==(const DisplayMode&) const = default;
};

// The platform's display modes, numbered in the output's own order from 0. A change is
// temporary: restoreStartupMode() goes back to the mode in force when the program
// started (also done at exit by the implementation).
class DisplayModes {
public:
    enum class ChangeResult { Successful, Restart, Failed };

    virtual ~DisplayModes() = default;
    virtual std::optional<DisplayMode> current() = 0;
    // Mode number n, or nothing past the last one.
    virtual std::optional<DisplayMode> mode(int number) = 0;
    virtual ChangeResult change(const DisplayMode& mode) = 0;
    virtual void restoreStartupMode() = 0;
};

} // namespace zepo
