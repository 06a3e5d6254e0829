#pragma once
// Errors are values in the pure layers: an operation that can fail returns a Result<T>
// (a value or an Error) or a Status (success or an Error). The windows turn an Error into
// the message box or status text that the program shows; the pure code only describes it.

#include <string>
#include <utility>
#include <variant>

namespace boardcast {

enum class ErrorCode {
    NotFound,  // a file that the operation needs does not exist
    Io,        // a file or folder could not be read, written, created or renamed
    Format,    // stored data could not be understood
    Limit,     // a size or count limit was reached
    Network,   // a connection failed or timed out
    Usage,     // a command line or argument was wrong
    Busy,      // another program holds what the operation needs
};

struct Error {
    ErrorCode code;
    std::string text;  // readable, complete sentence for the user
};

// E is an error of another type where callers must tell reasons apart by more than a code.
template <class T, class E = Error>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}  // NOLINT: implicit on purpose
    Result(E error) : v_(std::move(error)) {}  // NOLINT

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(v_); }
    T& value() & { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const E& error() const { return std::get<1>(v_); }

private:
    std::variant<T, E> v_;
};

class [[nodiscard]] Status {
public:
    Status() = default;                                               // success
    Status(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }

private:
    Error error_{ErrorCode::Io, {}};
    bool failed_ = false;
};

}  // namespace boardcast
