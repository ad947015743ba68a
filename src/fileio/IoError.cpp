// SPDX-License-Identifier: GPL-3.0-or-later
#include "IoError.h"

#include "Platform.h"

namespace harrowdeck {

IoError IoError::FromErrno(std::string path, int errorNumber)
{
    std::string reason = SystemReason(path, errorNumber);
    return IoError{std::move(path), errorNumber, std::move(reason)};
}

IoError IoError::Cancelled(std::string path)
{
    return IoError{std::move(path), 0, "cancelled", Kind::Cancelled};
}

IoError IoError::Busy(std::string path)
{
    return IoError{std::move(path), 0, "another run holds it", Kind::Busy};
}

} // namespace harrowdeck
