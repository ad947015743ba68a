// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck::windows {

// What Windows says a Win32 error means, in the user's language, as UTF-8
// and without the full stop and line end that Windows puts after it, so
// that it reads like strerror's text after "Could not write FILE: ". An
// error that Windows has no text for is given by its number.
[[nodiscard]] std::string SystemErrorText(unsigned long error);

// The errno value that the file layer tells a Win32 error by, so that its
// logic reads the same on every platform; an error without one is kept as
// its negated code, which SystemErrorText then describes. A file held by
// another program (a sharing or lock violation) is EBUSY.
[[nodiscard]] int ErrnoFromWin32(unsigned long error) noexcept;

// ErrnoFromWin32 of GetLastError().
[[nodiscard]] int LastErrno() noexcept;

} // namespace harrowdeck::windows
