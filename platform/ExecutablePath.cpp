#include "platform/ExecutablePath.h"

#include <climits>
#include <unistd.h>

namespace zepo {

std::optional<std::string> executablePath()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size())
        return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

} // namespace zepo
