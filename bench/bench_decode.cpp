// Decode floor: every audio and video packet of a file through our reader and the same
// FFmpeg decoders (and threading) playback uses, as fast as they go, with nothing shown
// or heard. Run REPEATS times; the median run is reported, as noise on a shared machine
// only ever adds time.
// Usage: bench_decode FILE [REPEATS]
#include "bench/BenchSupport.h"
#include "bench/TrackDecoder.h"
#include "stream/FlvReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace zepo;
using namespace zepo::stream;

namespace {

struct Run {
    double wall = 0;
    double cpu = 0;
    long videoFrames = 0;
    long audioFrames = 0;
};

std::optional<Run> decodeOnce(const char* file)
{
    auto reader = FlvReader::open(FileSource::open(file));
    if (!reader)
        return std::nullopt;
    bench::TrackDecoder video;
    bench::TrackDecoder audio;
    const double cpu0 = bench::cpuSeconds();
    const auto t = bench::Clock::now();
    while (auto tag = reader->next(true)) {
        if (tag->header.type == FlvTagType::Video)
            video.feed(parseVideoPayload(tag->data), tag->data, tag->header.timestampMs);
        else if (tag->header.type == FlvTagType::Audio)
            audio.feed(parseAudioPayload(tag->data), tag->data, tag->header.timestampMs);
    }
    video.finish();
    audio.finish();
    return Run{bench::secondsSince(t), bench::cpuSeconds() - cpu0, video.frames, audio.frames};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPEATS]\n", argv[0]);
        return 2;
    }
    const int repeats = std::max(1, argc > 2 ? std::atoi(argv[2]) : 1);
    std::vector<Run> runs;
    for (int i = 0; i < repeats; ++i) {
        auto run = decodeOnce(argv[1]);
        if (!run)
            return 1;
        runs.push_back(*run);
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.cpu < b.cpu; });
    const Run& r = runs[runs.size() / 2];
    std::printf("decode_wall_s=%.3f decode_cpu_s=%.3f video_frames=%ld audio_frames=%ld\n", r.wall, r.cpu,
                r.videoFrames, r.audioFrames);
    return 0;
}
