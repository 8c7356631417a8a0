// Real playback through FlvNetStream, headless (offscreen Qt, SDL's dummy audio driver
// unless told otherwise), pictures converted to their display size as in the player.
//   bench_play play FILE SECONDS [CODED_FPS]  time to first frame, CPU, peak memory, frames;
//                                             with CODED_FPS, the picture's centre luma counts
//                                             frames (16 + 6 * (n mod 30)) and the offset of
//                                             each shown picture from the sound clock is measured
//   bench_play first FILE                     exits when the first picture is shown
//   bench_play seek FILE COUNT                paused precise seeks: time until the picture shows
#include "bench/BenchSupport.h"
#include "stream/FlvCodecs.h"
#include "stream/FlvNetStreamFactory.h"
#include "stream/FlvReader.h"

#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using namespace zepo;

namespace {

class Sink : public stream::VideoSink {
public:
    explicit Sink(stream::NetStream& s) : stream_(s) {}
    void showFrame(const QImage& frame) override
    {
        if (frames == 0)
            firstFrame = bench::Clock::now();
        ++frames;
        last = bench::Clock::now();
        size = frame.size();
        if (codedFps > 0) {
            const QRgb c = frame.pixel(frame.width() / 2, frame.height() / 2);
            const double luma = (0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c)) * 219.0 / 255.0;
            const int n = int(std::lround(luma / 6.0)) % 30;
            const double clock = stream_.time();
            const double period = 30.0 / codedFps;
            double pts = videoStart + n / codedFps;
            pts += std::round((clock - pts) / period) * period;
            offsets.push_back(clock - pts);
        }
        if (onFrame)
            onFrame();
    }

    stream::NetStream& stream_;
    long frames = 0;
    double codedFps = 0;
    double videoStart = 0;  // the muxer shifts the pictures by the sound's encoder delay
    QSize size;
    bench::Clock::time_point firstFrame{};
    bench::Clock::time_point last{};
    std::vector<double> offsets;
    std::function<void()> onFrame;
};

// Presentation time of the first picture in the file.
double firstPictureTime(const char* file)
{
    auto reader = stream::FlvReader::open(stream::FileSource::open(file));
    while (reader) {
        auto tag = reader->next(true);
        if (!tag)
            break;
        if (tag->header.type != stream::FlvTagType::Video)
            continue;
        const auto info = stream::parseVideoPayload(tag->data);
        if (info.kind == stream::FlvPayload::Kind::Frame)
            return (double(tag->header.timestampMs) + info.compositionMs) / 1000.0;
    }
    return 0;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int play(QGuiApplication& app, const char* file, double seconds, double codedFps)
{
    auto s = stream::createFlvNetStream();
    Sink sink(*s);
    sink.codedFps = codedFps;
    sink.videoStart = firstPictureTime(file);
    s->attachVideo(&sink);
    s->onStatus([&](const std::string& code) {
        if (code == stream::kPlayStop || code == stream::kStreamNotFound)
            app.quit();
    });
    QTimer::singleShot(int(seconds * 1000), &app, &QGuiApplication::quit);
    const double cpu0 = bench::cpuSeconds();
    const auto t = bench::Clock::now();
    s->play(file);
    app.exec();
    const double wall = bench::secondsSince(t);
    const double cpu = bench::cpuSeconds() - cpu0;
    const double ttff = sink.frames ? std::chrono::duration<double>(sink.firstFrame - t).count() * 1000 : -1;
    std::printf("ttff_ms=%.1f wall_s=%.2f cpu_percent=%.1f peak_rss_mib=%.1f frames=%ld fps=%.1f size=%dx%d\n", ttff,
                wall, 100 * cpu / wall, bench::peakRssMiB(), sink.frames,
                sink.frames > 1 ? (sink.frames - 1) / std::chrono::duration<double>(sink.last - sink.firstFrame).count() : 0.0,
                sink.size.width(), sink.size.height());
    if (!sink.offsets.empty()) {
        std::vector<double> abs;
        for (double o : sink.offsets)
            abs.push_back(std::fabs(o) * 1000);
        double mean = 0;
        for (double o : sink.offsets)
            mean += o * 1000;
        mean /= double(sink.offsets.size());
        std::printf("av_offset_mean_ms=%.1f av_offset_median_abs_ms=%.1f av_offset_max_abs_ms=%.1f\n", mean,
                    median(abs), *std::max_element(abs.begin(), abs.end()));
    }
    return 0;
}

int first(QGuiApplication& app, const char* file)
{
    auto s = stream::createFlvNetStream();
    Sink sink(*s);
    sink.onFrame = [&] { app.quit(); };
    s->attachVideo(&sink);
    s->play(file);
    QTimer::singleShot(10000, &app, &QGuiApplication::quit);
    app.exec();
    return sink.frames ? 0 : 1;
}

int seeks(QGuiApplication& app, const char* file, int count)
{
    auto s = stream::createFlvNetStream();
    Sink sink(*s);
    s->attachVideo(&sink);
    bool full = false;
    double end = 0;
    s->onMetaData([&](const stream::AmfValue& m) {
        if (const auto* d = m.get("duration"))
            end = d->numberOr(0);
    });
    s->onStatus([&](const std::string& code) {
        if (code == stream::kBufferFull)
            full = true;
    });
    s->play(file);
    while (!full)
        app.processEvents(QEventLoop::WaitForMoreEvents);
    s->pause();
    std::mt19937 random(7);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double target = std::uniform_real_distribution<double>(0, std::max(1.0, end - 1))(random);
        const long before = sink.frames;
        const auto t = bench::Clock::now();
        s->seek(target);
        while (sink.frames == before && bench::secondsSince(t) < 5)
            app.processEvents(QEventLoop::WaitForMoreEvents, 5);
        times.push_back(bench::secondsSince(t) * 1000);
    }
    std::sort(times.begin(), times.end());
    std::printf("seek_ms_median=%.1f seek_ms_p90=%.1f seek_ms_max=%.1f seeks=%d\n", times[times.size() / 2],
                times[times.size() * 9 / 10], times.back(), count);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("SDL_AUDIODRIVER").isEmpty())
        qputenv("SDL_AUDIODRIVER", "dummy");
    QGuiApplication app(argc, argv);
    if (argc >= 5 && std::strcmp(argv[1], "play") == 0)
        return play(app, argv[2], std::atof(argv[3]), std::atof(argv[4]));
    if (argc >= 4 && std::strcmp(argv[1], "play") == 0)
        return play(app, argv[2], std::atof(argv[3]), 0);
    if (argc >= 3 && std::strcmp(argv[1], "first") == 0)
        return first(app, argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "seek") == 0)
        return seeks(app, argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: %s play FILE SECONDS [CODED_FPS] | first FILE | seek FILE COUNT\n", argv[0]);
    return 2;
}
