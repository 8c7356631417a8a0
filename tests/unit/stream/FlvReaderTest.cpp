#include "stream/FlvReader.h"
#include "stream/KeyframeIndex.h"
#include "tests/unit/FlvBytes.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

using test::Bytes;
using test::operator+;
using test::FlvBytes;

FlvReader open(const Bytes& bytes)
{
    auto r = FlvReader::open(std::make_unique<MemorySource>(bytes));
    EXPECT_TRUE(r) << (r ? "" : r.error().what);
    return std::move(*r);
}

struct Read {
    std::vector<FlvTag> tags;
    FlvError end;
};

Read readAll(FlvReader& reader)
{
    Read out;
    for (int guard = 0; guard < 10000; ++guard) {
        auto t = reader.next();
        if (!t) {
            out.end = t.error();
            return out;
        }
        out.tags.push_back(std::move(*t));
    }
    ADD_FAILURE() << "reader did not end";
    return out;
}

TEST(FlvReaderHeader, FindsTheFirstTagAndRejectsWhatIsNoFlv)
{
    const Bytes bytes = FlvBytes(true, false).bytes;
    auto r = FlvReader::open(std::make_unique<MemorySource>(bytes));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->firstTagPosition(), 13u);  // the 9-byte header, then PreviousTagSize0

    const Bytes notFlv{'F', 'W', 'S', 1, 5, 0, 0, 0, 9};
    auto bad = FlvReader::open(std::make_unique<MemorySource>(notFlv));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().kind, FlvErrorKind::Corrupt);
    const Bytes shorter{'F', 'L', 'V', 1};
    EXPECT_FALSE(FlvReader::open(std::make_unique<MemorySource>(shorter)));
}

// The 9-byte file of a header and nothing else (reserved flag set, no PreviousTagSize0)
// is an empty stream, not an error.
TEST(FlvReaderHeader, HeaderOnlyIsAnEmptyStream)
{
    Bytes bytes = FlvBytes(false, false, 9, false).bytes;
    bytes[4] = 0x08;
    FlvReader reader = open(bytes);
    auto t = reader.next();
    ASSERT_FALSE(t);
    EXPECT_EQ(t.error().kind, FlvErrorKind::EndOfStream);
    EXPECT_FALSE(reader.truncated());
}

// A data offset pointing past the file, and a missing PreviousTagSize0, are both read
// past.
TEST(FlvReaderHeader, ToleratesWrongDataOffsetAndMissingFirstPreviousTagSize)
{
    FlvBytes wrongOffset(true, true, 4000);
    wrongOffset.tag(8, 0, test::mp3Audio());
    FlvReader a = open(wrongOffset.bytes);
    EXPECT_EQ(readAll(a).tags.size(), 1u);

    FlvBytes noSize0(true, true, 9, false);
    noSize0.tag(8, 0, test::mp3Audio()).tag(8, 26, test::mp3Audio());
    FlvReader b = open(noSize0.bytes);
    EXPECT_EQ(readAll(b).tags.size(), 2u);
}

TEST(FlvReaderTags, ReadsTypesTimestampsAndPayloads)
{
    FlvBytes f;
    f.tag(18, 0, test::amf::string("onMetaData"))
        .tag(9, 0, test::h263Frame(true))
        .tag(8, 0x00ABCDEF, test::mp3Audio())
        .tag(8, 0x12345678, {})  // extension byte 0x12; empty payload (a zero-length first tag)
        .tag(0x29, 7, {1, 2, 3}); // filter bit: encrypted, reported but not ours to decode
    FlvReader reader = open(f.bytes);
    Read r = readAll(reader);
    ASSERT_EQ(r.tags.size(), 5u);
    EXPECT_EQ(r.end.kind, FlvErrorKind::EndOfStream);
    EXPECT_EQ(r.tags[0].header.type, FlvTagType::Script);
    EXPECT_EQ(r.tags[1].header.type, FlvTagType::Video);
    EXPECT_EQ(r.tags[1].data, test::h263Frame(true));
    EXPECT_EQ(r.tags[2].header.timestampMs, 0x00ABCDEFu);
    EXPECT_EQ(r.tags[3].header.timestampMs, 0x12345678u);
    EXPECT_TRUE(r.tags[3].data.empty());
    EXPECT_TRUE(r.tags[4].header.encrypted);
    EXPECT_EQ(r.tags[2].header.position, f.positions[2]);
    EXPECT_EQ(reader.skippedBytes(), 0u);
    EXPECT_FALSE(reader.truncated());
}

// Asked for headers only, the reader still reads script payloads (they carry the metadata).
TEST(FlvReaderTags, ReadsMediaPayloadsOnlyWhenAsked)
{
    FlvBytes f;
    f.tag(18, 0, test::amf::string("onMetaData")).tag(9, 0, test::h263Frame(true));
    FlvReader reader = open(f.bytes);
    auto script = reader.next(false);
    auto video = reader.next(false);
    ASSERT_TRUE(script && video);
    EXPECT_FALSE(script->data.empty());
    EXPECT_TRUE(video->data.empty());
    EXPECT_EQ(video->header.dataSize, 4u);
}

// Writers that get every PreviousTagSize wrong (15 + size, or none after the last tag)
// lose nothing.
TEST(FlvReaderDamage, WrongPreviousTagSizesAreTolerated)
{
    FlvBytes f;
    for (int i = 0; i < 5; ++i)
        f.tag(8, std::uint32_t(i * 26), test::mp3Audio(), 15 + 5);
    f.tag(9, 130, {0x17, 0x02, 0, 0, 0}, std::nullopt, false);
    FlvReader reader = open(f.bytes);
    EXPECT_EQ(readAll(reader).tags.size(), 6u);
    EXPECT_EQ(reader.skippedBytes(), 0u);
}

// A damaged tag header, and garbage between tags, are stepped over: reading goes on at
// the next tag confirmed by its PreviousTagSize.
TEST(FlvReaderDamage, ResynchronisesOnTheNextValidTag)
{
    FlvBytes f;
    for (int i = 0; i < 6; ++i)
        f.tag(8, std::uint32_t(i * 26), test::mp3Audio());
    Bytes bytes = f.bytes;
    for (int i = 0; i < 11; ++i)
        bytes[f.positions[2] + i] = 0xFF;  // third tag's header destroyed
    const Bytes garbage{0x09, 0x00, 0x00, 0x12, 'x', 'y', 0x08, 0x00};
    bytes.insert(bytes.begin() + std::ptrdiff_t(f.positions[4]), garbage.begin(), garbage.end());
    FlvReader reader = open(bytes);
    Read r = readAll(reader);
    ASSERT_EQ(r.tags.size(), 5u);
    EXPECT_EQ(r.tags[1].header.timestampMs, 26u);
    EXPECT_EQ(r.tags[2].header.timestampMs, 78u);
    EXPECT_EQ(r.tags[3].header.timestampMs, 104u);
    EXPECT_EQ(r.tags[3].data, test::mp3Audio());
    EXPECT_EQ(r.tags[4].header.timestampMs, 130u);
    const std::size_t tagBytes = 11 + 5 + 4;
    EXPECT_EQ(reader.skippedBytes(), tagBytes + garbage.size());
}

// A size larger than the file is never trusted: no huge allocation, the tag counts as cut.
TEST(FlvReaderDamage, ImpossibleSizeEndsTheStream)
{
    FlvBytes f;
    f.tag(8, 0, test::mp3Audio());
    f.raw({9, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x17});
    FlvReader reader = open(f.bytes);
    Read r = readAll(reader);
    EXPECT_EQ(r.tags.size(), 1u);
    EXPECT_EQ(r.end.kind, FlvErrorKind::EndOfStream);
    EXPECT_TRUE(reader.truncated());
}

// A file cut inside its last tag ends the stream after the whole tags, whether the cut
// falls in a payload or in a header.
TEST(FlvReaderDamage, TruncatedLastTagEndsTheStream)
{
    FlvBytes f;
    for (int i = 0; i < 4; ++i)
        f.tag(9, std::uint32_t(i * 100), Bytes(300, 0x22));
    for (std::size_t cut : {f.bytes.size() - 7, f.positions[3] + 5, f.positions[3] + 150}) {
        Bytes bytes(f.bytes.begin(), f.bytes.begin() + std::ptrdiff_t(cut));
        FlvReader reader = open(bytes);
        Read r = readAll(reader);
        EXPECT_EQ(r.tags.size(), 3u) << cut;
        EXPECT_EQ(r.end.kind, FlvErrorKind::EndOfStream);
        EXPECT_TRUE(reader.truncated()) << cut;
    }
}

TEST(FlvReaderSeek, ContinuesAtATagPosition)
{
    FlvBytes f;
    for (int i = 0; i < 4; ++i)
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(i == 2));
    FlvReader reader = open(f.bytes);
    reader.seek(f.positions[2]);
    auto t = reader.next();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->header.timestampMs, 200u);
    FlvTagHeader h;
    EXPECT_TRUE(reader.tagHeaderAt(f.positions[1], h));
    EXPECT_FALSE(reader.tagHeaderAt(f.positions[1] + 1, h));
    EXPECT_FALSE(reader.tagHeaderAt(f.bytes.size() + 100, h));
}

// Fails every read but the first.
class FailingSource : public ByteSource {
public:
    explicit FailingSource(Bytes b) : bytes_(std::move(b)) {}
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        if (offset > 0)
            return -1;
        return MemorySource(bytes_).readAt(offset, out);
    }
    std::uint64_t size() const override { return bytes_.size(); }

private:
    Bytes bytes_;
};

TEST(FlvReaderErrors, ReadFailureIsAnIoError)
{
    FlvBytes f;
    f.tag(8, 0, test::mp3Audio() + Bytes(300 * 1024, 0));  // larger than one read
    auto reader = FlvReader::open(std::make_unique<FailingSource>(f.bytes));
    ASSERT_TRUE(reader);
    auto t = reader->next();
    ASSERT_FALSE(t);
    EXPECT_EQ(t.error().kind, FlvErrorKind::Io);
}

// Counts the bytes read through it.
class CountingSource : public ByteSource {
public:
    CountingSource(const Bytes& bytes, std::uint64_t& count) : bytes_(bytes), count_(count) {}
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        const std::int64_t n = MemorySource(bytes_).readAt(offset, out);
        count_ += std::uint64_t(std::max<std::int64_t>(n, 0));
        return n;
    }
    std::uint64_t size() const override { return bytes_.size(); }

private:
    const Bytes& bytes_;
    std::uint64_t& count_;
};

// A file cut while it is read: the source still claims the old size, but reads stop
// where the file now ends. Counts the reads.
class ShrunkSource : public ByteSource {
public:
    ShrunkSource(const Bytes& bytes, std::uint64_t claimed, int& reads) : bytes_(bytes), claimed_(claimed), reads_(reads) {}
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        ++reads_;
        return MemorySource(bytes_).readAt(offset, out);
    }
    std::uint64_t size() const override { return claimed_; }

private:
    const Bytes& bytes_;
    std::uint64_t claimed_;
    int& reads_;
};

// A short read is the end of the file: reading ends there at once, without searching the
// part that is gone (before, one read per byte of it), and a seek beyond it ends too.
TEST(FlvReaderDamage, AFileCutWhileReadEndsWhereTheDataEnds)
{
    FlvBytes f;
    for (int i = 0; i < 40; ++i)
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(i % 10 == 0) + Bytes(1000, 0x33));
    Bytes cut(f.bytes.begin(), f.bytes.begin() + std::ptrdiff_t(f.positions[30] + 500));
    int reads = 0;
    auto reader = FlvReader::open(std::make_unique<ShrunkSource>(cut, f.bytes.size() + (64u << 20), reads));
    ASSERT_TRUE(reader);
    Read r = readAll(*reader);
    EXPECT_EQ(r.tags.size(), 30u);
    EXPECT_EQ(r.end.kind, FlvErrorKind::EndOfStream);
    EXPECT_TRUE(reader->shrank());
    EXPECT_EQ(reader->fileSize(), cut.size());
    EXPECT_LT(reads, 10);

    reads = 0;
    auto seeking = FlvReader::open(std::make_unique<ShrunkSource>(cut, f.bytes.size(), reads));
    ASSERT_TRUE(seeking);
    seeking->seek(f.positions[35]);
    auto t = seeking->next();
    ASSERT_FALSE(t);
    EXPECT_EQ(t.error().kind, FlvErrorKind::EndOfStream);
    EXPECT_TRUE(seeking->shrank());
    EXPECT_LT(reads, 10);
}

// Walking over damage reads it about once, even when it is full of headers that look
// sound and claim tags ending far away (in the damage): checking where such a tag would
// end costs a few bytes, not a read window each (before, 512 KB per candidate: 8 GB here).
TEST(FlvReaderCost, DamageIsReadAboutOnce)
{
    FlvBytes f;
    f.tag(9, 0, test::h263Frame(true));
    Bytes damage;
    for (int i = 0; i < 16384; ++i) {
        Bytes fake{9, 0x08, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0};  // a video tag of 512 KB
        fake.resize(64, 0xEE);
        test::append(damage, fake);
    }
    damage.resize(damage.size() + 600 * 1024, 0xEE);
    f.raw(damage);
    for (int i = 1; i < 40; ++i)
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(false) + Bytes(30000, 0x5A));
    std::uint64_t read = 0;
    auto reader = FlvReader::open(std::make_unique<CountingSource>(f.bytes, read));
    ASSERT_TRUE(reader);
    Read r = readAll(*reader);
    EXPECT_EQ(r.tags.size(), 40u);
    EXPECT_EQ(reader->skippedBytes(), damage.size());
    EXPECT_LT(read, f.bytes.size() * 3 / 2);
}

// Reading the tags in order, with their payloads or with a peek into each video frame
// (the keyframe scan), reads each byte of a file about once: checking where a tag ends
// does not move the read window off the payload that is read next.
TEST(FlvReaderCost, ReadsEachByteAboutOnce)
{
    FlvBytes f;
    for (int i = 0; i < 60; ++i) {
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(i % 10 == 0) + Bytes(30000, 0x5A));
        f.tag(8, std::uint32_t(i * 100), test::mp3Audio() + Bytes(400, 0x11));
    }
    const std::uint64_t bound = f.bytes.size() * 11 / 10;
    std::uint64_t read = 0;
    auto reader = FlvReader::open(std::make_unique<CountingSource>(f.bytes, read));
    ASSERT_TRUE(reader);
    int tags = 0;
    while (reader->next(true))
        ++tags;
    EXPECT_EQ(tags, 120);
    EXPECT_LT(read, bound);

    read = 0;
    auto scanned = FlvReader::open(std::make_unique<CountingSource>(f.bytes, read));
    ASSERT_TRUE(scanned);
    auto index = KeyframeIndex::scan(*scanned);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->points().size(), 6u);
    EXPECT_LT(read, bound);
}

} // namespace
} // namespace zepo::stream
