// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormBuilder.h"

#include "ClassicLook.h"
#include "WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>

namespace harrowdeck {

namespace {

QWidget* MakeControl(const ControlEntry& desc, QWidget& container, const ControlMaker& custom)
{
    const QString caption = ToQt(desc.caption);
    switch (desc.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton(caption, &container);
        // Enter presses the focused button only (EnterPressesButtons).
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::TextField: {
        auto* field = new QLineEdit(&container);
        if (desc.maxLength > 0) {
            field->setMaxLength(desc.maxLength);
        }
        field->setReadOnly(desc.readOnly);
        return field;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(caption, &container);
    case ControlKind::OptionButton:
        return new QRadioButton(caption, &container);
    case ControlKind::CheckBox:
        return new QCheckBox(caption, &container);
    case ControlKind::Label: {
        auto* label = new QLabel(caption, &container);
        if (desc.centred) {
            label->setAlignment(Qt::AlignCenter);
        }
        return label;
    }
    case ControlKind::DriveList:
        return new QComboBox(&container);
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(&container);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setWordWrapMode(QTextOption::WordWrap);
        box->setReadOnly(desc.readOnly);
        return box;
    }
    case ControlKind::DirectoryList:
        break;
    }
    if (!custom) {
        throw std::logic_error("no maker for control " + std::string(desc.name));
    }
    return custom(desc, container);
}

QWidget& ContainerOf(const ControlEntry& desc, QWidget& client)
{
    if (desc.container.empty()) {
        return client;
    }
    auto* container = client.findChild<QWidget*>(ToQt(desc.container));
    if (container == nullptr) {
        throw std::logic_error("container " + std::string(desc.container) + " comes after " + std::string(desc.name));
    }
    return *container;
}

void SetTabOrder(const FormTable& form, const std::vector<QWidget*>& controls)
{
    QWidget* previous = nullptr;
    for (const ControlEntry* desc : InTabOrder(form)) {
        QWidget* control = controls.at(static_cast<std::size_t>(desc - form.controls.data()));
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }
}

} // namespace

std::vector<QWidget*> BuildForm(QWidget& client, const FormTable& form, const ControlMaker& custom)
{
    client.setFont(FontFor(form.font));
    const QSize size(TwipsToPixelsFor(client, form.clientWidth), TwipsToPixelsFor(client, form.clientHeight));
    if (form.resizable) {
        client.resize(size);
    } else {
        client.setFixedSize(size);
    }
    std::vector<QWidget*> controls;
    controls.reserve(form.controls.size());
    for (const ControlEntry& desc : form.controls) {
        QWidget* control = MakeControl(desc, ContainerOf(desc, client), custom);
        control->setObjectName(ToQt(desc.name));
        if (desc.font != nullptr) {
            control->setFont(FontFor(*desc.font));
        }
        if (!desc.toolTip.empty()) {
            control->setToolTip(ToQt(desc.toolTip));
        }
        PlaceTwips(*control, desc.place);
        controls.push_back(control);
    }
    SetTabOrder(form, controls);
    if (!CaptionsFit(client)) {
        FontChoice fitted = form.font;
        fitted.points = FittingPointSize(form.font.points, [&client, &fitted](double points) {
            fitted.points = points;
            client.setFont(FontFor(fitted));
            return CaptionsFit(client);
        });
        client.setFont(FontFor(fitted));
    }
    return controls;
}

bool CaptionsFit(const QWidget& client)
{
    for (const QAbstractButton* button : client.findChildren<QAbstractButton*>()) {
        if (button->sizeHint().width() > button->width()) {
            return false;
        }
    }
    for (const QGroupBox* box : client.findChildren<QGroupBox*>()) {
        if (box->fontMetrics().horizontalAdvance(box->title()) >= box->width()) {
            return false;
        }
    }
    return true;
}

} // namespace harrowdeck
