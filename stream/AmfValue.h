#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zepo::stream {

// One AMF0 value as it stands in a file's script tag. Objects and ECMA arrays keep their
// properties in file order; nothing is converted or dropped, so the movies see the
// metadata exactly as the writer put it (an empty object where a number was expected
// stays an empty object).
struct AmfValue {
    enum class Type { Number, Boolean, String, Object, Null, Undefined, EcmaArray, StrictArray, Date };

    // Defined out of line: the type holds itself in its property list, and clang cannot
    // judge such a type's implicit default constructor while defining it.
    AmfValue();

    Type type = Type::Undefined;
    double number = 0;   // Number; Date: milliseconds since 1970
    bool boolean = false;
    std::string string;  // String and long string
    std::vector<std::pair<std::string, AmfValue>> properties; // Object, EcmaArray
    std::vector<AmfValue> elements;                           // StrictArray
    int timezone = 0;    // Date: the writer's offset in minutes (kept, not used)

    // The first property of that name, or null (also for values without properties).
    const AmfValue* get(const std::string& name) const;
    bool isNumber() const { return type == Type::Number; }
};

} // namespace zepo::stream
