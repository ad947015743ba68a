// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassicLook.h"

#include "Version.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace harrowdeck {

QString ProgramCaption()
{
    return QString::fromUtf8(version::kProgramName);
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

QString ToQt(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

std::string FromQt(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace harrowdeck
