#pragma once

#include "tests/unit/FlvBytes.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zepo::test {

// The tags of an FLV file, read whole, to make damaged or reshaped copies of the fixtures
// in a test's own folder: the inputs of the hostile-file tests are made when they run.
struct FlvTags {
    struct Tag {
        std::uint8_t type = 0;
        std::uint32_t timestampMs = 0;
        Bytes payload;
    };
    bool audio = false;
    bool video = false;
    std::vector<Tag> tags;

    static FlvTags read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        const Bytes data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        FlvTags out;
        if (data.size() < 9)
            return out;
        out.audio = (data[4] & 4) != 0;
        out.video = (data[4] & 1) != 0;
        const std::size_t offset = (std::size_t(data[5]) << 24) | (data[6] << 16) | (data[7] << 8) | data[8];
        for (std::size_t pos = offset + 4; pos + 11 <= data.size();) {
            const std::size_t size = (std::size_t(data[pos + 1]) << 16) | (data[pos + 2] << 8) | data[pos + 3];
            if (pos + 11 + size > data.size())
                break;
            Tag t;
            t.type = data[pos] & 0x1F;
            t.timestampMs = (std::uint32_t(data[pos + 7]) << 24) | (data[pos + 4] << 16) | (data[pos + 5] << 8) | data[pos + 6];
            t.payload.assign(data.begin() + std::ptrdiff_t(pos + 11), data.begin() + std::ptrdiff_t(pos + 11 + size));
            out.tags.push_back(std::move(t));
            pos += 11 + size + 4;
        }
        return out;
    }

    Bytes bytes() const
    {
        FlvBytes f(audio, video);
        for (const Tag& t : tags)
            f.tag(t.type, t.timestampMs, t.payload);
        return f.bytes;
    }

    // The index of the audio or video tag nearest the middle of the file.
    std::size_t middle() const
    {
        std::size_t i = tags.size() / 2;
        while (i < tags.size() && tags[i].type == 18)
            ++i;
        return i;
    }

    void dropScripts()
    {
        std::erase_if(tags, [](const Tag& t) { return t.type == 18; });
    }

    // The audio and video tags played `times` over, each lap `lapMs` after the one before.
    FlvTags laps(std::uint32_t times, std::uint32_t lapMs) const
    {
        FlvTags out = *this;
        out.tags.clear();
        for (std::uint32_t lap = 0; lap < times; ++lap)
            for (Tag t : tags)
                if (t.type != 18) {
                    t.timestampMs += lap * lapMs;
                    out.tags.push_back(std::move(t));
                }
        return out;
    }

    // Changes the payload of every tag of a type (8 audio, 9 video).
    template <typename Change>
    FlvTags& eachPayload(std::uint8_t type, Change change)
    {
        for (Tag& t : tags)
            if (t.type == type && !t.payload.empty())
                change(t.payload);
        return *this;
    }
};

// A Sorenson H.263 video tag payload whose picture header claims another size: the size
// field becomes the form with two 16-bit sides, every bit after it kept.
inline Bytes withPictureSize(const Bytes& payload, unsigned width, unsigned height)
{
    std::vector<bool> bits;
    for (std::size_t i = 1; i < payload.size(); ++i)
        for (int b = 7; b >= 0; --b)
            bits.push_back((payload[i] >> b) & 1);
    constexpr std::size_t kSizeField = 17 + 5 + 8;  // start code, version, temporal reference
    if (bits.size() < kSizeField + 3)
        return payload;
    const unsigned format = (bits[kSizeField] << 2) | (bits[kSizeField + 1] << 1) | bits[kSizeField + 2];
    const std::size_t rest = kSizeField + 3 + (format == 0 ? 16 : format == 1 ? 32 : 0);
    std::vector<bool> out(bits.begin(), bits.begin() + std::ptrdiff_t(kSizeField));
    for (bool b : {false, false, true})
        out.push_back(b);
    for (unsigned side : {width, height})
        for (int b = 15; b >= 0; --b)
            out.push_back((side >> b) & 1);
    out.insert(out.end(), bits.begin() + std::ptrdiff_t(std::min(rest, bits.size())), bits.end());
    Bytes result{payload[0]};
    for (std::size_t i = 0; i < out.size(); i += 8) {
        std::uint8_t byte = 0;
        for (std::size_t b = 0; b < 8; ++b)
            byte = std::uint8_t(byte << 1 | (i + b < out.size() && out[i + b]));
        result.push_back(byte);
    }
    return result;
}

// Writes the bytes; with a gap, the first `headerBytes` of them, then that many zero bytes
// (a hole in the file, taking no disk), then the rest.
inline void writeFile(const std::string& path, const Bytes& bytes, std::size_t gap = 0, std::size_t headerBytes = 13)
{
    std::ofstream out(path, std::ios::binary);
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    if (gap == 0) {
        out.write(data, std::streamsize(bytes.size()));
        return;
    }
    out.write(data, std::streamsize(headerBytes));
    out.seekp(std::streamoff(gap), std::ios::cur);
    out.write(data + headerBytes, std::streamsize(bytes.size() - headerBytes));
}

// Metadata made of references: `replays` copies of a 10 KB object, about three bytes each.
inline Bytes referenceBombMetadata(double duration, int width, int height, std::uint32_t replays)
{
    Bytes arr{0x0A};
    putBe(arr, replays, 4);
    for (std::uint32_t i = 0; i < replays; ++i) {
        arr.push_back(0x07);
        putBe(arr, 1, 2);  // the object "big"; the metadata itself is object 0
    }
    return amf::string("onMetaData")
        + amf::ecma({{"duration", amf::number(duration)},
                     {"width", amf::number(width)},
                     {"height", amf::number(height)},
                     {"big", amf::object({{"s", amf::string(std::string(10000, 'x'))}})},
                     {"arr", arr}},
                    5);
}

} // namespace zepo::test
