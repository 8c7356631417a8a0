// libFuzzer target: any bytes as an FLV file. Reads every tag with its payload, parses the
// audio and video headers and script data, and builds the seek index both ways (metadata
// and scan), as playback does; then all of it again with the file cut after it was
// opened (its size still claims more than there is).
#include "stream/Amf0.h"
#include "stream/FlvCodecs.h"
#include "stream/FlvReader.h"
#include "stream/IndexBuilder.h"
#include "stream/KeyframeIndex.h"

#include <cstddef>
#include <cstdint>

using namespace zepo::stream;

namespace {

// The bytes of a file that became shorter since it was opened.
class CutFileSource : public ByteSource {
public:
    explicit CutFileSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        return MemorySource(bytes_).readAt(offset, out);
    }
    // What it had when it was opened: a good deal more.
    std::uint64_t size() const override { return bytes_.size() + (1 << 20); }

private:
    std::span<const std::uint8_t> bytes_;
};

void readEverything(std::unique_ptr<ByteSource> source)
{
    auto reader = FlvReader::open(std::move(source));
    if (!reader)
        return;
    std::optional<AmfValue> metadata;
    for (int i = 0; i < 100000; ++i) {
        auto tag = reader->next();
        if (!tag)
            break;
        switch (tag->header.type) {
        case FlvTagType::Audio:
            parseAudioPayload(tag->data);
            break;
        case FlvTagType::Video:
            parseVideoPayload(tag->data);
            break;
        case FlvTagType::Script:
            if (auto s = decodeScriptData(tag->data); s && s->name == "onMetaData" && !s->arguments.empty() && !metadata)
                metadata = s->arguments.front();
            break;
        }
    }
    if (metadata)
        KeyframeIndex::fromMetadata(*metadata, *reader);
    if (auto index = KeyframeIndex::scan(*reader)) {
        index->at(0);
        index->at(index->lastTimestampMs());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    readEverything(std::make_unique<MemorySource>(bytes));
    readEverything(std::make_unique<CutFileSource>(bytes));
    return 0;
}
