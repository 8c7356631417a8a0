#include "platform/UnicodeText.h"

namespace zepo {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool isHigh(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
} // namespace

TextMark textMarkOf(std::string_view start)
{
    if (start.substr(0, 3) == "\xEF\xBB\xBF")
        return TextMark::Utf8;
    if (start.substr(0, 2) == "\xFF\xFE")
        return TextMark::Utf16LE;
    if (start.substr(0, 2) == "\xFE\xFF")
        return TextMark::Utf16BE;
    return TextMark::None;
}

std::size_t markBytes(TextMark mark)
{
    switch (mark) {
    case TextMark::None:
        return 0;
    case TextMark::Utf8:
        return 3;
    case TextMark::Utf16LE:
    case TextMark::Utf16BE:
        return 2;
    }
    return 0;
}

void Utf16Decoder::put(char32_t c, std::string& out) const
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf16Decoder::decode(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t at = 0;
    const auto unitAt = [&](unsigned char first, unsigned char second) {
        return static_cast<char16_t>(bigEndian_ ? (first << 8) | second : (second << 8) | first);
    };
    for (;;) {
        char16_t unit = 0;
        if (!pendingByte_.empty()) {
            if (at == bytes.size())
                break;
            unit = unitAt(static_cast<unsigned char>(pendingByte_[0]), static_cast<unsigned char>(bytes[at]));
            pendingByte_.clear();
            at += 1;
        } else if (bytes.size() - at >= 2) {
            unit = unitAt(static_cast<unsigned char>(bytes[at]), static_cast<unsigned char>(bytes[at + 1]));
            at += 2;
        } else {
            if (at < bytes.size())
                pendingByte_.assign(1, bytes[at]);
            break;
        }
        if (pendingHigh_ != 0) {
            const char16_t high = pendingHigh_;
            pendingHigh_ = 0;
            if (isLow(unit)) {
                put(0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(unit) - 0xDC00), out);
                continue;
            }
            put(kReplacement, out);
        }
        if (isHigh(unit))
            pendingHigh_ = unit;
        else
            put(isLow(unit) ? kReplacement : unit, out);
    }
    return out;
}

std::string Utf16Decoder::finish()
{
    std::string out;
    if (pendingHigh_ != 0)
        put(kReplacement, out);
    if (!pendingByte_.empty())
        put(kReplacement, out);
    pendingHigh_ = 0;
    pendingByte_.clear();
    return out;
}

std::string unicodeTextAsUtf8(std::string_view bytes)
{
    const TextMark mark = textMarkOf(bytes);
    const std::string_view text = bytes.substr(markBytes(mark));
    if (mark != TextMark::Utf16LE && mark != TextMark::Utf16BE)
        return std::string(text);
    Utf16Decoder decoder(mark == TextMark::Utf16BE);
    return decoder.decode(text) + decoder.finish();
}

} // namespace zepo
