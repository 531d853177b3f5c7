#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

// How the program's functions say that they could not do what they were asked, and the
// exit status a failure ends the process with.

// Exit status of a run that could not do what it was asked (a file that cannot be written,
// no OpenGL context).
inline constexpr int FailureExitCode = 1;
// Exit status of an unknown option or a missing or bad value: nothing was done.
inline constexpr int UsageExitCode = 2;

// Why something could not be done: one line for the user (without the program's name,
// which whoever shows the line puts in front, if anything), and the exit status of the
// process when this failure ends a run. Only `main` turns it into the process's status.
struct Failure {
    std::string message;
    int exitCode = FailureExitCode;
};

// What a function that can fail returns: its value, or the failure. Result<> has no value.
// Tested like a pointer: true on success, then * and -> reach the value.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : outcome_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : outcome_(std::in_place_index<1>, std::move(failure)) {}

    bool Ok() const { return outcome_.index() == 0; }
    explicit operator bool() const { return Ok(); }

    // The value; only on success.
    const T& operator*() const& { return std::get<0>(outcome_); }
    T& operator*() & { return std::get<0>(outcome_); }
    T&& operator*() && { return std::get<0>(std::move(outcome_)); }
    const T* operator->() const { return &std::get<0>(outcome_); }
    T* operator->() { return &std::get<0>(outcome_); }

    // The failure; only when there is no value.
    const Failure& Error() const { return std::get<1>(outcome_); }

private:
    std::variant<T, Failure> outcome_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool Ok() const { return !failure_.has_value(); }
    explicit operator bool() const { return Ok(); }

    // The failure; only when there is one.
    const Failure& Error() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};
