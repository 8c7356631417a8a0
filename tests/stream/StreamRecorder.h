#pragma once

#include "movies/FlvStreams.h"
#include "stream/IndexBuilder.h"
#include "stream/NetStream.h"
#include "tests/support/Pictures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zepo::test {

inline std::string fixture(const std::string& name)
{
    return std::string(ZEPO_BUILD_DIR) + "/fixtures/" + name;
}

// The collected real-world files (a build setting).
inline std::string corpusFile(const std::string& name)
{
    return std::string(ZEPO_CORPUS_DIR) + "/" + name;
}

// Sends the sound of the streams made while it exists to a file (SDL's disk driver), so
// a test can hear what was played. SDL reads the driver when a stream opens its device.
class DiskAudio {
public:
    DiskAudio()
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(path()));
    }
    ~DiskAudio() { qputenv("SDL_AUDIODRIVER", "dummy"); }
    QString path() const { return dir_.filePath("sound.raw"); }
    // What the device has written so far.
    qint64 bytes() const { return QFileInfo(path()).size(); }
    // The float samples written, the channels interleaved.
    std::vector<float> samples() const
    {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = f.readAll();
        std::vector<float> out(std::size_t(bytes.size()) / sizeof(float));
        std::memcpy(out.data(), bytes.constData(), out.size() * sizeof(float));
        return out;
    }
    // Root mean square of the float samples written; -1 when there is no file.
    double rms() const
    {
        if (!QFile::exists(path()))
            return -1;
        return rootMeanSquare(samples());
    }
    static double rootMeanSquare(std::span<const float> samples)
    {
        double sum = 0;
        for (const float s : samples)
            sum += double(s) * s;
        return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
    }
    // The samples from the first to the last one louder than `threshold`: how many, or 0.
    std::size_t audibleSpan(float threshold) const
    {
        const std::vector<float> written = samples();
        const auto loud = [threshold](float s) { return std::abs(s) > threshold; };
        const auto first = std::find_if(written.begin(), written.end(), loud);
        const auto last = std::find_if(written.rbegin(), written.rend(), loud);
        return first == written.end() ? 0 : std::size_t(last.base() - first);
    }

private:
    QTemporaryDir dir_;
};

// A copy of a fixture whose AAC sequence header names a reserved sampling rate: a sound
// configuration its decoder refuses. The copy lies in `dir`.
inline std::string withBrokenSoundConfiguration(const std::string& name, const QTemporaryDir& dir)
{
    QFile in(QString::fromStdString(fixture(name)));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = in.readAll();
    const auto at = [&](qsizetype i) { return std::uint8_t(bytes[i]); };
    constexpr qsizetype kFirstTag = 13, kTagHeader = 11, kPreviousSize = 4;
    constexpr std::uint8_t kAudio = 8, kAac = 10, kSequenceHeader = 0;
    for (qsizetype tag = kFirstTag; tag + kTagHeader + 4 <= bytes.size();) {
        const qsizetype size = (qsizetype(at(tag + 1)) << 16) | (qsizetype(at(tag + 2)) << 8) | at(tag + 3);
        const qsizetype payload = tag + kTagHeader;
        if (at(tag) == kAudio && at(payload) >> 4 == kAac && at(payload + 1) == kSequenceHeader) {
            bytes[payload + 2] = char(0x16);  // AAC LC at sampling rate index 13 (reserved),
            bytes[payload + 3] = char(0x90);  // two channels
            break;
        }
        tag = payload + size + kPreviousSize;
    }
    const QString path = dir.filePath(QStringLiteral("broken_sound.flv"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return path.toStdString();
}

// The file's last audio or video timestamp in seconds, from a scan of its tags.
inline double lastTimestamp(const std::string& path)
{
    std::atomic<bool> never{false};
    auto index = stream::buildIndex(stream::FileSource::open(path), never);
    return index ? index->lastTimestampMs() / 1000.0 : -1;
}

// A real stream with everything it reports written down, and waits on the Qt event loop
// (the stream's news arrives as queued calls).
class StreamRecorder : public stream::VideoSink {
public:
    explicit StreamRecorder(bool withPicture = true, bool withSound = true)
        : stream(flvStreams(uiThread)())
    {
        stream->onStatus([this](const std::string& code) {
            statuses.push_back(code);
            statusTimes.push_back(clock.elapsed());
            timeAtStatus.push_back(stream->time());
        });
        stream->onMetaData([this](const stream::AmfValue& m) {
            metadata.push_back(m);
        });
        stream->onError([this](const stream::StreamError& e) { errors.push_back(e); });
        stream->attachAudio(withSound);
        stream->attachVideo(withPicture ? this : nullptr);
        clock.start();
    }

    void showFrame(const stream::Picture& frame) override
    {
        frames.push_back(frame);
        frameTimes.push_back(stream->time());
    }

    int count(const std::string& code) const
    {
        return int(std::count(statuses.begin(), statuses.end(), code));
    }
    bool waitFor(const std::string& code, int milliseconds, int times = 1)
    {
        return QTest::qWaitFor([&] { return count(code) >= times; }, milliseconds);
    }
    bool waitForFrames(std::size_t n, int milliseconds)
    {
        return QTest::qWaitFor([&] { return frames.size() >= n; }, milliseconds);
    }
    // Lets queued news arrive for a while.
    static void settle(int milliseconds) { QTest::qWait(milliseconds); }

    // The frame number a fixture picture shows: its luma is 16 + 6 * frame number.
    static int frameNumber(const stream::Picture& picture)
    {
        const QRgb c = pixelAt(picture, picture.size().width / 2, picture.size().height / 2);
        const double luma = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
        return int(std::lround(luma * 219.0 / 255.0 / 6.0));
    }

    QtTimerService uiThread;  // carries the stream's news over; outlives the stream
    std::unique_ptr<stream::NetStream> stream;
    std::vector<std::string> statuses;
    std::vector<qint64> statusTimes;
    std::vector<double> timeAtStatus;
    std::vector<stream::AmfValue> metadata;
    std::vector<stream::StreamError> errors;
    std::vector<stream::Picture> frames;
    std::vector<double> frameTimes;
    QElapsedTimer clock;
};

} // namespace zepo::test
