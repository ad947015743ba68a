// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleUi.h"

#include "Interruption.h"
#include "Messages.h"

namespace harrowdeck {

bool ConsoleUi::AskYesNo(const std::string& /*prompt*/)
{
    return true;
}

void ConsoleUi::ShowMessage(const std::string& text, Icon /*icon*/)
{
    messages_.push_back(text);
}

bool ConsoleUi::ReportProgress(Stage /*stage*/, std::uint64_t /*done*/, std::uint64_t /*total*/)
{
    return InterruptingSignal() == nullptr;
}

std::string ConsoleUi::LeftOutRemedy(std::uint64_t leftOutLinks) const
{
    return messages::LeftOutLinks(leftOutLinks) + " " + messages::kKeepLeftOutInCli + ".";
}

} // namespace harrowdeck
