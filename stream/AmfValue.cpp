#include "stream/AmfValue.h"

namespace zepo::stream {

AmfValue::AmfValue() = default;

const AmfValue* AmfValue::get(const std::string& name) const
{
    for (const auto& [key, value] : properties)
        if (key == name)
            return &value;
    return nullptr;
}

AmfValue AmfValue::makeNumber(double value)
{
    AmfValue v;
    v.type = Type::Number;
    v.number = value;
    return v;
}

AmfValue AmfValue::makeString(std::string value)
{
    AmfValue v;
    v.type = Type::String;
    v.string = std::move(value);
    return v;
}

AmfValue AmfValue::makeObject(std::vector<std::pair<std::string, AmfValue>> properties)
{
    AmfValue v;
    v.type = Type::Object;
    v.properties = std::move(properties);
    return v;
}

} // namespace zepo::stream
