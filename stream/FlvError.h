#pragma once

#include <utility>
#include <variant>

namespace zepo::stream {

// Why reading stopped. Corruption that the reader can step over is not an error: it
// resynchronises and counts the bytes it skipped.
enum class FlvErrorKind {
    Io,           // the file could not be read
    Corrupt,      // the bytes are not FLV, or damaged beyond recovery
    Unsupported,  // well-formed but something this reader does not handle
    EndOfStream,  // no further tag (also after a truncated last tag)
};

struct FlvError {
    FlvErrorKind kind = FlvErrorKind::Corrupt;
    const char* what = "";  // a fixed text for people reading logs and tests
};

// A value or the reason there is none.
template <typename T, typename Error = FlvError>
class FlvResult {
public:
    FlvResult(T value) : v_(std::move(value)) {}
    FlvResult(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

} // namespace zepo::stream
