// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UserInterface.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace harrowdeck::test {

// Answers the run's questions from a script and records everything shown.
class ScriptedUi : public UserInterface {
public:
    struct Shown {
        std::string text;
        Icon icon;
    };

    std::deque<bool> answers; // taken in order; Yes once they run out
    std::vector<std::string> questions;
    std::vector<Shown> messages;
    // Cancels once this many bytes have been read; any stage after the
    // reading has read them all.
    std::uint64_t cancelAfterBytes = UINT64_MAX;
    std::size_t progressCalls = 0;
    std::vector<Stage> stages; // each stage reported, once, in order

    bool AskYesNo(const std::string& prompt) override
    {
        questions.push_back(prompt);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void ShowMessage(const std::string& text, Icon icon) override { messages.push_back({text, icon}); }

    bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t) override
    {
        ++progressCalls;
        if (stages.empty() || stages.back() != stage) {
            stages.push_back(stage);
        }
        return stage == Stage::Reading ? done < cancelAfterBytes : cancelAfterBytes == UINT64_MAX;
    }

    // The one message of the run, or "" when there was none or several.
    [[nodiscard]] std::string OnlyMessage() const { return messages.size() == 1 ? messages[0].text : ""; }
};

} // namespace harrowdeck::test
