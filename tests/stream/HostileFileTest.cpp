#include "tests/stream/HostileFiles.h"
#include "tests/stream/RealPlayerWindow.h"
#include "tests/stream/StreamRecorder.h"
#include "tests/support/LogCapture.h"

#include <QFile>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace stream;

constexpr std::uint32_t kTwoHours = 2 * 3600 * 1000;
constexpr std::uint32_t kExtensionBit = 1u << 28;  // one flipped bit of the extended byte: 74.6 h

// The first audio or video tag stamped at or after `ms`.
std::size_t tagAt(const FlvTags& f, std::uint32_t ms)
{
    std::size_t i = 0;
    while (i < f.tags.size() && (f.tags[i].type == 18 || f.tags[i].timestampMs < ms))
        ++i;
    return i;
}

// Copies of a fixture damaged the ways an attack on the player went.
struct Hostile {
    const char* name;
    std::function<Bytes(FlvTags)> make;
    std::size_t zerosBeforeTheFirstTag = 0;
};

const Hostile kHostile[] = {
    {"metadata_reference_bomb",
     [](FlvTags f) {
         f.dropScripts();
         f.tags.insert(f.tags.begin(), {18, 0, referenceBombMetadata(3.0, 160, 120, 200000)});
         return f.bytes();
     }},
    // A download's preallocated zeros in front of the data.
    {"zeros_before_the_first_tag", [](FlvTags f) { return f.bytes(); }, 64u << 20},
    // Without metadata the length comes from the duration search, that is from the
    // stream's own timeline.
    {"one_tag_two_hours_ahead",
     [](FlvTags f) {
         f.dropScripts();
         f.tags[tagAt(f, 1500)].timestampMs += kTwoHours;
         return f.bytes();
     }},
    {"one_flipped_bit_of_an_extended_timestamp",
     [](FlvTags f) {
         f.dropScripts();
         f.tags[tagAt(f, 1500)].timestampMs |= kExtensionBit;
         return f.bytes();
     }},
    {"a_lasting_jump_of_two_hours",
     [](FlvTags f) {
         f.dropScripts();
         for (std::size_t i = tagAt(f, 1500); i < f.tags.size(); ++i)
             f.tags[i].timestampMs += kTwoHours;
         return f.bytes();
     }},
};

class HostileFileInAList : public ::testing::TestWithParam<Hostile> {};

// Each hostile file plays in about its real length, the player shows that length (the
// clip's own, as if nothing had happened), and the next file of the list starts.
TEST_P(HostileFileInAList, PlaysInItsLengthAndTheNextFileStarts)
{
    const Hostile h = GetParam();
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    const std::string folder = fromQt(w.dir.path());
    const std::string clip = fixture("flv1_mp3.flv");
    writeFile(folder + "/hostile.flv", h.make(FlvTags::read(clip)), h.zerosBeforeTheFirstTag);
    ASSERT_TRUE(QFile::copy(toQt(clip), toQt(folder + "/next.flv")));
    const double length = lastTimestamp(clip);

    w.player.AddFiles({folder + "/hostile.flv", folder + "/next.flv"}, AddMode::Replace);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "hostile.flv - ZEPO"; }, 2000));
    double latest = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            latest = std::max(latest, w.movie().stream()->time());
            return w.variable("TotalTime_flag") == "1";
        },
        10000))
        << "probe said " << ::testing::PrintToString(w.probeCommands);
    EXPECT_NEAR(std::stod(w.variable("m_duration")), length, 0.5);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (w.player.windowTitle() == "hostile.flv - ZEPO")
                latest = std::max(latest, w.movie().stream()->time());
            return w.player.windowTitle() == "next.flv - ZEPO";
        },
        int(length * 1000) + 8000));
    EXPECT_GT(latest, length - 1) << "it played";
    EXPECT_LT(latest, length + 1) << "its time stayed in its length";
    EXPECT_TRUE(w.messages.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(Attacks, HostileFileInAList, ::testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

// Tracks of a real clip (Sorenson H.263 pictures, MP3 sound) that no decoder here may
// take: picture headers that claim pictures of gigabytes, codecs without a decoder.
struct HostileTrack {
    const char* name;
    std::uint8_t tagType;  // the tags changed: 8 sound, 9 video
    std::function<void(Bytes&)> change;
    StreamError::Part part;
    const char* detail;
};

void PrintTo(const HostileTrack& t, std::ostream* out)
{
    *out << t.name;
}

Bytes& withCodecId(Bytes& payload, std::uint8_t id)
{
    payload[0] = std::uint8_t((payload[0] & 0xF0) | id);
    return payload;
}

const HostileTrack kHostileTracks[] = {
    {"pictures_of_16000x16000", 9, [](Bytes& p) { p = withPictureSize(p, 16000, 16000); }, StreamError::Part::Video,
     "its pictures are 16000x16000, more than the 67108864 pixels a picture may have here"},
    // Past the 16384 side limit of the converter, whose pictures are those shown.
    {"pictures_of_65535x3900", 9, [](Bytes& p) { p = withPictureSize(p, 65535, 3900); }, StreamError::Part::Video,
     "its pictures are 65535x3900, more than the 67108864 pixels a picture may have here"},
    {"pictures_a_line_over_8192x8192", 9, [](Bytes& p) { p = withPictureSize(p, 8192, 8193); },
     StreamError::Part::Video, "its pictures are 8192x8193, more than the 67108864 pixels a picture may have here"},
    {"jpeg_pictures", 9, [](Bytes& p) { withCodecId(p, 1); }, StreamError::Part::Video, "codec 1 (JPEG)"},
    {"unknown_video_codec", 9, [](Bytes& p) { withCodecId(p, 11); }, StreamError::Part::Video, "codec 11 (unknown)"},
    {"device_specific_sound", 8, [](Bytes& p) { p[0] = std::uint8_t((p[0] & 0x0F) | 0xF0); }, StreamError::Part::Sound,
     "sound format 15 (device-specific sound)"},
};

class HostileTrackInAFile : public ::testing::TestWithParam<HostileTrack> {};

// The track is refused with its reason, once, before anything is allocated for it; the
// other track plays the file to its end.
TEST_P(HostileTrackInAFile, IsRefusedOnceAndTheOtherTrackPlays)
{
    const HostileTrack t = GetParam();
    QTemporaryDir dir;
    const std::string clip = fixture("flv1_mp3.flv");
    const std::string path = fromQt(dir.filePath("hostile.flv"));
    writeFile(path, FlvTags::read(clip).eachPayload(t.tagType, t.change).bytes());
    DiskAudio sound;
    {
        StreamRecorder r;
        r.stream->play(path);
        ASSERT_TRUE(r.waitFor(kPlayStop, 10000));
        EXPECT_NEAR(r.stream->time(), lastTimestamp(clip), 0.2);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_EQ(r.errors[0].kind, FlvErrorKind::Unsupported);
        EXPECT_EQ(r.errors[0].part, t.part);
        EXPECT_EQ(r.errors[0].file, path);
        EXPECT_EQ(r.errors[0].detail, t.detail);
        // The pictures play (of the clip's 30, a busy machine skips the late ones).
        if (t.part == StreamError::Part::Video) {
            EXPECT_TRUE(r.frames.empty());
        } else {
            EXPECT_GE(r.frames.size(), 10u);
        }
    }
    if (t.part == StreamError::Part::Video) {
        EXPECT_GT(sound.rms(), 0.05) << "the sound played";
    }
}

INSTANTIATE_TEST_SUITE_P(Attacks, HostileTrackInAFile, ::testing::ValuesIn(kHostileTracks),
                         [](const auto& info) { return std::string(info.param.name); });

// FFmpeg's own lines about a file damaged all through are capped as the reader's are:
// ten, then, when the file is closed, one line saying how many more were left out.
TEST(StreamLog, FfmpegsLinesAboutOneFileAreCapped)
{
    QTemporaryDir dir;
    const std::string path = fromQt(dir.filePath("damaged.flv"));
    // The slice data of every H.264 picture scrambled; the NAL unit lengths kept.
    writeFile(path, FlvTags::read(fixture("h264_aac.flv"))
                        .eachPayload(9,
                                     [](Bytes& p) {
                                         if (p.size() > 16 && p[1] == 1)
                                             for (std::size_t i = 14; i < p.size(); i += 2)
                                                 p[i] ^= 0xA5;
                                     })
                        .bytes());
    LogCapture log;
    {
        StreamRecorder r(true, false);
        r.stream->play(path);
        ASSERT_TRUE(r.waitFor(kPlayStop, 10000));
    }
    const std::string leftOut = "further lines of FFmpeg about this file were left out";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.lines("zepo.stream", leftOut).empty(); }, 3000));
    EXPECT_EQ(log.lines("zepo.stream", path + ": [h264").size(), 10u);
    const auto last = log.lines("zepo.stream", leftOut);
    ASSERT_EQ(last.size(), 1u);
    int count = 0;
    ASSERT_EQ(std::sscanf(last[0].text.c_str() + path.size() + 2, "%d", &count), 1) << last[0].text;
    EXPECT_GT(count, 0);
}

// Waits for the picture of a frame number to be the last one shown.
bool waitForFrameNumber(StreamRecorder& r, int number, int milliseconds = 3000)
{
    return QTest::qWaitFor([&] { return !r.frames.empty() && StreamRecorder::frameNumber(r.frames.back()) == number; },
                           milliseconds);
}

// The pictures go on over a lone tag far out of time and over a lasting jump, up to the
// end, where the stream stops at the clip's own length; a seek after the jump lands on
// the picture it aims at.
TEST(StreamTimeline, PicturesGoOnOverJumps)
{
    QTemporaryDir dir;
    const std::string clip = fixture("video_only.flv");  // 10 pictures a second, numbered
    const double length = lastTimestamp(clip);
    for (const bool lasting : {false, true}) {
        SCOPED_TRACE(lasting ? "lasting jump" : "lone tag");
        FlvTags f = FlvTags::read(clip);
        const std::size_t from = tagAt(f, 1500);
        for (std::size_t i = from; i < (lasting ? f.tags.size() : from + 1); ++i)
            f.tags[i].timestampMs += kTwoHours;
        const std::string path = fromQt(dir.filePath(lasting ? "lasting.flv" : "lone.flv"));
        writeFile(path, f.bytes());

        StreamRecorder r;
        r.stream->play(path);
        ASSERT_TRUE(r.waitFor(kPlayStop, int(length * 1000) + 5000));
        EXPECT_NEAR(r.stream->time(), length, 0.1);
        ASSERT_FALSE(r.frames.empty());
        EXPECT_GE(StreamRecorder::frameNumber(r.frames.back()), 28);

        if (lasting) {
            // The picture stamped 2.5 s + 2 h now stands 60 ms earlier: 2.44 s.
            r.stream->pause();
            r.stream->seek(2.5);
            EXPECT_TRUE(waitForFrameNumber(r, 25));
            r.stream->seek(1.2);
            EXPECT_TRUE(waitForFrameNumber(r, 12));
        }
    }
}

// A file cut short while it plays ends where its data now ends: a seek beyond the cut
// stops the stream at once (before, the reader searched the vanished 63 MB with one read
// per byte), and the stream closes promptly.
TEST(StreamShrinking, AFileCutWhilePlayingEndsAtTheCut)
{
    QTemporaryDir dir;
    const std::string path = fromQt(dir.filePath("growing.flv"));
    const Bytes bytes = FlvTags::read(fixture("flv1_mp3.flv")).laps(20, 3000).bytes();  // a minute of the clip
    writeFile(path, bytes);
    QFile file(toQt(path));
    ASSERT_TRUE(file.resize(64 << 20));  // and a hole where the rest will come
    const double length = lastTimestamp(path);
    ASSERT_GT(length, 55);

    StreamRecorder r(false, false);
    r.stream->play(path);
    ASSERT_TRUE(r.waitFor(kBufferFull, 5000));
    ASSERT_TRUE(file.resize(qint64(bytes.size() / 3)));
    r.stream->seek(50);
    EXPECT_TRUE(r.waitFor(kPlayStop, 3000));
    EXPECT_LE(r.stream->time(), 50);
}

} // namespace
} // namespace zepo::test
