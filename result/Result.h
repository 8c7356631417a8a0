#pragma once

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace zepo {

// A value, or the error that kept it from being made: how every layer of the program
// reports a failure to its caller. Each layer names its own error (the stream's
// StreamError and FlvError, the platform's FileError) and reads like std::optional:
// `if (!result) ... result.error()`, `result->`, `*result`.
template <class T, class E>
class [[nodiscard]] Result {
    static_assert(!std::is_same_v<std::decay_t<T>, std::decay_t<E>>, "a value and its error must differ in type");

public:
    Result(T value) : content_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : content_(std::in_place_index<1>, std::move(error)) {}

    explicit operator bool() const { return content_.index() == 0; }
    T& operator*() { return std::get<0>(content_); }
    const T& operator*() const { return std::get<0>(content_); }
    T* operator->() { return &std::get<0>(content_); }
    const T* operator->() const { return &std::get<0>(content_); }
    const E& error() const { return std::get<1>(content_); }

private:
    std::variant<T, E> content_;
};

// An operation that gives nothing but may fail: done, or why not.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)) {}

    explicit operator bool() const { return !error_; }
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

} // namespace zepo
