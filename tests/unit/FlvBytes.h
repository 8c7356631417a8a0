#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zepo::test {

using Bytes = std::vector<std::uint8_t>;

inline void putBe(Bytes& b, std::uint64_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

// Element by element: GCC 12 warns wrongly about a range insert into a tiny vector.
inline void append(Bytes& to, const Bytes& more)
{
    for (std::uint8_t x : more)
        to.push_back(x);
}

// Copied into storage of the final size: GCC 14 warns wrongly (-Wfree-nonheap-object)
// about the growth path of a push_back that the reserve before it never takes.
inline Bytes operator+(const Bytes& a, const Bytes& b)
{
    Bytes out(a.size() + b.size());
    std::copy(a.begin(), a.end(), out.begin());
    std::copy(b.begin(), b.end(), out.begin() + std::ptrdiff_t(a.size()));
    return out;
}

// FLV files byte by byte, for the reader's tests.
class FlvBytes {
public:
    explicit FlvBytes(bool audio = true, bool video = true, std::uint32_t dataOffset = 9, bool previousTagSize0 = true)
    {
        bytes = {'F', 'L', 'V', 1, std::uint8_t((audio ? 4 : 0) | (video ? 1 : 0))};
        putBe(bytes, dataOffset, 4);
        if (previousTagSize0)
            putBe(bytes, 0, 4);
    }
    // A tag with its PreviousTagSize (the right one unless given).
    FlvBytes& tag(std::uint8_t type, std::uint32_t timestampMs, const Bytes& payload,
                  std::optional<std::uint32_t> previousTagSize = std::nullopt, bool withPreviousTagSize = true)
    {
        positions.push_back(bytes.size());
        bytes.push_back(type);
        putBe(bytes, payload.size(), 3);
        putBe(bytes, timestampMs & 0xFFFFFF, 3);
        bytes.push_back(std::uint8_t(timestampMs >> 24));
        putBe(bytes, 0, 3);
        append(bytes, payload);
        if (withPreviousTagSize)
            putBe(bytes, previousTagSize.value_or(11 + std::uint32_t(payload.size())), 4);
        return *this;
    }
    FlvBytes& raw(const Bytes& b)
    {
        append(bytes, b);
        return *this;
    }

    Bytes bytes;
    std::vector<std::size_t> positions;  // where each tag() started
};

// AMF0 values.
namespace amf {
inline Bytes number(double d)
{
    Bytes b{0x00};
    putBe(b, std::bit_cast<std::uint64_t>(d), 8);
    return b;
}
inline Bytes boolean(bool v) { return {0x01, std::uint8_t(v)}; }
inline Bytes key(const std::string& s)
{
    Bytes b;
    putBe(b, s.size(), 2);
    for (char c : s)
        b.push_back(std::uint8_t(c));
    return b;
}
inline Bytes string(const std::string& s) { return Bytes{0x02} + key(s); }
inline Bytes longString(const std::string& s)
{
    Bytes b{0x0C};
    putBe(b, s.size(), 4);
    for (char c : s)
        b.push_back(std::uint8_t(c));
    return b;
}
inline Bytes null() { return {0x05}; }
inline Bytes undefined() { return {0x06}; }
inline Bytes end() { return {0x00, 0x00, 0x09}; }
inline Bytes props(const std::vector<std::pair<std::string, Bytes>>& p)
{
    Bytes b;
    for (const auto& [k, v] : p)
        b = b + key(k) + v;
    return b;
}
inline Bytes object(const std::vector<std::pair<std::string, Bytes>>& p, bool withEnd = true)
{
    return Bytes{0x03} + props(p) + (withEnd ? end() : Bytes{});
}
inline Bytes ecma(const std::vector<std::pair<std::string, Bytes>>& p, std::uint32_t count, bool withEnd = true)
{
    Bytes b{0x08};
    putBe(b, count, 4);
    return b + props(p) + (withEnd ? end() : Bytes{});
}
inline Bytes strict(const std::vector<Bytes>& elements, std::optional<std::uint32_t> count = std::nullopt)
{
    Bytes b{0x0A};
    putBe(b, count.value_or(std::uint32_t(elements.size())), 4);
    for (const auto& e : elements)
        b = b + e;
    return b;
}
inline Bytes date(double ms, std::int16_t timezone)
{
    Bytes b{0x0B};
    putBe(b, std::bit_cast<std::uint64_t>(ms), 8);
    putBe(b, std::uint16_t(timezone), 2);
    return b;
}
inline Bytes reference(std::uint16_t index)
{
    Bytes b{0x07};
    putBe(b, index, 2);
    return b;
}
inline Bytes numbers(const std::vector<double>& values)
{
    std::vector<Bytes> e;
    for (double v : values)
        e.push_back(number(v));
    return strict(e);
}
} // namespace amf

// Audio and video payloads.
inline Bytes mp3Audio() { return {0x2E, 0xFF, 0xFB, 0x90, 0x00}; }
inline Bytes h263Frame(bool key) { return {std::uint8_t(key ? 0x12 : 0x22), 0x00, 0x00, 0x84}; }

} // namespace zepo::test
