#include "stream/FlvCodecs.h"
#include "stream/StreamLog.h"
#include "stream/TrackCodec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace zepo::stream {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Takes the stream's messages while it is installed, as the program's sink does.
class RecordingSink final : public LogSink {
public:
    struct Record {
        LogLevel level;
        std::string file;
        std::string message;
    };

    RecordingSink() { setLogSink(this); }
    ~RecordingSink() override { setLogSink(nullptr); }

    bool enabled(LogLevel level) const override { return level != LogLevel::Debug; }
    void write(LogLevel level, const std::string& file, const std::string& message) override
    {
        std::lock_guard lock(mutex_);
        records_.push_back({level, file, message});
    }
    std::vector<Record> records() const
    {
        std::lock_guard lock(mutex_);
        return records_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Record> records_;
};

TEST(StreamLog, FfmpegIsHeardFromWarningsUpAboutTheFileOfItsThread)
{
    RecordingSink sink;
    routeFfmpegLog();
    const std::string file = "/films/a.flv";
    {
        LogFile log(file);
        LogFileScope scope(log);
        av_log(nullptr, AV_LOG_INFO, "chatter\n");
        av_log(nullptr, AV_LOG_WARNING, "something odd at %d\n", 42);
    }
    av_log(nullptr, AV_LOG_ERROR, "about no file\n");
    const auto records = sink.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].level, LogLevel::Warning);
    EXPECT_EQ(records[0].file, file);
    EXPECT_EQ(records[0].message, "something odd at 42");
    EXPECT_EQ(records[1].file, "");
}

// FFmpeg's lines about one file: the first ten are written, the rest counted and told in
// one line when the file is closed. Another file has a count of its own; a quiet file
// writes nothing.
TEST(StreamLog, FfmpegsLinesAreCappedPerFile)
{
    RecordingSink sink;
    routeFfmpegLog();
    {
        LogFile a("/films/a.flv"), b("/films/b.flv"), quiet("/films/a.flv", true);
        for (int i = 0; i < 25; ++i) {
            LogFileScope scope(a);
            av_log(nullptr, AV_LOG_WARNING, "damage %d\n", i);
        }
        for (LogFile* file : {&b, &quiet}) {
            LogFileScope scope(*file);
            av_log(nullptr, AV_LOG_ERROR, "more damage\n");
        }
    }
    const auto records = sink.records();
    ASSERT_EQ(records.size(), 12u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(records[i].file, "/films/a.flv");
        EXPECT_EQ(records[i].message, "damage " + std::to_string(i));
    }
    EXPECT_EQ(records[10].file, "/films/b.flv");
    EXPECT_EQ(records[11].file, "/films/a.flv");
    EXPECT_EQ(records[11].level, LogLevel::Warning);
    EXPECT_EQ(records[11].message, "15 further lines of FFmpeg about this file were left out");
}

// A sequence header whose configuration the decoder refuses: the track codec says why in
// FFmpeg's words, and the decoder's own complaint names the file, with no scope open.
TEST(StreamLog, ABrokenDecoderConfigurationIsToldInFfmpegsWordsAboutItsFile)
{
    RecordingSink sink;
    routeFfmpegLog();
    const std::string file = "/films/b.flv";
    LogFile log(file);
    TrackCodec codec(&log);
    // AAC; its AudioSpecificConfig names AAC LC at sampling rate index 13, which is reserved.
    const std::vector<std::uint8_t> header = {0xAF, 0x00, 0x16, 0x90};
    const FlvPayload info = parseAudioPayload(header);
    ASSERT_EQ(info.kind, FlvPayload::Kind::SequenceHeader);
    const auto configured = codec.configure(info, header);
    ASSERT_FALSE(configured);
    EXPECT_EQ(configured.error().kind, FlvErrorKind::Corrupt);
    EXPECT_THAT(configured.error().detail, HasSubstr("aac decoder refused its configuration: Invalid data"));
    const auto records = sink.records();
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        EXPECT_EQ(r.file, file);
        EXPECT_THAT(r.message, StartsWith("[aac]"));
    }
}

} // namespace
} // namespace zepo::stream
