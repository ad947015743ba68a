// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndingSignals.h"

namespace harrowdeck {

const EndingSignal* FindEndingSignal(int number) noexcept
{
    for (const EndingSignal& ending : kEndingSignals) {
        if (ending.number == number) {
            return &ending;
        }
    }
    return nullptr;
}

} // namespace harrowdeck
