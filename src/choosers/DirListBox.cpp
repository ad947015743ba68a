// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirListBox.h"

#include "ClassicLook.h"
#include "DirExists.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include <string>

namespace harrowdeck {

namespace {

constexpr int kIndentPerLevel = 1; // characters, in the monospaced font

QString Canonical(const QString& dir)
{
    return QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
}

// The directories from the root down to dir, dir included.
QStringList AncestorsOf(const QString& dir)
{
    QStringList chain;
    QDir walker(dir);
    chain.prepend(walker.absolutePath());
    while (walker.cdUp()) {
        chain.prepend(walker.absolutePath());
    }
    return chain;
}

// Drawn here rather than taken from the style: many styles and icon themes
// have one folder picture for both, and the open ones show the path.
QIcon FolderIcon(bool open)
{
    constexpr int kSize = 16;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 0));
    painter.setBrush(QColor(255, 255, 128));
    painter.drawRect(1, 3, 6, 2); // the tab
    painter.drawRect(1, 4, 13, 9);
    if (open) {
        const QPoint front[] = {{4, 7}, {15, 7}, {12, 13}, {1, 13}};
        painter.setBrush(QColor(255, 224, 64));
        painter.drawPolygon(front, 4);
    }
    return QIcon(pixmap);
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::Enter);
}

bool DirListBox::SetPath(const QString& dir)
{
    if (dir.isEmpty()) {
        return false;
    }
    const QString target = Canonical(dir);
    std::string probe = FromQt(target);
    if (!DirExists(probe)) {
        return false;
    }
    const QDir listed(target);
    const QStringList children = listed.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    clear();
    path_ = target;
    const QStringList chain = AncestorsOf(target);
    int depth = 0;
    for (const QString& ancestor : chain) {
        const QString name = depth == 0 ? ancestor : QFileInfo(ancestor).fileName();
        AddEntry(ancestor, name, depth, true);
        ++depth;
    }
    // The current directory stays marked while another entry is highlighted:
    // it is what OK returns.
    QListWidgetItem* current = item(static_cast<int>(chain.size()) - 1);
    QFont bold = font();
    bold.setBold(true);
    current->setFont(bold);
    setCurrentItem(current);
    for (const QString& child : children) {
        AddEntry(listed.absoluteFilePath(child), child, depth, false);
    }
    return true;
}

QString DirListBox::Path() const
{
    return path_;
}

int DirListBox::RowOf(const QString& dir) const
{
    const QString wanted = Canonical(dir);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kPathRole).toString() == wanted) {
            return row;
        }
    }
    return -1;
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentItem() != nullptr) {
        Enter(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::Enter(QListWidgetItem* item)
{
    if (item == nullptr) {
        return;
    }
    // A directory that vanished or turned unreadable is simply not entered.
    (void)SetPath(item->data(kPathRole).toString());
}

void DirListBox::AddEntry(const QString& path, const QString& name, int depth, bool open)
{
    auto* entry = new QListWidgetItem(FolderIcon(open), QString(depth * kIndentPerLevel, QLatin1Char(' ')) + name);
    entry->setData(kPathRole, path);
    entry->setToolTip(path);
    addItem(entry);
}

} // namespace harrowdeck
