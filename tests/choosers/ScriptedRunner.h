// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModalRunner.h"

#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>

namespace harrowdeck::testing {

// Answers the modal windows of a test in order, one scripted step each,
// instead of blocking in an event loop. A step gets the window shown and
// returns the result code its caller would see.
class ScriptedRunner : public ModalRunner {
public:
    using Step = std::function<void(QDialog&)>;

    void Then(Step step) { steps_.push_back(std::move(step)); }

    int Run(QDialog& dialog) override
    {
        ++runs;
        if (steps_.empty()) {
            ADD_FAILURE() << "unexpected modal window " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        step(dialog);
        const int result = dialog.result();
        dialog.hide();
        return result;
    }

    [[nodiscard]] bool Finished() const { return steps_.empty(); }

    int runs = 0;

private:
    std::deque<Step> steps_;
};

} // namespace harrowdeck::testing
