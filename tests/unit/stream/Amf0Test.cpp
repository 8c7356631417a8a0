#include "stream/Amf0.h"
#include "tests/unit/FlvBytes.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

namespace amf = test::amf;
using test::Bytes;
using test::operator+;

ScriptData decode(const Bytes& bytes)
{
    auto r = decodeScriptData(bytes);
    EXPECT_TRUE(r) << (r ? "" : r.error().what);
    return r ? std::move(*r) : ScriptData{};
}

// Every AMF0 type metadata uses, in file order, nothing converted.
TEST(Amf0Decoding, KeepsEveryTypeAndTheOrder)
{
    const Bytes bytes = amf::string("onMetaData")
        + amf::ecma({{"duration", amf::number(12.5)},
                     {"canSeekToEnd", amf::boolean(true)},
                     {"creator", amf::string("encoder")},
                     {"xmp", amf::longString("<x/>")},
                     {"nothing", amf::null()},
                     {"unset", amf::undefined()},
                     {"creationdate", amf::date(1.5e12, -60)},
                     {"keyframes", amf::object({{"times", amf::numbers({0, 1.5})},
                                                {"filepositions", amf::numbers({13, 900})}})},
                     {"width", amf::object({})}},
                    9);
    const ScriptData s = decode(bytes);
    EXPECT_EQ(s.name, "onMetaData");
    EXPECT_FALSE(s.truncated);
    ASSERT_EQ(s.arguments.size(), 1u);
    const AmfValue& m = s.arguments[0];
    EXPECT_EQ(m.type, AmfValue::Type::EcmaArray);
    ASSERT_EQ(m.properties.size(), 9u);
    EXPECT_EQ(m.properties[0].first, "duration");
    EXPECT_EQ(m.properties[8].first, "width");
    EXPECT_EQ(m.get("duration")->number, 12.5);
    EXPECT_TRUE(m.get("canSeekToEnd")->boolean);
    EXPECT_EQ(m.get("creator")->string, "encoder");
    EXPECT_EQ(m.get("xmp")->string, "<x/>");
    EXPECT_EQ(m.get("nothing")->type, AmfValue::Type::Null);
    EXPECT_EQ(m.get("unset")->type, AmfValue::Type::Undefined);
    EXPECT_EQ(m.get("creationdate")->type, AmfValue::Type::Date);
    EXPECT_EQ(m.get("creationdate")->number, 1.5e12);
    EXPECT_EQ(m.get("creationdate")->timezone, -60);
    const AmfValue* times = m.get("keyframes")->get("times");
    ASSERT_EQ(times->elements.size(), 2u);
    EXPECT_EQ(times->elements[1].number, 1.5);
    // An empty object where a number belongs stays an empty object.
    EXPECT_EQ(m.get("width")->type, AmfValue::Type::Object);
    EXPECT_TRUE(m.get("width")->properties.empty());
}

// The ECMA array's count is only a hint; the end marker decides.
TEST(Amf0Decoding, IgnoresAWrongEcmaCount)
{
    const ScriptData s = decode(amf::string("onMetaData") + amf::ecma({{"a", amf::number(1)}, {"b", amf::number(2)}}, 100));
    ASSERT_EQ(s.arguments.size(), 1u);
    EXPECT_EQ(s.arguments[0].properties.size(), 2u);
}

// Some writers leave out the end markers and let the tag end: the objects close with
// what they have; a value cut in half is dropped.
TEST(Amf0Decoding, ClosesObjectsTheDataCutShort)
{
    const Bytes nested = amf::string("onMetaData")
        + amf::ecma({{"duration", amf::number(46.9)},
                     {"keyframes", amf::object({{"times", amf::numbers({0, 2})}}, false)}},
                    2, false);
    const ScriptData s = decode(nested);
    EXPECT_TRUE(s.truncated);
    ASSERT_EQ(s.arguments.size(), 1u);
    EXPECT_EQ(s.arguments[0].get("duration")->number, 46.9);
    EXPECT_EQ(s.arguments[0].get("keyframes")->get("times")->elements.size(), 2u);

    Bytes halfValue = amf::string("onMetaData") + amf::ecma({{"width", amf::number(320)}, {"height", amf::number(240)}}, 2, false);
    halfValue.resize(halfValue.size() - 3);
    const ScriptData h = decode(halfValue);
    ASSERT_EQ(h.arguments.size(), 1u);
    EXPECT_EQ(h.arguments[0].properties.size(), 1u);

    // A strict array that claims more elements than there are bytes.
    const ScriptData a = decode(amf::string("x") + amf::strict({amf::number(1)}, 0x7FFFFFFF));
    ASSERT_EQ(a.arguments.size(), 1u);
    EXPECT_EQ(a.arguments[0].elements.size(), 1u);
}

// Nesting depth of the values, taken as deep as one level above the bound.
int depthOf(const AmfValue& v)
{
    int deepest = 0;
    for (const auto& [key, child] : v.properties)
        deepest = std::max(deepest, depthOf(child));
    for (const auto& child : v.elements)
        deepest = std::max(deepest, depthOf(child));
    return deepest + 1;
}

// No input can make the decoder recurse without bound or build a huge value: past a
// bound the values end, with what was decoded up to it.
TEST(Amf0Decoding, BoundsDepthAndSize)
{
    Bytes deep = amf::string("onMetaData");
    for (int i = 0; i < 5000; ++i)
        deep = deep + Bytes{0x03} + amf::key("a");
    deep.push_back(0x05);
    const ScriptData s = decode(deep);
    ASSERT_EQ(s.arguments.size(), 1u);
    EXPECT_LE(depthOf(s.arguments[0]), 33);
    EXPECT_NE(s.cut, nullptr);
    EXPECT_FALSE(s.truncated);

    // Each reference replays the array before it: without a budget this doubles per step.
    Bytes bomb = amf::string("x") + amf::strict({amf::number(0), amf::number(0)});
    for (int i = 0; i < 40; ++i)
        bomb = bomb + amf::strict({amf::reference(std::uint16_t(i)), amf::reference(std::uint16_t(i))});
    auto r = decodeScriptData(bomb);
    ASSERT_TRUE(r);
    EXPECT_LT(r->arguments.size(), 41u);  // stopped at the budget, earlier values kept
    EXPECT_NE(r->cut, nullptr);
}

// Bytes the values hold, counted the way they lie in memory.
std::size_t decodedBytes(const AmfValue& v)
{
    std::size_t n = sizeof(AmfValue) + v.string.size();
    for (const auto& [key, child] : v.properties)
        n += sizeof(key) + key.size() + decodedBytes(child);
    for (const auto& child : v.elements)
        n += decodedBytes(child);
    return n;
}

// A reference replays a copy of what it names: few references to a large object are a
// large value. Metadata of 600 KB naming a 10 KB object 200 000 times would be 2 GB; it is
// cut at the memory bound, and the values before the cut are all there.
// A strict array of n references to one object, made in one pass.
Bytes references(std::uint32_t n, std::uint16_t index)
{
    Bytes b{0x0A};
    test::putBe(b, n, 4);
    for (std::uint32_t i = 0; i < n; ++i) {
        b.push_back(0x07);
        test::putBe(b, index, 2);
    }
    return b;
}

TEST(Amf0Decoding, ReplayedReferencesCountWhatTheyReplay)
{
    const Bytes bomb = amf::string("onMetaData")
        + amf::ecma({{"duration", amf::number(5)},
                     {"big", amf::object({{"s", amf::string(std::string(10000, 'x'))}})},
                     {"arr", references(200000, 1)},
                     {"width", amf::number(320)}},
                    4);
    const ScriptData s = decode(bomb);
    ASSERT_EQ(s.arguments.size(), 1u);
    const AmfValue& m = s.arguments[0];
    EXPECT_NE(s.cut, nullptr);
    EXPECT_EQ(m.get("duration")->number, 5);
    EXPECT_EQ(m.get("big")->get("s")->string.size(), 10000u);
    const AmfValue* arr = m.get("arr");
    ASSERT_NE(arr, nullptr);
    EXPECT_GT(arr->elements.size(), 1000u);
    EXPECT_LT(arr->elements.size(), 200000u);
    EXPECT_EQ(arr->elements.front().get("s")->string.size(), 10000u);
    EXPECT_EQ(m.get("width"), nullptr);  // after the cut
    EXPECT_LT(decodedBytes(m), 40u << 20);

    // The same replays, each small: the number of values is the bound.
    const ScriptData t = decode(amf::string("x") + amf::strict({amf::object({{"n", amf::number(1)}}), references(400000, 1)}));
    ASSERT_EQ(t.arguments.size(), 1u);
    EXPECT_NE(t.cut, nullptr);
    EXPECT_LT(t.arguments[0].elements.at(1).elements.size(), 200000u);
}

TEST(Amf0Decoding, ResolvesReferencesToCompleteObjectsOnly)
{
    // Object 0 holds a reference to itself (unfinished: undefined); then a reference to it.
    const Bytes bytes = amf::string("x") + amf::object({{"self", amf::reference(0)}, {"n", amf::number(7)}})
        + amf::reference(0) + amf::reference(5);
    const ScriptData s = decode(bytes);
    ASSERT_EQ(s.arguments.size(), 3u);
    EXPECT_EQ(s.arguments[0].get("self")->type, AmfValue::Type::Undefined);
    EXPECT_EQ(s.arguments[1].type, AmfValue::Type::Object);
    EXPECT_EQ(s.arguments[1].get("n")->number, 7);
    EXPECT_EQ(s.arguments[2].type, AmfValue::Type::Undefined);  // no such object
}

TEST(Amf0Decoding, TypedObjectsReadAsObjects)
{
    const Bytes typed = Bytes{0x10} + amf::key("Point") + amf::props({{"x", amf::number(1)}}) + amf::end();
    const ScriptData s = decode(amf::string("onCuePoint") + typed);
    ASSERT_EQ(s.arguments.size(), 1u);
    EXPECT_EQ(s.arguments[0].type, AmfValue::Type::Object);
    EXPECT_EQ(s.arguments[0].get("x")->number, 1);
}

// Damage after good values keeps the good values; a tag without a name is no script data.
TEST(Amf0Decoding, KeepsWhatCameBeforeDamage)
{
    const ScriptData s = decode(amf::string("onMetaData") + amf::number(3) + Bytes{0x11, 0x04} + amf::number(4));
    ASSERT_EQ(s.arguments.size(), 1u);
    EXPECT_EQ(s.arguments[0].number, 3);

    auto noName = decodeScriptData(amf::number(1));
    ASSERT_FALSE(noName);
    EXPECT_EQ(noName.error().kind, FlvErrorKind::Corrupt);
    EXPECT_FALSE(decodeScriptData(Bytes{}));
    EXPECT_FALSE(decodeScriptData(Bytes{0x09}));
}

} // namespace
} // namespace zepo::stream
