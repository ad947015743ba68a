// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteSource.h"

#include <algorithm>
#include <cstring>

namespace harrowdeck {

long FileSource::Read(char* buffer, std::size_t size)
{
    return fd_.Read(buffer, size);
}

long MemorySource::Read(char* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return static_cast<long>(count);
}

} // namespace harrowdeck
