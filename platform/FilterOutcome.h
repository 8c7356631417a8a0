#pragma once

namespace zepo {

// What a window's input filter makes of an event it has looked at.
enum class FilterOutcome {
    Consumed, // handled by the filter: nothing else sees the event
    Direct,   // on to its target, but never to the dialog's own key handling
    Standard, // on to its target and the dialog's own key handling
};

} // namespace zepo
