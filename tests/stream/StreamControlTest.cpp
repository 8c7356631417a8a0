#include "tests/stream/StreamRecorder.h"
#include "tests/support/AmfValues.h"

#include "platform/PathText.h"

#include <cmath>
#include <map>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zepo::test {
namespace {

using namespace stream;

// Waits for the picture of a frame number to be the last one shown.
bool waitForFrameNumber(StreamRecorder& r, int number, int milliseconds = 3000)
{
    return QTest::qWaitFor([&] { return !r.frames.empty() && StreamRecorder::frameNumber(r.frames.back()) == number; },
                           milliseconds);
}

// A precise seek shows the frame at the target, decoded from the keyframe before it
// (the H.264 clip has a keyframe every 15 frames and B-frames), paused or playing.
TEST(StreamSeek, ShowsTheFrameAtTheTarget)
{
    struct Clip {
        const char* file;
        // The muxer shifts the clock so no timestamp is negative: by two frames for H.264
        // with B-frames, by the encoder delay of MP3.
        double videoDelay;
    };
    for (const Clip c : {Clip{"h264_aac.flv", 0.2}, Clip{"flv1_mp3.flv", 0.05}, Clip{"video_only.flv", 0},
                         Clip{"enhanced_hevc.flv", 0}, Clip{"enhanced_vp9.flv", 0}}) {
        SCOPED_TRACE(c.file);
        const auto frameAt = [&](double t) { return int(std::floor((t - c.videoDelay) * 10 + 1e-6)); };
        StreamRecorder r;
        r.stream->play(fixture(c.file));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        r.stream->pause();
        r.stream->seek(2.25);
        EXPECT_DOUBLE_EQ(r.stream->time(), 2.25);  // at once, before the picture arrives
        EXPECT_TRUE(waitForFrameNumber(r, frameAt(2.25)));
        r.stream->seek(0.75);
        EXPECT_TRUE(waitForFrameNumber(r, frameAt(0.75)));
        StreamRecorder::settle(300);
        EXPECT_EQ(StreamRecorder::frameNumber(r.frames.back()), frameAt(0.75));  // paused: nothing after it
        EXPECT_DOUBLE_EQ(r.stream->time(), 0.75);
        r.stream->resume();
        EXPECT_TRUE(waitForFrameNumber(r, frameAt(1.25)));
        EXPECT_GT(r.stream->time(), 1.2);
    }
}

// A seek asked at once after opening, before the reader has come to the decoders'
// configurations at the top of the file, still finds them and shows the target's frame.
TEST(StreamSeek, RightAfterOpeningStillShowsTheTarget)
{
    for (const char* file : {"h264_aac.flv", "enhanced_hevc.flv"}) {
        SCOPED_TRACE(file);
        StreamRecorder r;
        r.stream->play(fixture(file));
        r.stream->seek(2.25);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !r.frames.empty(); }, 3000));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        EXPECT_GE(r.stream->time(), 2.25);
    }
}

// Beyond the end the time stands on the last timestamp, the last picture shows and the
// stream reports its stop once; a seek back then plays the file again to a second stop.
TEST(StreamSeek, BeyondTheEndLandsOnTheEnd)
{
    StreamRecorder r;
    const double end = lastTimestamp(fixture("h264_aac.flv"));
    r.stream->play(fixture("h264_aac.flv"));
    ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
    r.stream->seek(500);
    EXPECT_DOUBLE_EQ(r.stream->time(), end);
    ASSERT_TRUE(r.waitFor(kPlayStop, 3000));
    EXPECT_EQ(StreamRecorder::frameNumber(r.frames.back()), 29);
    StreamRecorder::settle(600);
    EXPECT_EQ(r.count(kPlayStop), 1);
    EXPECT_DOUBLE_EQ(r.stream->time(), end);

    // As the player does at the end: back to 0 and pause, later play on. The first
    // picture (stamped 0.2 s) shows at once.
    r.stream->seek(0);
    r.stream->pause();
    EXPECT_TRUE(waitForFrameNumber(r, 0));
    EXPECT_DOUBLE_EQ(r.stream->time(), 0);
    r.stream->resume();
    EXPECT_TRUE(r.waitFor(kPlayStop, 6000, 2));
}

// The probe's stream: no picture, no sound. It decodes nothing but reports the metadata,
// its time runs, and seeks move the time (the duration search relies on it).
TEST(StreamWithoutOutputs, ReadsMetaDataAndKeepsTime)
{
    StreamRecorder r(false, false);
    r.stream->play(fixture("flv1_mp3.flv"));
    ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
    ASSERT_EQ(r.metadata.size(), 1u);
    EXPECT_NEAR(numberIn(r.metadata[0], "duration"), 3.0, 0.1);
    EXPECT_EQ(numberIn(r.metadata[0], "width"), 160);
    const double before = r.stream->time();
    StreamRecorder::settle(300);
    EXPECT_GT(r.stream->time(), before + 0.2);

    r.stream->seek(1.5);
    EXPECT_NEAR(r.stream->time(), 1.5, 0.02);  // nothing to wait for: it runs on at once
    StreamRecorder::settle(100);
    EXPECT_GT(r.stream->time(), 1.5);
    r.stream->seek(1024);
    const double end = lastTimestamp(fixture("flv1_mp3.flv"));
    EXPECT_DOUBLE_EQ(r.stream->time(), end);
    ASSERT_TRUE(r.waitFor(kPlayStop, 2000));
    r.stream->seek(end + 512);  // the search keeps probing past the end
    StreamRecorder::settle(100);
    EXPECT_DOUBLE_EQ(r.stream->time(), end);
    EXPECT_TRUE(r.frames.empty());
    EXPECT_EQ(r.metadata.size(), 1u);  // once per play, even after seeking back over it
}

// Metadata arrives as the file has it: absent, without duration, or with odd fields.
TEST(StreamMetaData, ArrivesAsInTheFile)
{
    {
        StreamRecorder r(false, false);
        r.stream->play(fixture("no_metadata.flv"));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        EXPECT_TRUE(r.metadata.empty());
    }
    {
        StreamRecorder r(false, false);
        r.stream->play(fixture("metadata_without_duration.flv"));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        ASSERT_EQ(r.metadata.size(), 1u);
        EXPECT_EQ(r.metadata[0].get("duration"), nullptr);
    }
    {
        StreamRecorder r(false, false);
        r.stream->play(corpusFile("mp3_audioonly_flvtool2_emptyobj_fields_red5old.flv"));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        ASSERT_EQ(r.metadata.size(), 1u);
        const AmfValue* width = r.metadata[0].get("width");
        ASSERT_NE(width, nullptr);
        EXPECT_EQ(width->type, AmfValue::Type::Object);
        EXPECT_TRUE(width->properties.empty());
        EXPECT_NEAR(numberIn(r.metadata[0], "duration"), 171.3, 0.1);
    }
    {
        // The metadata claims 46.9 s but the file was cut after 1.9 s of data.
        StreamRecorder r(false, false);
        r.stream->play(corpusFile("h263_mp3_youtube_keyframes_truncated_hachoir.flv"));
        ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
        ASSERT_EQ(r.metadata.size(), 1u);
        EXPECT_NEAR(numberIn(r.metadata[0], "duration"), 46.9, 0.1);
        r.stream->seek(30);
        EXPECT_LT(r.stream->time(), 2.5);
    }
}

// Paths arrive escaped: "%25" is the percent sign of the file name.
TEST(StreamOpening, DecodesThePercentEscapes)
{
    StreamRecorder r(false, false);
    r.stream->play(fixture("100%25.flv"));
    EXPECT_TRUE(r.waitFor(kPlayStart, 3000));
    EXPECT_EQ(r.count(kStreamNotFound), 0);
}

// A file that cannot be played is reported with the reason, once. A named pipe is refused
// at once, never waited on for a writer.
TEST(StreamOpening, ReportsFilesThatAreNoFlvAndWhy)
{
    struct Case {
        std::string path;
        FlvErrorKind kind;
        const char* reason;
    };
    QTemporaryDir dir;
    const std::string pipe = fromQt(dir.filePath("pipe.flv"));
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const Case& c : {Case{fixture("not_flv.flv"), FlvErrorKind::Corrupt, "not an FLV file"},
                          Case{fixture("no such file.flv"), FlvErrorKind::Io, "No such file or directory"},
                          Case{std::string(), FlvErrorKind::Io, "No such file or directory"},
                          Case{fixture(""), FlvErrorKind::Io, "not a regular file"},
                          Case{pipe, FlvErrorKind::Io, "not a regular file"}}) {
        SCOPED_TRACE(c.path);
        StreamRecorder r;
        r.stream->play(c.path);
        EXPECT_TRUE(r.waitFor(kStreamNotFound, 3000));
        StreamRecorder::settle(200);
        EXPECT_EQ(r.statuses, std::vector<std::string>{kStreamNotFound});
        EXPECT_EQ(r.stream->time(), 0);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_EQ(r.errors[0].kind, c.kind);
        EXPECT_EQ(r.errors[0].part, StreamError::Part::File);
        EXPECT_EQ(r.errors[0].file, c.path);
        EXPECT_EQ(r.errors[0].detail, c.reason);
    }
}

// A track whose decoder refuses its configuration is reported, and the file plays on
// without it.
TEST(StreamTracks, ATrackThatCannotBeDecodedIsReportedAndTheRestPlays)
{
    QTemporaryDir dir;
    const std::string path = withBrokenSoundConfiguration("h264_aac.flv", dir);
    StreamRecorder r;
    r.stream->play(path);
    ASSERT_TRUE(r.waitFor(kPlayStop, 8000));
    EXPECT_GE(r.frames.size(), 25u);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].kind, FlvErrorKind::Corrupt);
    EXPECT_EQ(r.errors[0].part, StreamError::Part::Sound);
    EXPECT_EQ(r.errors[0].file, path);
    EXPECT_EQ(r.errors[0].detail, "aac decoder refused its configuration: Invalid data found when processing input");
}

// Nothing of a file closed mid-playback arrives afterwards, and the next file plays on the
// same stream. (That closing never waits for a thread stuck in I/O is BlockingSource's.)
TEST(StreamClosing, IsSilent)
{
    StreamRecorder r;
    r.stream->play(fixture("h264_aac.flv"));
    ASSERT_TRUE(r.waitForFrames(3, 3000));
    r.stream->close();
    const auto statuses = r.statuses.size();
    const auto frames = r.frames.size();
    StreamRecorder::settle(300);
    EXPECT_EQ(r.statuses.size(), statuses);
    EXPECT_EQ(r.frames.size(), frames);
    EXPECT_EQ(r.stream->time(), 0);

    r.stream->play(fixture("flv1_mp3.flv"));
    EXPECT_TRUE(r.waitFor(kPlayStart, 3000, 2));
    EXPECT_TRUE(r.waitForFrames(frames + 3, 3000));
    r.stream.reset();
}

// Pausing stops the time (and the pictures), resuming goes on from there.
TEST(StreamPause, StopsTheTime)
{
    StreamRecorder r;
    r.stream->play(fixture("h264_aac.flv"));
    ASSERT_TRUE(r.waitForFrames(5, 3000));
    r.stream->togglePause();
    const double at = r.stream->time();
    const auto frames = r.frames.size();
    StreamRecorder::settle(400);
    EXPECT_DOUBLE_EQ(r.stream->time(), at);
    EXPECT_EQ(r.frames.size(), frames);
    r.stream->togglePause();
    StreamRecorder::settle(400);
    EXPECT_GT(r.stream->time(), at + 0.2);
    EXPECT_GT(r.frames.size(), frames);
}

// While paused the sound device is closed: nothing is written to it, not even silence (a
// paused device would wake every buffer for that). Resumed, the sound goes on, the time
// from where it stood, and the file plays to its end.
TEST(StreamPause, ClosesTheSoundDeviceUntilResumed)
{
    DiskAudio sound;
    StreamRecorder r;
    r.stream->play(fixture("h264_aac.flv"));
    ASSERT_TRUE(r.waitForFrames(5, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sound.bytes() > 0; }, 3000));
    r.stream->pause();
    const double at = r.stream->time();
    const auto writesStopped = [&] {
        const qint64 before = sound.bytes();
        QTest::qWait(150);
        return sound.bytes() == before;
    };
    EXPECT_TRUE(QTest::qWaitFor(writesStopped, 3000)) << "the device went on while paused";
    const qint64 written = sound.bytes();
    r.stream->resume();
    EXPECT_NEAR(r.stream->time(), at, 0.05);
    ASSERT_TRUE(r.waitFor(kPlayStop, 8000));
    EXPECT_GT(sound.bytes(), written);
    EXPECT_NEAR(r.stream->time(), lastTimestamp(fixture("h264_aac.flv")), 0.001);
}

// A new display size shows the current picture again at that size at once, paused too.
TEST(StreamPicture, FollowsTheDisplaySize)
{
    StreamRecorder r;
    r.stream->play(fixture("video_only.flv"));
    ASSERT_TRUE(r.waitFor(kBufferFull, 3000));
    r.stream->pause();
    r.stream->seek(1.0);
    ASSERT_TRUE(waitForFrameNumber(r, 10));
    r.stream->setVideoSize({333, 201});
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.frames.back().size() == stream::PictureSize{333, 201}; }, 2000));
    EXPECT_EQ(StreamRecorder::frameNumber(r.frames.back()), 10);
}

// The volume scales the sound linearly; at 0 the stream still plays on.
TEST(StreamSound, VolumeIsLinear)
{
    std::map<int, double> rms;
    for (int volume : {100, 50, 0}) {
        DiskAudio sound;
        {
            StreamRecorder r(false, true);
            r.stream->setVolume(volume);
            r.stream->play(fixture("pcm_s16le.flv"));
            ASSERT_TRUE(r.waitFor(kPlayStop, 8000));
            EXPECT_NEAR(r.stream->time(), lastTimestamp(fixture("pcm_s16le.flv")), 0.001);
        }
        rms[volume] = sound.rms();
    }
    EXPECT_GT(rms[100], 0.05);
    EXPECT_NEAR(rms[50] / rms[100], 0.5, 0.05);
    EXPECT_EQ(rms[0], 0);
}

// Without any audio device the sound is given up and the monotonic clock runs the file.
TEST(StreamSound, PlaysWithoutADevice)
{
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    StreamRecorder r;
    r.stream->play(fixture("flv1_mp3.flv"));
    EXPECT_TRUE(r.waitFor(kPlayStop, 8000));
    EXPECT_GE(r.frames.size(), 25u);
    qputenv("SDL_AUDIODRIVER", "dummy");
}

} // namespace
} // namespace zepo::test
