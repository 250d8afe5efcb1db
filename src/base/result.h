#pragma once
// How every step that can fail answers: with its value, or with one sentence
// saying why there is none. A caller cannot drop the answer unread.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace dw {

// The reason a step failed, as one sentence without a final stop.
struct Failure {
    std::string reason;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.reason)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The reason; empty when ok().
    const std::string& error() const
    {
        static const std::string none;
        return ok() ? none : std::get<1>(state_);
    }

private:
    std::variant<T, std::string> state_;
};

// A step with no value to give: done, or failed for a reason.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : reason_(std::move(failure.reason)) {}

    bool ok() const { return !reason_; }
    explicit operator bool() const { return ok(); }

    const std::string& error() const
    {
        static const std::string none;
        return reason_ ? *reason_ : none;
    }

private:
    std::optional<std::string> reason_;
};

using Status = Result<void>;

}  // namespace dw
