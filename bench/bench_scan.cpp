// Reader throughput: the keyframe-index scan (tag headers only) and a full tag read
// (payloads copied) against reading the file's bytes, all from the page cache.
// Usage: bench_scan FILE [REPEATS]
#include "bench/BenchSupport.h"
#include "stream/ByteSource.h"
#include "stream/FlvReader.h"
#include "stream/KeyframeIndex.h"

#include <cstdlib>
#include <vector>

using namespace zepo;
using namespace zepo::stream;

namespace {

// Large reads, as any program reading a file at full speed does.
constexpr std::size_t kReadChunk = 1 << 20;

double readBytes(const char* path)
{
    auto source = FileSource::open(path);
    std::vector<std::uint8_t> buffer(kReadChunk);
    const auto t = bench::Clock::now();
    std::uint64_t at = 0;
    std::uint64_t sum = 0;
    while (at < source->size()) {
        const auto n = source->readAt(at, buffer);
        if (n <= 0)
            break;
        sum += buffer[0];
        at += std::uint64_t(n);
    }
    const double s = bench::secondsSince(t);
    if (sum == 1)
        std::puts("");  // keeps the reads from being optimised away
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPEATS]\n", argv[0]);
        return 2;
    }
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 20;
    const auto size = FileSource::open(argv[1]) ? FileSource::open(argv[1])->size() : 0;
    if (size == 0)
        return 1;
    double read = 0;
    double scan = 0;
    double tags = 0;
    std::size_t points = 0;
    std::size_t count = 0;
    readBytes(argv[1]);  // warm the page cache
    for (int i = 0; i < repeats; ++i) {
        read += readBytes(argv[1]);

        auto reader = FlvReader::open(FileSource::open(argv[1]));
        auto t = bench::Clock::now();
        auto index = KeyframeIndex::scan(*reader);
        scan += bench::secondsSince(t);
        points = index ? index->points().size() : 0;

        auto full = FlvReader::open(FileSource::open(argv[1]));
        t = bench::Clock::now();
        count = 0;
        while (full->next(true))
            ++count;
        tags += bench::secondsSince(t);
    }
    const double mib = double(size) / (1 << 20);
    std::printf("file_mib=%.2f tags=%zu seek_points=%zu\n", mib, count, points);
    std::printf("read_bytes_mib_s=%.0f\n", mib * repeats / read);
    std::printf("index_scan_mib_s=%.0f index_scan_ms=%.3f\n", mib * repeats / scan, scan / repeats * 1000);
    std::printf("read_all_tags_mib_s=%.0f\n", mib * repeats / tags);
    return 0;
}
