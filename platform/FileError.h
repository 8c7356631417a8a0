#pragma once

#include "result/Result.h"

#include <string>

namespace zepo {

// Why a file could not be read or written, or a folder not used, for the caller to tell
// the user or the log.
struct FileError {
    enum class Category {
        Missing,        // there is no such file
        NotRegularFile, // a folder, pipe, device or socket: never read nor replaced
        TooLarge,       // longer than the reader accepts
        Unreadable,     // opening or reading failed
        ReadOnly,       // the file may not be written, so it is kept as it is
        NotWritten,     // the new content could not be created, written or flushed
        NotReplaced,    // the new content could not take the old file's place
        // A folder that must be the user's alone (see PrivateFolder.h) is not:
        NotMade,        // it was missing and could not be made
        NotFolder,      // something else has its name
        Link,           // a link, whose target anyone who owns it could change
        OtherOwner,     // it belongs to another user
        SharedWithOthers, // the group or others may enter it
    };
    Category category;
    std::string path;
    // The system's error number, 0 when the category says it all.
    int code = 0;

    // One line for the log: the path, what went wrong and the system's reason.
    std::string describe() const;
};

// A value, or the FileError that kept it from being made; FileResult<void>: done, or why not.
template <class T>
using FileResult = Result<T, FileError>;

} // namespace zepo
