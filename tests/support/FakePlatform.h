#pragma once

#include "platform/DesktopWindows.h"
#include "platform/DisplayModes.h"

#include <deque>
#include <map>
#include <vector>

namespace zepo::test {

// Display modes from a list; records the changes asked for.
class FakeDisplayModes : public DisplayModes {
public:
    std::vector<DisplayMode> modes;
    DisplayMode currentMode{1280, 1024, 32, 60};
    ChangeResult nextResult = ChangeResult::Successful;
    std::deque<ChangeResult> scriptedResults; // answered first, one a change, then nextResult
    std::vector<DisplayMode> changes;
    int restores = 0;

    std::optional<DisplayMode> current() override { return currentMode; }
    std::optional<DisplayMode> mode(int number) override
    {
        if (number < 0 || number >= static_cast<int>(modes.size()))
            return std::nullopt;
        return modes[static_cast<std::size_t>(number)];
    }
    ChangeResult change(const DisplayMode& mode) override
    {
        changes.push_back(mode);
        if (scriptedResults.empty())
            return nextResult;
        const ChangeResult result = scriptedResults.front();
        scriptedResults.pop_front();
        return result;
    }
    void restoreStartupMode() override { ++restores; }
};

// A desktop of listed windows with settable placements; records restacking.
class FakeDesktopWindows : public DesktopWindows {
public:
    std::vector<DesktopWindow> windows;
    std::map<std::uint64_t, WindowPlacement> placements;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> restacks; // (partner, top)
    bool windowManager = true; // false: no window manager takes windows to full screen
    std::vector<std::uint64_t> activations;

    std::vector<DesktopWindow> list() override { return windows; }
    bool placement(std::uint64_t id, WindowPlacement& out) override
    {
        auto it = placements.find(id);
        if (it == placements.end())
            return false;
        out = it->second;
        return true;
    }
    void setPlacement(std::uint64_t id, const WindowPlacement& placement) override { placements[id] = placement; }
    void raiseWithPartner(std::uint64_t top, std::uint64_t partner) override { restacks.emplace_back(partner, top); }
    // As the last restack left them.
    bool stackedBehind(std::uint64_t top, std::uint64_t partner) override
    {
        return !restacks.empty() && restacks.back() == std::make_pair(partner, top);
    }
    void activate(std::uint64_t id) override { activations.push_back(id); }
    bool managesFullScreen() override { return windowManager; }
};

} // namespace zepo::test
