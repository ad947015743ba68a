// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UserInterface.h"

#include <string>
#include <vector>

namespace harrowdeck {

// The command line is itself the confirmation, so every question is answered
// Yes; messages are kept until the run's outcome says where they belong. An
// interrupting signal cancels the run at its next progress report.
class ConsoleUi final : public UserInterface {
public:
    bool AskYesNo(const std::string& prompt) override;
    void ShowMessage(const std::string& text, Icon icon) override;
    bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total) override;
    // "N links outside any folder were left out (--folders all keeps them)."
    [[nodiscard]] std::string LeftOutRemedy(std::uint64_t leftOutLinks) const override;

    [[nodiscard]] const std::vector<std::string>& Messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};

} // namespace harrowdeck
