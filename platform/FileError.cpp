#include "platform/FileError.h"

#include <cstring>

namespace zepo {

namespace {
const char* whatWentWrong(FileError::Category category)
{
    switch (category) {
    case FileError::Category::Missing:
        return "no such file";
    case FileError::Category::NotRegularFile:
        return "not a regular file, left alone";
    case FileError::Category::TooLarge:
        return "too large to be read";
    case FileError::Category::Unreadable:
        return "cannot be read";
    case FileError::Category::ReadOnly:
        return "read-only, left as it is";
    case FileError::Category::NotWritten:
        return "the new content could not be written";
    case FileError::Category::NotReplaced:
        return "the new content could not replace the file";
    }
    return "failed";
}
} // namespace

std::string FileError::describe() const
{
    std::string line = path + ": " + whatWentWrong(category);
    if (code != 0)
        line += std::string(" (") + std::strerror(code) + ")";
    return line;
}

} // namespace zepo
