// SPDX-License-Identifier: GPL-3.0-or-later
#include "IoError.h"

#include <cstring>

namespace harrowdeck {

IoError IoError::FromErrno(std::string path, int errorNumber)
{
    return IoError{std::move(path), errorNumber, std::strerror(errorNumber)};
}

} // namespace harrowdeck
