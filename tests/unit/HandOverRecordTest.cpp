#include "platform/HandOverRecord.h"

#include <gtest/gtest.h>

namespace zepo::test {
namespace {

using namespace std::string_literals;

// Header of a record: kind and byte count, little-endian.
std::string header(std::uint32_t kind, std::uint32_t byteCount)
{
    std::string out;
    for (std::uint32_t value : {kind, byteCount})
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

TEST(HandOverData, EveryArgumentIsFollowedByAZeroAndKeptWhole)
{
    // Any byte but zero may stand in a name: none of them splits or changes it.
    const std::vector<std::string> names = {"/v/a|b.flv", "/v/new\nline.flv", "/v/100%.flv", "/v/a b.flv",
                                            "/v/\x83\x65\x83\x58\x83\x67.flv", "/v/\xff|\r.flv"};
    std::string expected;
    for (const std::string& name : names)
        expected += name + '\0';
    EXPECT_EQ(handOverData(names, "/home/u"), expected);
    EXPECT_EQ(handOverData({}, "/home/u"), "");
}

TEST(HandOverData, RelativeArgumentsAreMadeAbsoluteAgainstTheSendersFolder)
{
    EXPECT_EQ(handOverData({"a b.flv", "/abs/x.flv", "../up.flv", "-dash.flv", ""}, "/home/u"),
              "/home/u/a b.flv\0/abs/x.flv\0/home/u/../up.flv\0/home/u/-dash.flv\0\0"s);
    // The root folder gives no doubled separator.
    EXPECT_EQ(handOverData({"x.flv"}, "/"), "/x.flv\0"s);
    // The player strips one pair of enclosing quotes: the folder goes inside them.
    EXPECT_EQ(handOverData({"\"a.flv\"", "\"\"", "\"/abs.flv\""}, "/home/u"),
              "\"/home/u/a.flv\"\0\"\"\0\"/abs.flv\"\0"s);
    // An unknown folder leaves the arguments as they are.
    EXPECT_EQ(handOverData({"a.flv"}, ""), "a.flv\0"s);
}

TEST(HandOverRecordCoding, HeaderThenTheDataWithEveryZeroInIt)
{
    const std::string data = "/v/a|b.flv\0/v/c.flv\0"s;
    const std::string bytes = encodeHandOver({HandOverRecord::kKind, data});
    EXPECT_EQ(bytes, header(0x8000, 20) + data);
    const auto back = decodeHandOver(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, 0x8000u);
    EXPECT_EQ(back->data, data);

    // No paths: a byte count of 0.
    EXPECT_EQ(encodeHandOver({HandOverRecord::kKind, ""}), header(0x8000, 0));
    ASSERT_TRUE(decodeHandOver(header(0x8000, 0)));
    EXPECT_EQ(decodeHandOver(header(0x8000, 0))->data, "");
}

TEST(HandOverRecordCoding, OtherKindsDecodeSoThatTheReceiverCanIgnoreThem)
{
    const auto back = decodeHandOver(header(0x7FFF, 2) + "a\0"s);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, 0x7FFFu);
}

TEST(HandOverRecordCoding, MalformedRecordsAreRejected)
{
    EXPECT_FALSE(decodeHandOver(""));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 1).substr(0, 7)));
    // A byte count that promises more than was sent, or less.
    EXPECT_FALSE(decodeHandOver(header(0x8000, 10) + "a\0"s));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 0xFFFFFFFF) + "a\0"s));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 1) + "ab\0"s));
}

TEST(HandOverRecordCoding, OversizedRecordIsRejected)
{
    const std::string data(HandOverRecord::kMaxBytes - 7, 'x');
    EXPECT_FALSE(decodeHandOver(encodeHandOver({HandOverRecord::kKind, data})));
    const std::string fits(HandOverRecord::kMaxBytes - 8, 'x');
    EXPECT_TRUE(decodeHandOver(encodeHandOver({HandOverRecord::kKind, fits})));
}

} // namespace
} // namespace zepo::test
