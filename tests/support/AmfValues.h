#pragma once

#include "stream/AmfValue.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

// Metadata values built by hand, and numbers read out of decoded metadata, for tests.
namespace zepo::test {

inline stream::AmfValue amfNumber(double value)
{
    stream::AmfValue v;
    v.type = stream::AmfValue::Type::Number;
    v.number = value;
    return v;
}

inline stream::AmfValue amfString(std::string value)
{
    stream::AmfValue v;
    v.type = stream::AmfValue::Type::String;
    v.string = std::move(value);
    return v;
}

inline stream::AmfValue amfObject(std::vector<std::pair<std::string, stream::AmfValue>> properties)
{
    stream::AmfValue v;
    v.type = stream::AmfValue::Type::Object;
    v.properties = std::move(properties);
    return v;
}

// The named property when it is a number; NaN (which no expectation meets) otherwise.
inline double numberIn(const stream::AmfValue& object, const std::string& name)
{
    const stream::AmfValue* value = object.get(name);
    return value && value->isNumber() ? value->number : std::numeric_limits<double>::quiet_NaN();
}

} // namespace zepo::test
