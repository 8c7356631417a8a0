#pragma once

#include <string>
#include <utility>
#include <variant>

namespace zepo {

// Why a file could not be read or written, for the caller to tell the user or the log.
struct FileError {
    enum class Category {
        Missing,        // there is no such file
        NotRegularFile, // a folder, pipe, device or socket: never read nor replaced
        TooLarge,       // longer than the reader accepts
        Unreadable,     // opening or reading failed
        ReadOnly,       // the file may not be written, so it is kept as it is
        NotWritten,     // the new content could not be created, written or flushed
        NotReplaced,    // the new content could not take the old file's place
    };
    Category category;
    std::string path;
    // The system's error number, 0 when the category says it all.
    int code = 0;

    // One line for the log: the path, what went wrong and the system's reason.
    std::string describe() const;
};

// A value, or the FileError that kept it from being made. Reads like std::optional:
// `if (!result) ... result.error()`, `result->`, `*result`.
template <class T>
class FileResult {
public:
    FileResult(T value) : content_(std::move(value)) {}
    FileResult(FileError error) : content_(std::move(error)) {}

    explicit operator bool() const { return std::holds_alternative<T>(content_); }
    T& operator*() { return std::get<T>(content_); }
    const T& operator*() const { return std::get<T>(content_); }
    T* operator->() { return &std::get<T>(content_); }
    const T* operator->() const { return &std::get<T>(content_); }
    const FileError& error() const { return std::get<FileError>(content_); }

private:
    std::variant<T, FileError> content_;
};

} // namespace zepo
