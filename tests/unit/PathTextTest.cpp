#include "platform/PathText.h"

#include <gtest/gtest.h>

namespace zepo {
namespace {

// "テスト" as Windows (CP932) and older Unix systems (EUC-JP) write it.
const std::string kShiftJis = "\x83\x65\x83\x58\x83\x67";
const std::string kEucJp = "\xA5\xC6\xA5\xB9\xA5\xC8";

TEST(PathText, JapaneseNamesThatAreNoUtf8ShowDecodedPieceByPiece)
{
    EXPECT_EQ(toQt(kShiftJis + ".flv - ZEPO"), QString::fromUtf8("テスト.flv - ZEPO"));
    EXPECT_EQ(toQt(kEucJp + ".flv"), QString::fromUtf8("テスト.flv"));
    // A UTF-8 folder around a name from an archive; a message with the path on its line.
    EXPECT_EQ(toQt("/home/ユーザー/" + kShiftJis + "/a" + kEucJp + ".flv"),
              QString::fromUtf8("/home/ユーザー/テスト/aテスト.flv"));
    EXPECT_EQ(toQt("ファイル取得失敗 ：\n/d/" + kShiftJis + ".flv"),
              QString::fromUtf8("ファイル取得失敗 ：\n/d/テスト.flv"));
    // CP932's own characters beyond Shift-JIS: "①" and "髙".
    EXPECT_EQ(toQt("\x87\x40\xFB\xFC"), QString::fromUtf8("①髙"));
}

TEST(PathText, OtherBytesStayReplacementCharactersAndUtf8StaysAsItIs)
{
    EXPECT_EQ(toQt("\xFF\xFE.flv"), QString::fromUtf8("\uFFFD\uFFFD.flv"));
    // A lead byte without its second byte is no CP932, and the control characters that
    // glibc's EUC-JP gives single high bytes are no name.
    EXPECT_EQ(toQt("a\x83"), QString::fromUtf8("a\uFFFD"));
    EXPECT_EQ(toQt("\x80"), QString::fromUtf8("\uFFFD"));
    EXPECT_EQ(toQt("ビデオ/テスト.flv"), QString::fromUtf8("ビデオ/テスト.flv"));
    // UTF-8 that happens to be CP932 too stays UTF-8: only what UTF-8 refuses is read
    // the other way.
    EXPECT_EQ(toQt("\xE3\x81\x82"), QString::fromUtf8("あ"));
    // Every character counts, a leading byte-order mark too.
    EXPECT_EQ(toQt("\xEF\xBB\xBFmark"), QChar(0xFEFF) + QString::fromUtf8("mark"));
}

TEST(PathText, OneLineTextPicturesControlCharacters)
{
    EXPECT_EQ(oneLineText(QString::fromUtf8("two\nlines\r\t\x7f.flv")), QString::fromUtf8("two␊lines␍␉␡.flv"));
    EXPECT_EQ(oneLineText(QString::fromUtf8("テスト.flv")), QString::fromUtf8("テスト.flv"));
}

} // namespace
} // namespace zepo
