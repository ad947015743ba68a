// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck::windows {

// Text between the UTF-8 that the programs use inside and the UTF-16 of
// Win32's wide calls. A name that Windows holds is UTF-16 but need not be
// well formed: a lone surrogate is allowed in it. Such a unit is kept as the
// three bytes that UTF-8 would give it (the form called WTF-8), so that the
// conversion is lossless both ways and a file named so can still be opened.

// Appends utf8 to out as UTF-16. Returns false, with out holding what came
// before the fault, when utf8 is neither UTF-8 nor that form. Allocates only
// when out's capacity runs short.
[[nodiscard]] bool AppendWide(std::string_view utf8, std::wstring& out);

// utf8 as UTF-16, or nullopt when it is not UTF-8: for a path, where a
// character put in place of a bad byte would name another file.
[[nodiscard]] std::optional<std::wstring> ToWide(std::string_view utf8);

// Appends utf8 to out as UTF-16 for showing it, each byte that is not
// UTF-8 shown as U+FFFD. Allocates only when out's capacity runs short.
void AppendWideForDisplay(std::string_view utf8, std::wstring& out);

// wide as UTF-8, a lone surrogate in its three-byte form.
[[nodiscard]] std::string ToUtf8(std::wstring_view wide);

// How many of bytes' leading bytes hold whole characters: all of them,
// less a character at the end that has begun but is not complete yet. A
// stream that writes as it goes keeps the rest for its next write.
[[nodiscard]] std::size_t CompleteUtf8Length(std::string_view bytes) noexcept;

} // namespace harrowdeck::windows
