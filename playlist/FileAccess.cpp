#include "playlist/FileAccess.h"

#include <cstdlib>
#include <memory>

namespace zepo {

std::optional<std::string> canonicalPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

} // namespace zepo
