// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Forms.h"

#include <functional>
#include <vector>

class QWidget;

namespace harrowdeck {

// Makes a control of a kind that has no plain Qt widget (the directory
// list) inside its container; the builder names and places it.
using ControlMaker = std::function<QWidget*(const ControlEntry& desc, QWidget& container)>;

// Makes the controls of a form inside client, which gets the form's size
// (fixed unless the form is sizable) and font: each control named, captioned, at its place and with its
// kind's settings, in the table's tab order. The result follows the order
// of form.controls. When a caption does not fit its control in the font
// that stands in for the form's, the form's font is made smaller rather
// than the control wider (FittingPointSize).
std::vector<QWidget*> BuildForm(QWidget& client, const FormTable& form, const ControlMaker& custom = {});

// True when every caption in client fits its control as it stands.
[[nodiscard]] bool CaptionsFit(const QWidget& client);

} // namespace harrowdeck
