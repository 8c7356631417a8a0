// Real playback through FlvNetStream into a window of its own (on the X display when
// there is one, else offscreen), pictures converted to the window's size as in the player,
// sound to SDL (run-bench.sh picks the dummy driver).
//   bench_play play FILE SECONDS WxH   play() to the first painted frame, frames painted,
//                                      CPU and peak memory; on a clip made by run-bench.sh
//                                      (a centre box whose grey counts frames, 16 + 6 * (n
//                                      mod 30), a flash on the first frame of every second
//                                      with a beep) also the offset of every painted frame
//                                      from the sound as heard
//   bench_play seek FILE WxH BASE...   paused precise seeks, as bench_mpv_seek does them in
//                                      mpv: to each base untimed, then 5 s forward and back,
//                                      each timed until its frame is painted
//
// The sound as heard is taken on its way to the device: this program stands in for
// SDL_OpenAudioDevice (the stream's reference to it binds here first) and wraps the
// stream's callback with one that looks for the start of each beep. A sample is counted
// as heard one device buffer after the callback that delivers it, the delay of the
// double-buffered output every real device has (and the stream's clock assumes). Beeps
// heard at known file times give the sound's timeline on the wall clock; each painted
// frame's box gives its timestamp.
#include "bench/BenchSupport.h"
#include "bench/TrackDecoder.h"
#include "movies/FlvStreams.h"
#include "movies/PictureImage.h"
#include "stream/FlvReader.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QRasterWindow>
#include <QTimer>
#include <SDL2/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <vector>

using namespace zepo;

namespace {

// A sample this loud is part of a beep (the clips' beeps peak at 0.5).
constexpr float kBeepLevel = 0.1f;
// A beep starts after at least this much quiet (they come once a second and last 0.1 s).
constexpr double kQuietBeforeBeep = 0.3;
// The clips count frames in the centre box's grey: 16 + kCounterStep * (n mod kCounterPeriod).
constexpr double kCounterStep = 6;
constexpr int kCounterPeriod = 30;
// A centre pixel whose channels differ more than this is no counter box (another clip).
constexpr int kGreySlack = 24;
// The window the painted frames' offsets should stay in (ms, video minus sound).
constexpr double kSyncEarliest = -60;
constexpr double kSyncLatest = 40;
// How long a seek may take before the run gives up on it.
constexpr double kSeekLimitSeconds = 20;
// The seek distance asked for.
constexpr double kStepSeconds = 5;
// Long enough for every picture posted before a pause to be painted.
constexpr double kSettleSeconds = 0.3;

// Finds where beeps start in a stream of samples.
class BeepFinder {
public:
    explicit BeepFinder(int rate) : quietNeeded_(long(kQuietBeforeBeep * rate)), quiet_(quietNeeded_) {}
    // Whether this sample starts a beep.
    bool starts(float sample)
    {
        if (std::fabs(sample) <= kBeepLevel) {
            ++quiet_;
            return false;
        }
        const bool start = quiet_ >= quietNeeded_;
        quiet_ = 0;
        return start;
    }

private:
    long quietNeeded_;
    long quiet_;  // samples since the last loud one
};

// The device side: the stream's callback, wrapped.
struct AudioTap {
    SDL_AudioCallback streamCallback = nullptr;  // set when the device opens, then read by SDL's thread
    void* streamData = nullptr;
    int rate = 0;
    int channels = 0;
    double latency = 0;                          // seconds: one device buffer
    std::optional<BeepFinder> finder;            // SDL's audio thread only
    bool soundSeen = false;                      // SDL's audio thread only

    std::mutex mutex;
    std::vector<bench::Clock::time_point> heard;          // guarded: beep starts as heard
    std::optional<bench::Clock::time_point> soundHeard;   // guarded: the first sound as heard
};

AudioTap& tap()
{
    static AudioTap t;
    return t;
}

void SDLCALL listen(void*, Uint8* stream, int length)
{
    AudioTap& t = tap();
    const auto now = bench::Clock::now();
    t.streamCallback(t.streamData, stream, length);
    const auto* samples = reinterpret_cast<const float*>(stream);
    const int frames = length / int(sizeof(float)) / t.channels;
    const auto at = [&](int i) {
        return now + std::chrono::duration_cast<bench::Clock::duration>(
                         std::chrono::duration<double>(t.latency + double(i) / t.rate));
    };
    for (int i = 0; i < frames; ++i) {
        const float s = samples[i * t.channels];
        if (s != 0.0f && !t.soundSeen) {
            t.soundSeen = true;
            std::lock_guard lock(t.mutex);
            t.soundHeard = at(i);
        }
        if (t.finder->starts(s)) {
            std::lock_guard lock(t.mutex);
            t.heard.push_back(at(i));
        }
    }
}

} // namespace

// Stands in for SDL's own: the stream's device opens through here.
extern "C" SDL_AudioDeviceID SDL_OpenAudioDevice(const char* device, int capture, const SDL_AudioSpec* desired,
                                                 SDL_AudioSpec* obtained, int allowedChanges)
{
    using Open = SDL_AudioDeviceID (*)(const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*, int);
    static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "SDL_OpenAudioDevice"));
    if (!real)
        return 0;
    // Only float output can be listened to; the stream asks for it and allows no other.
    if (capture || !desired || desired->format != AUDIO_F32SYS || (allowedChanges & SDL_AUDIO_ALLOW_FORMAT_CHANGE))
        return real(device, capture, desired, obtained, allowedChanges);
    AudioTap& t = tap();
    SDL_AudioSpec wrapped = *desired;
    t.streamCallback = desired->callback;
    t.streamData = desired->userdata;
    wrapped.callback = &listen;
    SDL_AudioSpec got{};
    const SDL_AudioDeviceID id = real(device, capture, &wrapped, &got, allowedChanges);
    if (id != 0) {
        t.rate = got.freq;
        t.channels = got.channels;
        t.latency = double(got.samples) / got.freq;
        t.finder.emplace(got.freq);
        got.callback = desired->callback;
        got.userdata = desired->userdata;
    }
    if (obtained)
        *obtained = got;
    return id;
}

namespace {

// What the file says: when each picture is due and when each beep is in the sound, as
// the decoders playback uses produce it.
struct Timeline {
    std::vector<double> pictures;  // presentation times, ascending
    std::vector<double> beeps;     // starts of beeps
};

Timeline readTimeline(const char* file)
{
    Timeline t;
    auto reader = stream::FlvReader::open(stream::FileSource::open(file));
    if (!reader)
        return t;
    bench::TrackDecoder audio;
    std::optional<BeepFinder> finder;
    audio.onFrame = [&](const AVFrame& frame) {
        if (!finder)
            finder.emplace(frame.sample_rate);
        const double pts = double(frame.best_effort_timestamp) / 1000.0;
        const auto format = static_cast<AVSampleFormat>(frame.format);
        for (int i = 0; i < frame.nb_samples; ++i) {
            float s = 0;
            if (format == AV_SAMPLE_FMT_FLTP)
                s = reinterpret_cast<const float*>(frame.extended_data[0])[i];
            else if (format == AV_SAMPLE_FMT_FLT)
                s = reinterpret_cast<const float*>(frame.extended_data[0])[i * frame.ch_layout.nb_channels];
            else if (format == AV_SAMPLE_FMT_S16P)
                s = reinterpret_cast<const int16_t*>(frame.extended_data[0])[i] / 32768.0f;
            else if (format == AV_SAMPLE_FMT_S16)
                s = reinterpret_cast<const int16_t*>(frame.extended_data[0])[i * frame.ch_layout.nb_channels] / 32768.0f;
            if (finder->starts(s))
                t.beeps.push_back(pts + double(i) / frame.sample_rate);
        }
    };
    while (auto tag = reader->next(true)) {
        if (tag->header.type == stream::FlvTagType::Audio) {
            audio.feed(stream::parseAudioPayload(tag->data), tag->data, tag->header.timestampMs);
        } else if (tag->header.type == stream::FlvTagType::Video) {
            const auto info = stream::parseVideoPayload(tag->data);
            if (info.kind == stream::FlvPayload::Kind::Frame)
                t.pictures.push_back((double(tag->header.timestampMs) + info.compositionMs) / 1000.0);
        }
    }
    audio.finish();
    std::sort(t.pictures.begin(), t.pictures.end());
    return t;
}

// The frame number (mod kCounterPeriod) in the centre box, if the picture has one.
std::optional<int> counterOf(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    const QRgb c = image.pixel(image.width() / 2, image.height() / 2);
    if (std::abs(qRed(c) - qGreen(c)) > kGreySlack || std::abs(qGreen(c) - qBlue(c)) > kGreySlack)
        return std::nullopt;
    // Limited-range luma, as coded: full-range grey g came from 16 + g * 219 / 255.
    const double grey = (qRed(c) + qGreen(c) + qBlue(c)) / 3.0 * 219.0 / 255.0;
    return int(std::lround(grey / kCounterStep)) % kCounterPeriod;
}

struct Painted {
    bench::Clock::time_point at;
    std::optional<int> counter;
};

// Paints each picture the stream hands over 1:1, centred, as the player's movie does.
class PictureWindow : public QRasterWindow, public stream::VideoSink {
public:
    void showFrame(const stream::Picture& frame) override
    {
        image_ = pictureImage(frame);
        counter_ = counterOf(image_);
        fresh_ = true;
        update();
    }

    std::vector<Painted> painted;  // UI thread
    std::function<void()> onPainted;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect picture(QPoint((width() - image_.width()) / 2, (height() - image_.height()) / 2), image_.size());
        for (const QRect& r : QRegion(QRect(QPoint(0, 0), size())).subtracted(image_.isNull() ? QRegion() : QRegion(picture)))
            p.fillRect(r, Qt::black);
        if (image_.isNull())
            return;
        p.drawImage(picture.topLeft(), image_);
        p.end();
        if (!fresh_)
            return;  // the same picture again (the window was exposed)
        fresh_ = false;
        painted.push_back({bench::Clock::now(), counter_});
        if (onPainted)
            onPainted();
    }

private:
    QImage image_;
    std::optional<int> counter_;
    bool fresh_ = false;
};

double msBetween(bench::Clock::time_point from, bench::Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count() * 1000;
}

std::optional<QSize> parseSize(const char* text)
{
    int w = 0, h = 0;
    if (std::sscanf(text, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0)
        return std::nullopt;
    return QSize(w, h);
}

// Waits for the next event, at most `seconds`. It sleeps meanwhile: a loop that polled
// would take a core from the stream it measures (processEvents with a time limit never
// waits for an event).
void waitForEvents(QGuiApplication& app, double seconds)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(int(std::ceil(seconds * 1000)));
    app.processEvents(QEventLoop::WaitForMoreEvents);
}

void showWindow(QGuiApplication& app, PictureWindow& window, QSize size)
{
    window.resize(size);
    window.show();
    const auto t = bench::Clock::now();
    while (!window.isExposed() && bench::secondsSince(t) < 5)
        waitForEvents(app, 0.01);
}

// Video timestamp minus the sound's time as heard, for every painted frame from the first
// sound on (a picture shown before any sound has nothing to be in step with).
void reportSync(const Timeline& file, const std::vector<Painted>& painted)
{
    std::vector<bench::Clock::time_point> heard;
    std::optional<bench::Clock::time_point> soundHeard;
    {
        AudioTap& t = tap();
        std::lock_guard lock(t.mutex);
        heard = t.heard;
        soundHeard = t.soundHeard;
    }
    const std::size_t beeps = std::min(heard.size(), file.beeps.size());
    if (beeps < 2 || file.pictures.empty() || !soundHeard)
        return;
    // The sound's time at a wall-clock instant, from the last beep heard before it.
    const auto soundAt = [&](bench::Clock::time_point w) {
        std::size_t k = 0;
        while (k + 1 < beeps && heard[k + 1] <= w)
            ++k;
        return file.beeps[k] + msBetween(heard[k], w) / 1000;
    };
    std::vector<double> offsets;
    int beforeSound = 0;
    int unreadable = 0;
    for (const Painted& p : painted) {
        if (p.at < *soundHeard) {
            ++beforeSound;
            continue;
        }
        if (!p.counter) {
            ++unreadable;
            continue;
        }
        const double sound = soundAt(p.at);
        double best = 1e9;
        for (std::size_t i = std::size_t(*p.counter); i < file.pictures.size(); i += kCounterPeriod)
            if (std::fabs(file.pictures[i] - sound) < std::fabs(best - sound))
                best = file.pictures[i];
        offsets.push_back((best - sound) * 1000);
    }
    if (offsets.empty())
        return;
    double maxAbs = 0;
    int inside = 0;
    for (double o : offsets) {
        maxAbs = std::max(maxAbs, std::fabs(o));
        inside += o >= kSyncEarliest && o <= kSyncLatest;
    }
    // The file's own offset: each flash (the first frame of a second) against its beep.
    const std::size_t perSecond = file.pictures.size() > 1
        ? std::size_t(std::lround(double(file.pictures.size() - 1) / (file.pictures.back() - file.pictures.front())))
        : 1;
    std::vector<double> own;
    for (std::size_t k = 0; k < beeps && k * perSecond < file.pictures.size(); ++k)
        own.push_back((file.pictures[k * perSecond] - file.beeps[k]) * 1000);
    std::printf("av_frames=%zu av_p5_ms=%.1f av_median_ms=%.1f av_p95_ms=%.1f av_max_abs_ms=%.1f av_in_window_pct=%.1f "
                "av_before_sound=%d av_unreadable=%d beeps_heard=%zu file_flash_minus_beep_ms=%.1f\n",
                offsets.size(), bench::percentile(offsets, 0.05), bench::percentile(offsets, 0.5), bench::percentile(offsets, 0.95), maxAbs,
                100.0 * inside / double(offsets.size()), beforeSound, unreadable, heard.size(), bench::percentile(own, 0.5));
}

int play(QGuiApplication& app, const char* file, double seconds, QSize size)
{
    const Timeline timeline = readTimeline(file);
    PictureWindow window;
    showWindow(app, window, size);
    QtTimerService uiThread;
    auto s = flvStreams(uiThread)();
    s->attachVideo(&window);
    s->setVideoSize({size.width(), size.height()});
    s->onStatus([&](const std::string& code) {
        if (code == stream::kPlayStop || code == stream::kStreamNotFound)
            app.quit();
    });
    QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &app, &QGuiApplication::quit);
    const double cpu0 = bench::cpuSeconds();
    const auto t = bench::Clock::now();
    s->play(file);
    app.exec();
    const double wall = bench::secondsSince(t);
    const double cpu = bench::cpuSeconds() - cpu0;
    s->close();
    const auto& painted = window.painted;
    const double ttff = painted.empty() ? -1 : msBetween(t, painted.front().at);
    const double fps = painted.size() > 1 ? double(painted.size() - 1) / msBetween(painted.front().at, painted.back().at) * 1000 : 0;
    std::printf("ttff_ms=%.1f wall_s=%.2f cpu_s=%.2f process_cpu_s=%.2f peak_rss_mib=%.1f frames=%zu fps=%.1f\n", ttff,
                wall, cpu, bench::cpuSeconds(), bench::peakRssMiB(), painted.size(), fps);
    reportSync(timeline, painted);
    return painted.empty() ? 1 : 0;
}

// Time from a seek until its frame is painted (ms); nothing when it never comes.
std::optional<double> timedSeek(QGuiApplication& app, stream::NetStream& s, PictureWindow& window, double target)
{
    const std::size_t before = window.painted.size();
    const auto t = bench::Clock::now();
    s.seek(target);
    while (window.painted.size() == before && bench::secondsSince(t) < kSeekLimitSeconds)
        waitForEvents(app, 0.005);
    if (window.painted.size() == before)
        return std::nullopt;
    return msBetween(t, window.painted.back().at);
}

int seeks(QGuiApplication& app, const char* file, QSize size, const std::vector<double>& bases)
{
    PictureWindow window;
    showWindow(app, window, size);
    QtTimerService uiThread;
    auto s = flvStreams(uiThread)();
    s->attachVideo(&window);
    s->setVideoSize({size.width(), size.height()});
    bool ready = false;
    s->onStatus([&](const std::string& code) {
        if (code == stream::kBufferFull)
            ready = true;
    });
    const auto t = bench::Clock::now();
    s->play(file);
    while (!ready && bench::secondsSince(t) < kSeekLimitSeconds)
        waitForEvents(app, 0.01);
    // The buffer is full once the seek index exists: scanned, or taken from the metadata.
    const double readyMs = bench::secondsSince(t) * 1000;
    s->pause();
    // Pictures already on their way when the stream paused land first.
    const auto paused = bench::Clock::now();
    while (bench::secondsSince(paused) < kSettleSeconds)
        waitForEvents(app, 0.01);
    std::vector<double> forward;
    std::vector<double> back;
    int failed = 0;
    for (double base : bases) {
        if (!timedSeek(app, *s, window, base)) {
            ++failed;
            continue;
        }
        const auto f = timedSeek(app, *s, window, base + kStepSeconds);
        const auto b = f ? timedSeek(app, *s, window, base) : std::nullopt;
        if (f)
            forward.push_back(*f);
        if (b)
            back.push_back(*b);
        failed += !f + !b;
    }
    std::printf("ready_ms=%.1f %s\n", readyMs, bench::seekFigures(forward, back, failed).c_str());
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qgetenv("DISPLAY").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("SDL_AUDIODRIVER").isEmpty())
        qputenv("SDL_AUDIODRIVER", "dummy");
    QGuiApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "play") == 0 && parseSize(argv[4]))
        return play(app, argv[2], std::atof(argv[3]), *parseSize(argv[4]));
    if (argc >= 5 && std::strcmp(argv[1], "seek") == 0 && parseSize(argv[3])) {
        std::vector<double> bases;
        for (int i = 4; i < argc; ++i)
            bases.push_back(std::atof(argv[i]));
        return seeks(app, argv[2], *parseSize(argv[3]), bases);
    }
    std::fprintf(stderr, "usage: %s play FILE SECONDS WxH | seek FILE WxH BASE...\n", argv[0]);
    return 2;
}
