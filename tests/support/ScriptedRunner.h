// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModalRunner.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace harrowdeck::test {

// Stands in for the user at every modal window without an event loop, and
// records what was shown. Steps given with Then() answer the next windows,
// shown, in order; once given, a window without a step fails. Without
// steps, message boxes take the buttons in answers (then their default, or
// OK), the about window its Okej, and any other window is cancelled unless
// onShow confirmed it.
class ScriptedRunner : public ModalRunner {
public:
    using Step = std::function<void(QDialog&)>;

    struct Shown {
        QString objectName;
        QString title;
        QString text; // a message box's text
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QString productLine; // the about window's two labels
        QString copyrightLine;
        QRect geometry;
    };

    std::deque<QMessageBox::StandardButton> answers;
    Step onShow;
    std::vector<Shown> shown;

    void Then(Step step)
    {
        scripted_ = true;
        steps_.push_back(std::move(step));
    }

    [[nodiscard]] bool Finished() const { return steps_.empty(); }

    int Run(QDialog& dialog) override
    {
        shown.push_back(Record(dialog));
        if (!steps_.empty()) {
            return RunStep(dialog);
        }
        if (scripted_) {
            ADD_FAILURE() << "unexpected modal window " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        if (onShow) {
            onShow(dialog);
        }
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            return Answer(*box);
        }
        if (auto* exit = dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"))) {
            exit->click();
        } else if (dialog.result() != QDialog::Accepted) {
            dialog.reject(); // as by the close box
        }
        return dialog.result();
    }

    [[nodiscard]] QStringList Texts() const
    {
        QStringList texts;
        for (const Shown& s : shown) {
            if (!s.text.isEmpty()) {
                texts << s.text;
            }
        }
        return texts;
    }

private:
    static Shown Record(QDialog& dialog)
    {
        Shown record;
        record.objectName = dialog.objectName();
        record.title = dialog.windowTitle();
        record.geometry = dialog.frameGeometry();
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            record.text = box->text();
            record.icon = box->icon();
            record.buttons = box->standardButtons();
            if (box->defaultButton() != nullptr) {
                record.defaultButton = box->standardButton(box->defaultButton());
            }
        }
        const auto label = [&dialog](const char* name) {
            auto* found = dialog.findChild<QLabel*>(QString::fromLatin1(name));
            return found != nullptr ? found->text() : QString();
        };
        record.productLine = label("lblProductname");
        record.copyrightLine = label("lblCopyright");
        return record;
    }

    int RunStep(QDialog& dialog)
    {
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

    int Answer(QMessageBox& box)
    {
        QMessageBox::StandardButton button = shown.back().defaultButton;
        if (!answers.empty()) {
            button = answers.front();
            answers.pop_front();
        }
        if (QAbstractButton* pressed = box.button(button == QMessageBox::NoButton ? QMessageBox::Ok : button)) {
            pressed->click();
        }
        return box.result();
    }

    std::deque<Step> steps_;
    bool scripted_ = false;
};

} // namespace harrowdeck::test
