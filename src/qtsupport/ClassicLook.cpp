// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassicLook.h"

#include "Version.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace harrowdeck {

namespace {

// Qt gives Enter only to a dialog's default buttons; this gives it to any
// button that has the focus, dialog or not.
class EnterClicksButton final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr || event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        button->click();
        return true;
    }
};

} // namespace

QString ProgramCaption()
{
    return QString::fromUtf8(version::kProgramName);
}

QFont BoldSansSerif(double pointSize)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

QFont CourierFont()
{
    QFont font(QStringLiteral("Courier"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void PaintLightGrey(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    palette.setColor(QPalette::WindowText, Qt::black);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void EnterPressesButtons(QWidget& window)
{
    auto* filter = new EnterClicksButton(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        button->installEventFilter(filter);
    }
}

QString ToQt(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

std::string FromQt(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace harrowdeck
