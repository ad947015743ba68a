// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace harrowdeck::win32 {

// An entry of the running program file's version resource ("ProductName",
// "LegalCopyright"), read at run time; nullopt when there is none.
[[nodiscard]] std::optional<std::string> OwnVersionEntry(const wchar_t* name);

} // namespace harrowdeck::win32
