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

} // namespace zepo::stream
