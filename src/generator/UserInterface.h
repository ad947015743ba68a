// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Messages.h"
#include "RunOptions.h"

#include <cstdint>
#include <string>

namespace harrowdeck {

// The only way a generation run talks to the user. The GUI answers with
// message boxes, the command-line tool on the console, tests with a script.
class UserInterface {
public:
    enum class Icon { None, Exclamation };

    // What a run is doing when it reports its progress.
    enum class Stage {
        Reading,      // the export; done and total count its bytes
        WritingIndex, // dir.html of every folder; done and total count folders
        PlacingPages, // renaming the pages over the previous set; reported once, before
    };

    virtual ~UserInterface() = default;

    // A modal Yes/No question; Yes is the default answer.
    [[nodiscard]] virtual bool AskYesNo(const std::string& prompt) = 0;

    // A modal message with a single OK button.
    virtual void ShowMessage(const std::string& text, Icon icon) = 0;

    // Called now and then while the export is read and while the index of
    // every folder is written, and once at PlacingPages just before the
    // pages are put in place, the last moment a stop leaves the destination
    // as it was. Returning false cancels the run. The default never cancels.
    [[nodiscard]] virtual bool ReportProgress(Stage /*stage*/, std::uint64_t /*done*/, std::uint64_t /*total*/)
    {
        return true;
    }

    // The widths and target the run has settled, told as soon as they are
    // settled and before anything is read, so that whatever ends the run
    // later, the user's choices are kept as the run normalised them.
    virtual void TakeDecisions(const RunDecisions& /*decided*/) {}

    // Called as the pages are renamed into place, once the renaming has
    // begun and can no longer be stopped: done of total renames. It must
    // not throw; it may be called for every rename.
    virtual void ReportPlacing(std::uint64_t /*done*/, std::uint64_t /*total*/) noexcept {}

    // What this user can do to keep the links that the classic pages leave
    // out, said after their count; nothing by default.
    [[nodiscard]] virtual std::string KeepLeftOutHint() const { return {}; }
    // The count of those links and how to keep them, said when they were
    // all there was; the window's hint by default.
    [[nodiscard]] virtual std::string LeftOutRemedy(std::uint64_t leftOutLinks) const
    {
        const std::string hint = KeepLeftOutHint();
        return messages::LeftOutLinks(leftOutLinks) + "." + (hint.empty() ? "" : " " + hint);
    }
};

} // namespace harrowdeck
