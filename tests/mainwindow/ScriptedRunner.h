// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModalRunner.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <functional>
#include <vector>

namespace harrowdeck::test {

// Stands in for the user at every modal window: records what was shown and
// answers message boxes from a script, without entering an event loop.
class ScriptedRunner : public ModalRunner {
public:
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

    // Buttons to press in message boxes, in order; the default button (or
    // OK) once the script runs out.
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<Shown> shown;
    // Called with every dialog before it is answered.
    std::function<void(QDialog&)> onShow;

    int Run(QDialog& dialog) override
    {
        Shown record;
        record.objectName = dialog.objectName();
        record.title = dialog.windowTitle();
        record.geometry = dialog.frameGeometry();
        if (onShow) {
            onShow(dialog);
        }
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            record.text = box->text();
            record.icon = box->icon();
            record.buttons = box->standardButtons();
            if (box->defaultButton() != nullptr) {
                record.defaultButton = box->standardButton(box->defaultButton());
            }
            shown.push_back(record);
            return Answer(*box, record.defaultButton);
        }
        if (auto* product = dialog.findChild<QLabel*>(QStringLiteral("lblProductname"))) {
            record.productLine = product->text();
        }
        if (auto* copyright = dialog.findChild<QLabel*>(QStringLiteral("lblCopyright"))) {
            record.copyrightLine = copyright->text();
        }
        shown.push_back(record);
        if (auto* exit = dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"))) {
            exit->click();
        } else if (dialog.result() != QDialog::Accepted) {
            // Whatever onShow did not confirm is cancelled, as by the close box.
            dialog.reject();
        }
        return dialog.result();
    }

    // The message boxes' texts, in order.
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
    int Answer(QMessageBox& box, QMessageBox::StandardButton fallback)
    {
        QMessageBox::StandardButton button = fallback == QMessageBox::NoButton ? QMessageBox::Ok : fallback;
        if (!answers.empty()) {
            button = answers.front();
            answers.pop_front();
        }
        if (QAbstractButton* pressed = box.button(button)) {
            pressed->click();
        }
        return box.result();
    }
};

} // namespace harrowdeck::test
