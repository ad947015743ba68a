// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

// An open file as the system names it: a descriptor on POSIX systems, a
// HANDLE on Windows (kept as the pointer it is, so that no header of the
// file layer needs <windows.h>). Only the file layer's platform parts look
// inside.
#if defined(_WIN32)
using NativeFile = void*;
inline NativeFile const kNoFile = reinterpret_cast<NativeFile>(-1); // INVALID_HANDLE_VALUE
#else
using NativeFile = int;
inline constexpr NativeFile kNoFile = -1;
#endif

} // namespace harrowdeck
