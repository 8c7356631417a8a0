#pragma once

#include <cstdint>

namespace zepo {

// The movie controls, by the id their dialog template gives them.
inline constexpr int kPlayerMovieControl = 1000;
inline constexpr int kProbeMovieControl = 1013;
inline constexpr int kPlayListMovieControl = 1014;
inline constexpr int kAboutMovieControl = 1012;

// How a movie's stage maps onto its control.
enum class StageScale {
    NoScale, // the stage is the control's size, centred on the authoring stage's centre
    ShowAll, // the authoring stage is scaled to fit the control, centred, aspect kept
};

// One movie control: which movie it carries and how the runtime shows it.
struct MovieSlot {
    int controlId;
    const char* movie;      // the movie's source name
    int stageWidth;         // authoring stage, pixels
    int stageHeight;
    int frameRate;          // frames per second
    StageScale scale;
    bool startsPlaying;     // false: sits in frame 1 until the host steps it
    std::uint32_t background; // 0xRRGGBB
};

inline constexpr MovieSlot kMovieSlots[] = {
    {kPlayerMovieControl, "LoadFlv_2", 640, 480, 30, StageScale::NoScale, true, 0x000000},
    {kProbeMovieControl, "searchFlvData", 200, 100, 12, StageScale::ShowAll, false, 0xFFFFFF},
    {kPlayListMovieControl, "playList", 400, 400, 60, StageScale::NoScale, true, 0x000000},
    {kAboutMovieControl, "flv_about", 330, 80, 12, StageScale::ShowAll, true, 0x000000},
};

// The slot of a control id; null for an id without a movie.
constexpr const MovieSlot* movieSlot(int controlId)
{
    for (const MovieSlot& slot : kMovieSlots)
        if (slot.controlId == controlId)
            return &slot;
    return nullptr;
}

} // namespace zepo
