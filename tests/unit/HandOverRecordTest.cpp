#include "app/HandOverRecord.h"

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

TEST(HandOverText, EveryArgumentIsFollowedByTheSeparator)
{
    const std::string text = handOverText({"C:\\v\\a b.flv", "D:\\x.flv"}, "");
    EXPECT_EQ(text, "C:\\v\\a b.flv|D:\\x.flv|");
    EXPECT_EQ(text.size(), 22u);
    EXPECT_EQ(handOverText({}, "/home/u"), "");
}

TEST(HandOverText, RelativeArgumentsAreMadeAbsoluteAgainstTheSendersFolder)
{
    EXPECT_EQ(handOverText({"a b.flv", "/abs/x.flv", "../up.flv", ""}, "/home/u"),
              "/home/u/a b.flv|/abs/x.flv|/home/u/../up.flv||");
    // The root folder gives no doubled separator.
    EXPECT_EQ(handOverText({"x.flv"}, "/"), "/x.flv|");
    // The player strips one pair of enclosing quotes: the folder goes inside them.
    EXPECT_EQ(handOverText({"\"a.flv\"", "\"\"", "\"/abs.flv\""}, "/home/u"),
              "\"/home/u/a.flv\"|\"\"|\"/abs.flv\"|");
    // An unknown folder leaves the arguments as they are.
    EXPECT_EQ(handOverText({"a.flv"}, ""), "a.flv|");
}

TEST(HandOverRecordCoding, ExampleRecordCarriesItsTextAndTerminatingZero)
{
    const std::string bytes = encodeHandOver({HandOverRecord::kKind, "C:\\v\\a b.flv|D:\\x.flv|"});
    EXPECT_EQ(bytes, header(0x8000, 23) + "C:\\v\\a b.flv|D:\\x.flv|"s + '\0');
    const auto back = decodeHandOver(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, 0x8000u);
    EXPECT_EQ(back->text, "C:\\v\\a b.flv|D:\\x.flv|");
}

TEST(HandOverRecordCoding, EmptyTextHasByteCountOne)
{
    const std::string bytes = encodeHandOver({HandOverRecord::kKind, ""});
    EXPECT_EQ(bytes, header(0x8000, 1) + '\0');
    const auto back = decodeHandOver(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "");
}

TEST(HandOverRecordCoding, OtherKindsDecodeSoThatTheReceiverCanIgnoreThem)
{
    const auto back = decodeHandOver(header(0x7FFF, 3) + "a|"s + '\0');
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, 0x7FFFu);
}

TEST(HandOverRecordCoding, TextEndsAtItsFirstZeroWithinTheByteCount)
{
    // Bytes after the first zero are not part of the text.
    auto back = decodeHandOver(header(0x8000, 6) + "a|\0b|\0"s);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "a|");
    // Without any zero the byte count bounds the text.
    back = decodeHandOver(header(0x8000, 3) + "ab|");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "ab|");
    // A byte count of 0 holds no text at all.
    back = decodeHandOver(header(0x8000, 0));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "");
}

TEST(HandOverRecordCoding, MalformedRecordsAreRejected)
{
    EXPECT_FALSE(decodeHandOver(""));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 1).substr(0, 7)));
    // A byte count that promises more than was sent, or less.
    EXPECT_FALSE(decodeHandOver(header(0x8000, 10) + "a|"s + '\0'));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 0xFFFFFFFF) + "a|"s + '\0'));
    EXPECT_FALSE(decodeHandOver(header(0x8000, 1) + "a|"s + '\0'));
}

TEST(HandOverRecordCoding, OversizedRecordIsRejected)
{
    const std::string text(HandOverRecord::kMaxBytes - 8, 'x');
    EXPECT_FALSE(decodeHandOver(encodeHandOver({HandOverRecord::kKind, text})));
    const std::string fits(HandOverRecord::kMaxBytes - 9, 'x');
    EXPECT_TRUE(decodeHandOver(encodeHandOver({HandOverRecord::kKind, fits})));
}

} // namespace
} // namespace zepo::test
