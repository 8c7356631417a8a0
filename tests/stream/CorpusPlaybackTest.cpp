#include "tests/stream/StreamRecorder.h"

#include "stream/FlvCodecs.h"
#include "stream/FlvReader.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace zepo::test {
namespace {

using namespace stream;

struct CorpusFile {
    const char* name;
    bool picture;    // a picture track that must show
    bool sound;      // a sound track that must be heard
    double seekTo;   // where to jump so the test need not sit through the whole file
};

class CorpusPlays : public ::testing::TestWithParam<CorpusFile> {};

// Real recordings are quieter than a test tone, but silence is far below this.
constexpr double kNotSilent = 0.002;

// Every collected real-world file opens, shows its pictures in time order when it has
// any, is heard when it has sound, and plays to its end with one stop at the last
// timestamp, whatever its quirks.
TEST_P(CorpusPlays, OpensShowsAndEnds)
{
    const CorpusFile f = GetParam();
    const std::string path = corpusFile(f.name);
    const double end = lastTimestamp(path);
    ASSERT_GE(end, 0) << f.name;
    DiskAudio sound;
    {
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
        // Each picture shows at a stream time no earlier than the one before it.
        EXPECT_TRUE(std::is_sorted(r.frameTimes.begin(), r.frameTimes.end())) << f.name;
    }
    if (f.sound)
        EXPECT_GT(sound.rms(), kNotSilent) << f.name;
    else
        EXPECT_LE(sound.rms(), 0) << f.name;  // silent, or no device opened at all
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusPlays,
    // The jump of 69 minutes after the first tag is crossed: the file is 0.4 s long.
    ::testing::Values(CorpusFile{"aac_timestamp_jump_streamtheworld_gnash.flv", false, true, 0},
                      CorpusFile{"h263_mp3_flvtool2_keyframes_onlastsecond_red5old.flv", true, true, 108.0},
                      CorpusFile{"h263_mp3_youtube_keyframes_truncated_hachoir.flv", true, true, 0},
                      CorpusFile{"h263_zero_dims_meta_2005_red5old.flv", true, false, 0},
                      CorpusFile{"h264_aac_nometa_bad_prevtagsize_red5.flv", true, true, 27.0},
                      CorpusFile{"h264_heaac_minimal_meta_streamserver_gv6.flv", true, true, 28.0},
                      CorpusFile{"h264_speex_rate0_red5rc3_red5.flv", true, true, 27.0},
                      CorpusFile{"header_only_9bytes_reserved_flag_red5old.flv", false, false, 0},
                      CorpusFile{"mp3_audioonly_flvtool2_emptyobj_fields_red5old.flv", false, true, 168.0},
                      CorpusFile{"nellymoser8k_fcs_live_nometa_red5old.flv", false, true, 6.0},
                      CorpusFile{"vp6_cuepoints_event_navigation_red5.flv", true, false, 0},
                      CorpusFile{"vp6_mp3_flash8enc_red5old.flv", true, true, 12.0},
                      CorpusFile{"vp6a_alpha_ame_xmp_itlancer.flv", true, false, 0}),
    [](const auto& info) {
        std::string n = info.param.name;
        n = n.substr(0, n.size() - 4);
        std::replace_if(n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return n;
    });

// The codecs the collection's manifest lists for each file, by its own column texts.
std::optional<FlvCodec> listedCodec(std::string column)
{
    std::transform(column.begin(), column.end(), column.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    static const std::vector<std::pair<std::string, FlvCodec>> names{
        {"flv1", FlvCodec::SorensonH263}, {"vp6f", FlvCodec::Vp6}, {"vp6a", FlvCodec::Vp6Alpha},
        {"h264", FlvCodec::Avc}, {"mp3", FlvCodec::Mp3}, {"aac", FlvCodec::Aac},
        {"nellymoser", FlvCodec::Nellymoser}, {"speex", FlvCodec::Speex}};
    for (const auto& [name, codec] : names)
        if (column.find(name) != std::string::npos)
            return codec;
    return std::nullopt;
}

// The reader's tags agree with what the manifest says each file holds: the same video
// and audio codecs, and no track the manifest does not list.
TEST(CorpusManifest, ReaderFindsTheListedCodecs)
{
    std::ifstream manifest(corpusFile("MANIFEST.tsv"));
    ASSERT_TRUE(manifest) << "no MANIFEST.tsv in the corpus folder";
    std::string line;
    std::getline(manifest, line);  // the column names
    int files = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::stringstream row(line);
        for (std::string column; std::getline(row, column, '\t');)
            columns.push_back(column);
        ASSERT_GE(columns.size(), 9u) << line;
        const std::string& name = columns[0];
        auto reader = FlvReader::open(FileSource::open(corpusFile(name)));
        ASSERT_TRUE(reader) << name;
        std::set<FlvCodec> video, audio;
        while (auto tag = reader->next()) {
            if (tag->header.type == FlvTagType::Video) {
                const FlvPayload p = parseVideoPayload(tag->data);
                if (p.codec != FlvCodec::None)
                    video.insert(p.codec);
            } else if (tag->header.type == FlvTagType::Audio && !tag->data.empty()) {
                audio.insert(parseAudioPayload(tag->data).codec);
            }
        }
        const auto expected = [](std::optional<FlvCodec> c) { return c ? std::set<FlvCodec>{*c} : std::set<FlvCodec>{}; };
        EXPECT_EQ(video, expected(listedCodec(columns[6]))) << name;
        EXPECT_EQ(audio, expected(listedCodec(columns[8]))) << name;
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace zepo::test
