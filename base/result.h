#pragma once

// What every operation that can fail returns: its value, or a Swedish message for the user.
// Marked [[nodiscard]], so that a failure nobody looks at does not compile cleanly.
//
//   Result<std::string> r = readSomething();
//   if (!r) return r.error();
//   use(*r);

#include <cassert>
#include <string>
#include <utility>
#include <variant>

#include "base/refusal.h"

namespace lodra {

// What kind of failure. Most operations just fail (Stopped); a calculation also tells an
// input it did not take and a stop asked for by the user apart.
enum class Status {
    Stopped,    // the operation failed on the way (overflow, a file that cannot be written ...)
    Refused,    // an input was not taken; nothing was computed
    Cancelled,  // the user stopped it
};

struct Error {
    std::string message;  // Swedish, for the user; never empty. A front end words a refusal
                          // from `refusal` instead, in its own terms.
    Status status = Status::Stopped;
    Refusal refusal = {};  // what was refused, when status is Refused
};

// Short for Error{message}, for `return fail("...")`.
inline Error fail(std::string message) {
    return Error{std::move(message)};
}

template <class T = void>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }
    const std::string& message() const { return error().message; }

  private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }

    const Error& error() const {
        assert(!ok_);
        return error_;
    }
    const std::string& message() const { return error().message; }

  private:
    Error error_;
    bool ok_ = true;
};

}  // namespace lodra
