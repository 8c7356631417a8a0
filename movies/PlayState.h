#pragma once

namespace zepo::playstate {

// Play state of a playlist entry (the data of its state-column row).
enum PlayState {
    Pending, // will be played by next/previous
    Playing, // the current entry while it plays
    Done,    // played, stopped or switched off; skipped by next/previous
};

} // namespace zepo::playstate
