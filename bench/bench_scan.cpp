// Reader throughput: the keyframe-index scan (tag headers only) and a full tag read
// (payloads copied) against reading the file's bytes, with the file in the page cache
// (warm) and with it dropped from the cache before every pass (cold-ish: the kernel
// forgets the pages, though a disk or a virtual machine's host may still hold them).
// Each figure is the median of REPEATS passes.
// Usage: bench_scan FILE [REPEATS]
#include "bench/BenchSupport.h"
#include "stream/ByteSource.h"
#include "stream/FlvReader.h"
#include "stream/KeyframeIndex.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace zepo;
using namespace zepo::stream;

namespace {

// Large reads, as any program reading a file at full speed does.
constexpr std::size_t kReadChunk = 1 << 20;

void readBytes(const char* path)
{
    auto source = FileSource::open(path);
    std::vector<std::uint8_t> buffer(kReadChunk);
    std::uint64_t at = 0;
    std::uint64_t sum = 0;
    while (at < source->size()) {
        const auto n = source->readAt(at, buffer);
        if (n <= 0)
            break;
        sum += buffer[0];
        at += std::uint64_t(n);
    }
    if (sum == 1)
        std::puts("");  // keeps the reads from being optimised away
}

std::size_t seekPoints = 0;

void scanHeaders(const char* path)
{
    auto reader = FlvReader::open(FileSource::open(path));
    auto index = KeyframeIndex::scan(*reader);
    seekPoints = index ? index->points().size() : 0;
}

std::size_t tags = 0;

void readAllTags(const char* path)
{
    auto reader = FlvReader::open(FileSource::open(path));
    tags = 0;
    while (reader->next(true))
        ++tags;
}

// Written pages are flushed first: only clean pages can be dropped.
void dropFromCache(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// Median seconds of each pass; the passes take turns so that both meet the same
// conditions (the machine is shared, and the disk's own caches change).
std::vector<double> timed(const std::vector<std::function<void()>>& passes, int repeats,
                          const std::function<void()>& before)
{
    std::vector<std::vector<double>> seconds(passes.size());
    for (int i = 0; i < repeats; ++i) {
        for (std::size_t p = 0; p < passes.size(); ++p) {
            before();
            const auto t = bench::Clock::now();
            passes[p]();
            seconds[p].push_back(bench::secondsSince(t));
        }
    }
    std::vector<double> medians;
    for (auto& s : seconds) {
        std::sort(s.begin(), s.end());
        medians.push_back(s[s.size() / 2]);
    }
    return medians;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPEATS]\n", argv[0]);
        return 2;
    }
    const char* path = argv[1];
    const int repeats = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    auto source = FileSource::open(path);
    if (!source || !FlvReader::open(FileSource::open(path)))
        return 1;
    const double mib = double(source->size()) / (1 << 20);
    const auto cold = [&] { dropFromCache(path); };
    const auto warm = [] {};

    const auto read = [&] { readBytes(path); };
    const auto scan = [&] { scanHeaders(path); };
    const auto all = [&] { readAllTags(path); };
    const auto coldRun = timed({read, scan}, repeats, cold);
    readBytes(path);  // into the cache
    const auto warmRun = timed({read, scan, all}, repeats, warm);
    const double readCold = coldRun[0], scanCold = coldRun[1];
    const double readWarm = warmRun[0], scanWarm = warmRun[1], tagsWarm = warmRun[2];

    std::printf("file_mib=%.1f tags=%zu seek_points=%zu\n", mib, tags, seekPoints);
    std::printf("read_cold_mib_s=%.0f scan_cold_mib_s=%.0f read_warm_mib_s=%.0f scan_warm_mib_s=%.0f "
                "read_all_tags_warm_mib_s=%.0f\n",
                mib / readCold, mib / scanCold, mib / readWarm, mib / scanWarm, mib / tagsWarm);
    return 0;
}
