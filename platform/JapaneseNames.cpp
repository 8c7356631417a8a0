#include "platform/JapaneseNames.h"

#include <iconv.h>
#include <string>

namespace zepo {

namespace {
// One byte of either encoding is at most three bytes of UTF-8 (a half-width katakana of
// CP932 is one byte in, three out).
constexpr std::size_t kUtf8BytesPerByte = 3;
// The C1 control characters, which glibc's EUC-JP makes of single bytes 0x80-0x9F: no
// name holds them, so a reading with one is no reading.
constexpr char16_t kC1First = 0x80;
constexpr char16_t kC1Last = 0x9F;
// Half-width katakana, as a CP932 reading of EUC-JP bytes is full of.
constexpr char16_t kHalfWidthKatakanaFirst = 0xFF61;
constexpr char16_t kHalfWidthKatakanaLast = 0xFF9F;

bool holdsAny(const QString& text, char16_t first, char16_t last)
{
    for (QChar c : text)
        if (c.unicode() >= first && c.unicode() <= last)
            return true;
    return false;
}

// The bytes converted with glibc's converter (which both encodings ship with), or nothing
// when any byte is no part of a character of the encoding.
std::optional<QString> convert(const char* encoding, std::string_view bytes)
{
    const iconv_t converter = ::iconv_open("UTF-8", encoding);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(bytes.size() * kUtf8BytesPerByte, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* at = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(converter, &in, &inLeft, &at, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    QString text = QString::fromStdString(out);
    if (holdsAny(text, kC1First, kC1Last))
        return std::nullopt;
    return text;
}
} // namespace

std::optional<QString> japaneseLegacyText(std::string_view bytes)
{
    auto windows = convert("CP932", bytes);
    if (windows && !holdsAny(*windows, kHalfWidthKatakanaFirst, kHalfWidthKatakanaLast))
        return windows;
    if (auto unix = convert("EUC-JP", bytes))
        return unix;
    return windows;
}

} // namespace zepo
