// libFuzzer target: any bytes as an FLV file. Reads every tag with its payload, parses the
// audio and video headers and script data, and builds the seek index both ways (metadata
// and scan), as playback does.
#include "stream/Amf0.h"
#include "stream/FlvCodecs.h"
#include "stream/FlvReader.h"
#include "stream/IndexBuilder.h"
#include "stream/KeyframeIndex.h"

#include <cstddef>
#include <cstdint>

using namespace zepo::stream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    auto reader = FlvReader::open(std::make_unique<MemorySource>(bytes));
    if (!reader)
        return 0;
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
    return 0;
}
