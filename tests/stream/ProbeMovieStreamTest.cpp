#include "tests/stream/RealPlayerWindow.h"
#include "tests/stream/StreamRecorder.h"

#include <QElapsedTimer>
#include <cctype>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

// Where a file's length comes from.
enum class Length {
    Metadata,  // the metadata's duration, which lies near the last timestamp
    Search,    // no usable duration in the metadata: the duration search finds it
};

struct ProbeCase {
    const char* file;
    bool inCorpus;
    int width, height;     // the size the metadata gives; 0 when it gives none usable
    Length source;
    double length;         // the length the player must show; < 0: the file's last timestamp
};

std::string pathOf(const ProbeCase& c)
{
    return c.inCorpus ? corpusFile(c.file) : fixture(c.file);
}

// The player's length agrees with the file within half a second.
constexpr double kLengthTolerance = 0.5;

class ProbeMeasures : public ::testing::TestWithParam<ProbeCase> {};

// The probe measures the file on its own real stream and the host relays what it finds:
// the player shows the size and the length, and its seek bar becomes usable.
TEST_P(ProbeMeasures, SizeAndLengthReachThePlayer)
{
    const ProbeCase c = GetParam();
    const std::string path = pathOf(c);
    const double expected = c.length >= 0 ? c.length : lastTimestamp(path);
    ASSERT_GE(expected, 0) << c.file;
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    QElapsedTimer opened;
    opened.start();
    w.player.SendFileToPlayer(path);
    // The total time shows the search's latest estimate while the search runs; the seek
    // bar waits for the final length.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::abs(std::stod(w.variable("m_duration")) - expected) <= kLengthTolerance; }, 10000))
        << c.file << ": probe said " << ::testing::PrintToString(w.probeCommands);
    const qint64 shownMs = opened.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.variable("TotalTime_flag") == "1"; }, 10000))
        << c.file << ": probe said " << ::testing::PrintToString(w.probeCommands);
    const qint64 finalMs = opened.elapsed();

    EXPECT_NEAR(std::stod(w.variable("m_duration")), expected, kLengthTolerance) << c.file;
    EXPECT_EQ(w.probeCount("allDone"), 1);
    // The metadata's length needs no search; the search's shows its estimates as it
    // goes. (How soon each reaches the screen is bench/'s to measure, not a test's.)
    if (c.source == Length::Search)
        EXPECT_GE(w.probeCount("getTotalTime"), 2) << "the search took its steps";
    else
        EXPECT_EQ(w.probeCount("getTotalTime"), 0);
    if (c.width > 0) {
        EXPECT_EQ(w.variable("Size_flag"), "1");
        EXPECT_EQ(w.variable("m_width"), std::to_string(c.width));
        EXPECT_EQ(w.variable("m_height"), std::to_string(c.height));
        EXPECT_EQ(w.probeCount("getSize"), 1);
    } else {
        EXPECT_EQ(w.variable("Size_flag"), "0");
        EXPECT_EQ(w.variable("m_width"), "320");
        EXPECT_EQ(w.probeCount("getSize"), 0);
    }
    const ControlPanel& panel = w.movie().panel();
    EXPECT_TRUE(panel.seekActive()) << c.file;
    EXPECT_FALSE(panel.searchingActive()) << c.file;
    EXPECT_NE(panel.totalText(), "/--:--");
    EXPECT_TRUE(w.messages.texts.empty());
    std::printf("%s: length %s s, shown after %lld ms, final after %lld ms\n", c.file,
                w.variable("m_duration").c_str(), static_cast<long long>(shownMs), static_cast<long long>(finalMs));
}

constexpr double kLast = -1;

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeMeasures,
    ::testing::Values(
        ProbeCase{"flv1_mp3.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"100%.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"h264_aac.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"h264_aac_keyframes.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"adpcm.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"screen_video.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"screen_video2.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"video_only.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"audio_only.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"g711_alaw.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"g711_mulaw.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"nellymoser_8k.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"nellymoser_16k.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"nellymoser_22k.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"pcm_s16le.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"pcm_u8.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"speex.flv", false, 0, 0, Length::Metadata, kLast},
        ProbeCase{"bad_previous_sizes.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"corrupted.flv", false, 160, 120, Length::Metadata, kLast},
        ProbeCase{"truncated_in_last_tag.flv", false, 160, 120, Length::Metadata, kLast},
        // Half the file is gone; the metadata's length is what the probe reports.
        ProbeCase{"truncated_half.flv", false, 160, 120, Length::Metadata, 3.2},
        ProbeCase{"no_metadata.flv", false, 0, 0, Length::Search, kLast},
        ProbeCase{"metadata_without_duration.flv", false, 0, 0, Length::Search, kLast},
        ProbeCase{"mp3_8k.flv", false, 0, 0, Length::Search, kLast},
        ProbeCase{"enhanced_hevc.flv", false, 0, 0, Length::Search, kLast},
        ProbeCase{"enhanced_vp9.flv", false, 0, 0, Length::Search, kLast},
        ProbeCase{"truncated_header_only.flv", false, 0, 0, Length::Search, 0},
        ProbeCase{"truncated_in_first_tag_header.flv", false, 0, 0, Length::Search, 0},
        ProbeCase{"aac_timestamp_jump_streamtheworld_gnash.flv", true, 0, 0, Length::Search, kLast},
        ProbeCase{"h263_mp3_flvtool2_keyframes_onlastsecond_red5old.flv", true, 320, 240, Length::Metadata, kLast},
        // Cut at 100 KiB: the data stops at about 1.9 s, the metadata says 46.9 s.
        ProbeCase{"h263_mp3_youtube_keyframes_truncated_hachoir.flv", true, 0, 0, Length::Metadata, 46.942},
        ProbeCase{"h263_zero_dims_meta_2005_red5old.flv", true, 0, 0, Length::Metadata, kLast},
        ProbeCase{"h264_aac_nometa_bad_prevtagsize_red5.flv", true, 0, 0, Length::Search, kLast},
        ProbeCase{"h264_heaac_minimal_meta_streamserver_gv6.flv", true, 480, 360, Length::Search, kLast},
        ProbeCase{"h264_speex_rate0_red5rc3_red5.flv", true, 0, 0, Length::Metadata, kLast},
        ProbeCase{"header_only_9bytes_reserved_flag_red5old.flv", true, 0, 0, Length::Search, 0},
        ProbeCase{"mp3_audioonly_flvtool2_emptyobj_fields_red5old.flv", true, 0, 0, Length::Metadata, kLast},
        ProbeCase{"nellymoser8k_fcs_live_nometa_red5old.flv", true, 0, 0, Length::Search, kLast},
        ProbeCase{"vp6_cuepoints_event_navigation_red5.flv", true, 400, 300, Length::Metadata, kLast},
        ProbeCase{"vp6_mp3_flash8enc_red5old.flv", true, 480, 206, Length::Metadata, kLast},
        ProbeCase{"vp6a_alpha_ame_xmp_itlancer.flv", true, 1920, 1080, Length::Metadata, kLast}),
    [](const auto& info) {
        std::string n = info.param.file;
        n = n.substr(0, n.size() - 4);
        std::replace_if(n.begin(), n.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
        return n;
    });

// A file that is no FLV never starts: the probe measures nothing and says nothing, however
// often it tries the file again, and the player gives the file up after its own retries.
TEST(ProbeMeasuresNothing, ForAFileThatIsNoFlv)
{
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    const std::string file = fixture("not_flv.flv");
    w.player.SendFileToPlayer(file);
    // The player's giving up comes after some seconds of retries, the probe's among them:
    // the first thing that happens at all, and the moment to look.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.messages.texts.empty(); }, 8000));
    EXPECT_EQ(w.messages.texts, std::vector<std::string>{"ファイル取得失敗 ：\n" + file});
    EXPECT_TRUE(w.probeCommands.empty());
    EXPECT_EQ(w.variable("TotalTime_flag"), "0");
    EXPECT_EQ(w.movie().panel().totalText(), "/--:--");
}

} // namespace
} // namespace zepo::test
