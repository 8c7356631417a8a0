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
    case FileError::Category::NotMade:
        return "could not be made";
    case FileError::Category::NotFolder:
        return "is not a folder";
    case FileError::Category::Link:
        return "is a link, which anyone who owns its target could change";
    case FileError::Category::OtherOwner:
        return "belongs to another user";
    case FileError::Category::SharedWithOthers:
        return "may be entered by other users";
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
