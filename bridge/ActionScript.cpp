#include "bridge/ActionScript.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zepo::as {

std::string formatNumber(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return "0";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

double toNumber(const std::string& text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    if (begin == end)
        return std::numeric_limits<double>::quiet_NaN();
    const std::string trimmed = text.substr(begin, end - begin);
    if (trimmed == "Infinity" || trimmed == "+Infinity")
        return std::numeric_limits<double>::infinity();
    if (trimmed == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    // strtod also reads "inf", "nan" and hex floats, which the runtime does not: only
    // digits, sign, point, exponent and a 0x prefix are numbers.
    for (char c : trimmed) {
        if (!(std::isxdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'x' || c == 'X'))
            return std::numeric_limits<double>::quiet_NaN();
    }
    char* stop = nullptr;
    double value;
    if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X'))
        value = static_cast<double>(std::strtoll(trimmed.c_str() + 2, &stop, 16));
    else
        value = std::strtod(trimmed.c_str(), &stop);
    if (stop == nullptr || *stop != '\0')
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

} // namespace zepo::as
