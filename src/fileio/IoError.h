// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace harrowdeck {

// A failed file operation: which file, what kind of failure, and for a
// failure of the system its errno value and the system's text. Every file
// failure of the core is one of these: a call that only acts returns
// std::optional<IoError>, a call that makes something returns an IoResult
// of it.
struct IoError {
    enum class Kind {
        System,    // the system refused: errorNumber and reason say why
        Cancelled, // the user asked the run to stop
        Busy,      // another run holds the destination
    };

    std::string path;
    int errorNumber = 0; // an errno value, on every platform
    std::string reason;
    Kind kind = Kind::System;

    // errorNumber is an errno value; on Windows a system error that has
    // none is kept as its negated Win32 code, with Windows' own text.
    [[nodiscard]] static IoError FromErrno(std::string path, int errorNumber);
    [[nodiscard]] static IoError Cancelled(std::string path);
    [[nodiscard]] static IoError Busy(std::string path);
};

// What a call that makes something gives: the thing, or why it failed.
template <typename T>
class [[nodiscard]] IoResult {
public:
    IoResult(T value) : state_(std::move(value)) {}
    IoResult(IoError error) : state_(std::move(error)) {}

    [[nodiscard]] explicit operator bool() const { return std::holds_alternative<T>(state_); }
    [[nodiscard]] T& operator*() { return std::get<T>(state_); }
    [[nodiscard]] T* operator->() { return &std::get<T>(state_); }
    [[nodiscard]] const IoError& Error() const { return std::get<IoError>(state_); }

private:
    std::variant<T, IoError> state_;
};

} // namespace harrowdeck
