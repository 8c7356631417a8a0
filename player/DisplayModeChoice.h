#pragma once

#include "platform/DisplayModes.h"

#include <optional>
#include <string>

namespace zepo {

// When the target mode shrinks width and height by different ratios, the player movie
// scales its video along one axis so the picture keeps its shape: the variable to set
// ("FullScreenAdjust_w" or "FullScreenAdjust_h") and its value as "%f" prints it.
struct ModeCorrection {
    std::string variable;
    std::string value;
};
// Nothing when the current mode has no size to compare with.
std::optional<ModeCorrection> correctionFor(const DisplayMode& current, const DisplayMode& target);

} // namespace zepo
