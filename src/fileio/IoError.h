// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace harrowdeck {

// A failed file operation: which file, the errno, and the system's text.
// Every file failure of the core is one of these: a call that only acts
// returns std::optional<IoError>, a call that makes something returns an
// IoResult of it.
struct IoError {
    std::string path;
    int errorNumber = 0;
    std::string reason;

    [[nodiscard]] static IoError FromErrno(std::string path, int errorNumber);
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
