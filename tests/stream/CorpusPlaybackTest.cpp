#include "tests/stream/StreamRecorder.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace stream;

struct CorpusFile {
    const char* name;
    bool picture;    // a picture track that must show
    double seekTo;   // where to jump so the test need not sit through the whole file
};

class CorpusPlays : public ::testing::TestWithParam<CorpusFile> {};

// Every collected real-world file opens, shows its picture when it has one, and plays to
// its end with one stop at the last timestamp, whatever its quirks.
TEST_P(CorpusPlays, OpensShowsAndEnds)
{
    const CorpusFile f = GetParam();
    const std::string path = corpusFile(f.name);
    const double end = lastTimestamp(path);
    ASSERT_GE(end, 0) << f.name;
    StreamRecorder r;
    r.stream->play(path);
    ASSERT_TRUE(r.waitFor(kPlayStart, 3000)) << f.name;
    ASSERT_TRUE(r.waitFor(kBufferFull, 5000)) << f.name;
    if (f.seekTo > 0)
        r.stream->seek(f.seekTo);
    ASSERT_TRUE(r.waitFor(kPlayStop, 15000)) << f.name;
    StreamRecorder::settle(200);
    EXPECT_EQ(r.count(kPlayStop), 1) << f.name;
    EXPECT_NEAR(r.stream->time(), end, 0.01) << f.name;
    EXPECT_EQ(!r.frames.empty(), f.picture) << f.name;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusPlays,
    ::testing::Values(CorpusFile{"aac_timestamp_jump_streamtheworld_gnash.flv", false, 4149.0},
                      CorpusFile{"h263_mp3_flvtool2_keyframes_onlastsecond_red5old.flv", true, 108.0},
                      CorpusFile{"h263_mp3_youtube_keyframes_truncated_hachoir.flv", true, 0},
                      CorpusFile{"h263_zero_dims_meta_2005_red5old.flv", true, 0},
                      CorpusFile{"h264_aac_nometa_bad_prevtagsize_red5.flv", true, 27.0},
                      CorpusFile{"h264_heaac_minimal_meta_streamserver_gv6.flv", true, 28.0},
                      CorpusFile{"h264_speex_rate0_red5rc3_red5.flv", true, 27.0},
                      CorpusFile{"header_only_9bytes_reserved_flag_red5old.flv", false, 0},
                      CorpusFile{"mp3_audioonly_flvtool2_emptyobj_fields_red5old.flv", false, 168.0},
                      CorpusFile{"nellymoser8k_fcs_live_nometa_red5old.flv", false, 6.0},
                      CorpusFile{"vp6_cuepoints_event_navigation_red5.flv", true, 0},
                      CorpusFile{"vp6_mp3_flash8enc_red5old.flv", true, 12.0},
                      CorpusFile{"vp6a_alpha_ame_xmp_itlancer.flv", true, 0}),
    [](const auto& info) {
        std::string n = info.param.name;
        n = n.substr(0, n.size() - 4);
        std::replace_if(n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return n;
    });

} // namespace
} // namespace zepo::test
