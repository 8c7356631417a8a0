#include "stream/IndexBuilder.h"

#include "stream/Amf0.h"

namespace zepo::stream {
namespace {

// Writers put onMetaData first; a few put a tag or two in front of it.
constexpr int kTagsBeforeMetadata = 8;

} // namespace

std::optional<AmfValue> leadingMetaData(FlvReader& reader)
{
    reader.seek(reader.firstTagPosition());
    for (int i = 0; i < kTagsBeforeMetadata; ++i) {
        auto h = reader.nextHeader();
        if (!h)
            return std::nullopt;
        if (h->type != FlvTagType::Script || h->encrypted)
            continue;
        auto data = reader.payload(*h);
        if (!data)
            return std::nullopt;
        auto script = decodeScriptData(*data);
        if (script && script->name == "onMetaData" && !script->arguments.empty())
            return std::move(script->arguments.front());
    }
    return std::nullopt;
}

std::shared_ptr<const KeyframeIndex> buildIndex(std::unique_ptr<ByteSource> source,
                                                const std::atomic<bool>& cancel)
{
    auto reader = FlvReader::open(std::move(source));
    if (!reader)
        return nullptr;
    reader->setCancelFlag(&cancel);
    if (auto metadata = leadingMetaData(*reader))
        if (auto index = KeyframeIndex::fromMetadata(*metadata, *reader))
            return std::make_shared<const KeyframeIndex>(std::move(*index));
    auto scanned = KeyframeIndex::scan(*reader, &cancel);
    if (!scanned)
        return nullptr;
    return std::make_shared<const KeyframeIndex>(std::move(*scanned));
}

} // namespace zepo::stream
