// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassicLook.h"

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

QFont FontFor(const FontChoice& desc)
{
    static const bool substituted = [] {
        // Metrically close to the faces the tables were drawn with, where
        // installed; otherwise fontconfig's choice for the family stands.
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arimo"), QStringLiteral("Arial")});
        QFont::insertSubstitutions(QStringLiteral("Courier"),
                                   {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                                    QStringLiteral("Cousine"), QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    (void)substituted;
    QFont font(ToQt(desc.face));
    font.setPointSizeF(desc.points);
    font.setWeight(desc.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    if (desc.face == kCourierFont.face) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
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

QString ToQt(std::string_view text)
{
    return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

std::string FromQt(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace harrowdeck
