#include "stream/Amf0.h"

#include <bit>
#include <cstring>
#include <algorithm>

namespace zepo::stream {
namespace {

// Metadata nests two or three levels; anything deeper than this is an attack or damage.
constexpr int kMaxDepth = 32;
// Enough for a day-long file's keyframe index (two arrays of one entry per second, about
// 173 000 values) while keeping the values of a hostile tag to a few hundred thousand.
constexpr std::size_t kMaxValues = 250000;
// What the decoded values may take in memory, replayed references included: the keyframe
// index above takes about 20 MB; a few copies of the bound still fit comfortably in a
// player's memory.
constexpr std::size_t kMaxDecodedBytes = 32 * 1024 * 1024;
// The reference table: AMF0 counts its index in 16 bits.
constexpr std::size_t kMaxReferences = 65535;

// Why decoding stopped at the memory bound, as the warning about the file says it.
constexpr char kOverMemoryBound[] = "more than 32 MB of values";

enum Marker : std::uint8_t {
    kNumber = 0x00, kBoolean = 0x01, kString = 0x02, kObject = 0x03, kMovieClip = 0x04,
    kNull = 0x05, kUndefined = 0x06, kReference = 0x07, kEcmaArray = 0x08, kObjectEnd = 0x09,
    kStrictArray = 0x0A, kDate = 0x0B, kLongString = 0x0C, kUnsupported = 0x0D,
    kRecordSet = 0x0E, kXmlDocument = 0x0F, kTypedObject = 0x10, kAvmPlus = 0x11,
};

// How decoding of one value ended. Cut: a bound was reached; like OutOfBytes, the objects
// and arrays being decoded close with what they have.
enum class Outcome { Done, OutOfBytes, Cut, Failed };

bool endsEarly(Outcome o)
{
    return o == Outcome::OutOfBytes || o == Outcome::Cut;
}

bool isContainer(const AmfValue& v)
{
    return v.type == AmfValue::Type::Object || v.type == AmfValue::Type::EcmaArray
        || v.type == AmfValue::Type::StrictArray;
}

class Decoder {
public:
    explicit Decoder(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    Outcome value(AmfValue& out, int depth);
    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    const FlvError& error() const { return error_; }
    // Which bound stopped decoding, or null.
    const char* cutReason() const { return cutReason_; }

private:
    bool take(std::size_t n, const std::uint8_t*& p)
    {
        if (bytes_.size() - pos_ < n)
            return false;
        p = bytes_.data() + pos_;
        pos_ += n;
        return true;
    }
    Outcome fail(FlvErrorKind kind, const char* what)
    {
        error_ = {kind, what};
        return Outcome::Failed;
    }
    Outcome cut(const char* why)
    {
        cutReason_ = why;
        return Outcome::Cut;
    }
    // Accounts for memory the decoded values take; false once over the bound.
    bool charge(std::size_t bytes)
    {
        decodedBytes_ += bytes;
        return decodedBytes_ <= kMaxDecodedBytes;
    }
    Outcome number(double& out);
    Outcome string(std::string& out, bool longForm);
    Outcome properties(AmfValue& out, int depth, std::size_t start);
    Outcome strictArray(AmfValue& out, int depth, std::size_t start);
    template <typename Keep>
    Outcome member(int depth, Keep keep);
    std::size_t beginReference(std::size_t start);
    void completeReference(std::size_t slot);
    Outcome reference(AmfValue& out, int depth, std::size_t at);

    // A complex value (object, array) that a later reference may name: where its bytes
    // are, and whether it was complete. A reference is decoded again from those bytes,
    // and only when the value was complete before the reference, so a cycle cannot form
    // and every replayed value counts against the same bounds, its bytes included.
    struct ReferenceSlot {
        std::size_t start = 0;
        std::size_t end = 0;
        bool complete = false;
    };

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
    std::size_t decodedBytes_ = 0;
    FlvError error_;
    const char* cutReason_ = nullptr;
    std::vector<ReferenceSlot> references_;
    int replaying_ = 0;  // inside a replayed reference: its objects have their slots already
};

constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

std::size_t Decoder::beginReference(std::size_t start)
{
    if (replaying_ > 0 || references_.size() >= kMaxReferences)
        return kNoSlot;
    references_.push_back({start, 0, false});
    return references_.size() - 1;
}

void Decoder::completeReference(std::size_t slot)
{
    if (slot == kNoSlot)
        return;
    references_[slot].end = pos_;
    references_[slot].complete = true;
}

Outcome Decoder::reference(AmfValue& out, int depth, std::size_t at)
{
    const std::uint8_t* p;
    if (!take(2, p))
        return Outcome::OutOfBytes;
    const std::size_t index = (std::size_t(p[0]) << 8) | p[1];
    if (index >= references_.size() || !references_[index].complete || references_[index].end > at) {
        out.type = AmfValue::Type::Undefined;
        return Outcome::Done;
    }
    const std::size_t resume = pos_;
    pos_ = references_[index].start;
    ++replaying_;
    const Outcome o = value(out, depth + 1);
    --replaying_;
    pos_ = resume;
    return o == Outcome::OutOfBytes ? fail(FlvErrorKind::Corrupt, "reference replay cut off") : o;
}

Outcome Decoder::number(double& out)
{
    const std::uint8_t* p;
    if (!take(8, p))
        return Outcome::OutOfBytes;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | p[i];
    out = std::bit_cast<double>(bits);
    return Outcome::Done;
}

Outcome Decoder::string(std::string& out, bool longForm)
{
    const std::uint8_t* p;
    std::size_t length = 0;
    if (longForm) {
        if (!take(4, p))
            return Outcome::OutOfBytes;
        length = (std::size_t(p[0]) << 24) | (std::size_t(p[1]) << 16) | (std::size_t(p[2]) << 8) | p[3];
    } else {
        if (!take(2, p))
            return Outcome::OutOfBytes;
        length = (std::size_t(p[0]) << 8) | p[1];
    }
    if (!take(length, p))
        return Outcome::OutOfBytes;
    if (!charge(length))
        return cut(kOverMemoryBound);
    out.assign(reinterpret_cast<const char*>(p), length);
    return Outcome::Done;
}

// One member of an object or array, handed to `keep` unless it is lost: a member cut off
// by the end of the data (or a bound) is dropped, one that is itself an object or array
// closed early is kept with what it had. Anything but Done ends the container.
template <typename Keep>
Outcome Decoder::member(int depth, Keep keep)
{
    AmfValue child;
    const Outcome c = value(child, depth + 1);
    if (c != Outcome::Failed && (!endsEarly(c) || isContainer(child)))
        keep(std::move(child));
    return c;
}

// Key/value pairs up to the end marker (or the end of the bytes, which closes the object).
Outcome Decoder::properties(AmfValue& out, int depth, std::size_t start)
{
    const std::size_t slot = beginReference(start);
    for (;;) {
        std::string key;
        const Outcome k = string(key, false);
        if (k != Outcome::Done)
            return k;
        const std::uint8_t* p;
        if (key.empty() && bytes_.size() - pos_ >= 1 && bytes_[pos_] == kObjectEnd) {
            take(1, p);
            break;
        }
        if (!charge(sizeof(key)))  // its characters were counted as it was read
            return cut(kOverMemoryBound);
        const Outcome c = member(depth, [&](AmfValue child) {
            out.properties.emplace_back(std::move(key), std::move(child));
        });
        if (c != Outcome::Done)
            return c;
    }
    completeReference(slot);
    return Outcome::Done;
}

Outcome Decoder::strictArray(AmfValue& out, int depth, std::size_t start)
{
    const std::uint8_t* p;
    if (!take(4, p))
        return Outcome::OutOfBytes;
    const std::uint32_t declared = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16)
        | (std::uint32_t(p[2]) << 8) | p[3];
    const std::size_t slot = beginReference(start);
    // The count is not trusted for memory: the elements are taken as they come, and an
    // array cut off ends with the elements that are there.
    for (std::uint32_t i = 0; i < declared; ++i) {
        const Outcome c = member(depth, [&](AmfValue child) { out.elements.push_back(std::move(child)); });
        if (c != Outcome::Done)
            return c;
    }
    completeReference(slot);
    return Outcome::Done;
}

Outcome Decoder::value(AmfValue& out, int depth)
{
    if (depth > kMaxDepth)
        return cut("nested deeper than 32 levels");
    if (++values_ > kMaxValues)
        return cut("more than 250000 values");
    if (!charge(sizeof(AmfValue)))
        return cut(kOverMemoryBound);
    const std::size_t start = pos_;
    const std::uint8_t* p;
    if (!take(1, p))
        return Outcome::OutOfBytes;
    switch (*p) {
    case kNumber:
        out.type = AmfValue::Type::Number;
        return number(out.number);
    case kBoolean:
        out.type = AmfValue::Type::Boolean;
        if (!take(1, p))
            return Outcome::OutOfBytes;
        out.boolean = *p != 0;
        return Outcome::Done;
    case kString:
    case kLongString:
    case kXmlDocument:
        out.type = AmfValue::Type::String;
        return string(out.string, *p != kString);
    case kObject:
        out.type = AmfValue::Type::Object;
        return properties(out, depth, start);
    case kTypedObject: {
        std::string className;  // the class is not kept: the movies see a plain object
        const Outcome c = string(className, false);
        if (c != Outcome::Done)
            return c;
        out.type = AmfValue::Type::Object;
        return properties(out, depth, start);
    }
    case kEcmaArray:
        // The count is a hint only; writers get it wrong, the end marker decides.
        if (!take(4, p))
            return Outcome::OutOfBytes;
        out.type = AmfValue::Type::EcmaArray;
        return properties(out, depth, start);
    case kStrictArray:
        out.type = AmfValue::Type::StrictArray;
        return strictArray(out, depth, start);
    case kNull:
        out.type = AmfValue::Type::Null;
        return Outcome::Done;
    case kUndefined:
        out.type = AmfValue::Type::Undefined;
        return Outcome::Done;
    case kDate: {
        out.type = AmfValue::Type::Date;
        const Outcome c = number(out.number);
        if (c != Outcome::Done)
            return c;
        if (!take(2, p))
            return Outcome::OutOfBytes;
        out.timezone = static_cast<std::int16_t>((p[0] << 8) | p[1]);
        return Outcome::Done;
    }
    case kReference:
        return reference(out, depth, start);
    case kObjectEnd:
        return fail(FlvErrorKind::Corrupt, "object end outside an object");
    case kMovieClip:
    case kUnsupported:
    case kRecordSet:
    case kAvmPlus:
        return fail(FlvErrorKind::Unsupported, "AMF0 type not supported");
    default:
        return fail(FlvErrorKind::Corrupt, "unknown AMF0 type");
    }
}

} // namespace

FlvResult<ScriptData> decodeScriptData(std::span<const std::uint8_t> bytes)
{
    Decoder decoder(bytes);
    ScriptData script;
    AmfValue name;
    const Outcome n = decoder.value(name, 0);
    if (n != Outcome::Done)
        return n == Outcome::Failed ? decoder.error() : FlvError{FlvErrorKind::Corrupt, "script name cut off"};
    if (name.type != AmfValue::Type::String)
        return FlvError{FlvErrorKind::Corrupt, "script data without a name"};
    script.name = std::move(name.string);
    while (!decoder.atEnd()) {
        AmfValue v;
        const Outcome o = decoder.value(v, 0);
        if (o == Outcome::Failed)
            break;  // keep what came before the damage
        if (endsEarly(o)) {
            script.truncated = o == Outcome::OutOfBytes;
            script.cut = decoder.cutReason();
            if (isContainer(v))
                script.arguments.push_back(std::move(v));
            break;
        }
        script.arguments.push_back(std::move(v));
    }
    return script;
}

} // namespace zepo::stream
