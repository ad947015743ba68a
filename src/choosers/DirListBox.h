// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <QString>

namespace harrowdeck {

// The classic directory list: the path from the root down to the current
// directory, one open folder per level with the current one in bold,
// followed by the current directory's subdirectories as closed folders
// (hidden ones left out). A double-click or Enter on an entry
// makes it the current directory; a single click only highlights it.
class DirListBox : public QListWidget {
    Q_OBJECT

public:
    // Data role under which each entry keeps the full path it stands for.
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit DirListBox(QWidget* parent = nullptr);

    // Makes dir the current directory when it can be listed; otherwise
    // returns false and the list keeps what it showed.
    [[nodiscard]] bool SetPath(const QString& dir);

    // The current directory, without a trailing separator except for the
    // root itself.
    [[nodiscard]] QString Path() const;

    // The row of the entry that stands for dir, or -1.
    [[nodiscard]] int RowOf(const QString& dir) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Enter(QListWidgetItem* item);
    void AddEntry(const QString& path, const QString& name, int depth, bool open);

    QString path_;
};

} // namespace harrowdeck
