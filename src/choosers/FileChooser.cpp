// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileChooser.h"

#include "ClassicLook.h"
#include "DirExists.h"
#include "FileProbe.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <exception>

namespace harrowdeck {

namespace {

// Without a real screen the platform's own dialog cannot be driven, so tests
// under the offscreen platform get Qt's widget dialog.
bool UseWidgetDialog()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

QStringList QtNameFilters(const std::string& callerFilter)
{
    QStringList filters;
    for (const std::string& filter : ToQtNameFilters(BuildFilterText(callerFilter))) {
        filters << ToQt(filter);
    }
    return filters;
}

void Configure(QFileDialog& dialog, ChooserVars& vars)
{
    if (vars.title.empty()) {
        vars.title = kDefaultChooserTitle;
    }
    dialog.setWindowTitle(ToQt(vars.title));

    // The flags ask only to hide the read-only box, which this dialog lacks.
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    if (UseWidgetDialog()) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    dialog.setOptions(options);

    if (!vars.dir.empty()) {
        AppendSeparator(vars.dir);
    }
    dialog.setDirectory(ToQt(InitialDirFor(vars.dir)));
    dialog.selectFile(ToQt(vars.file));

    const QStringList filters = QtNameFilters(vars.filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());

    if (vars.action == kChooserSave) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
}

// Shows the dialog and stores a confirmed choice; false means cancel.
bool RunAndRead(QFileDialog& dialog, ChooserVars& vars, ModalRunner& runner)
{
    if (runner.Run(dialog) != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) {
        return false;
    }
    const std::string fullPath = FromQt(chosen.front());
    const std::string name = FromQt(QFileInfo(chosen.front()).fileName());
    if (name.empty()) {
        return false;
    }
    vars.result = fullPath;
    vars.file = name;
    vars.dir = DirPartOf(fullPath, name);
    return true;
}

} // namespace

void ChooseFile(ChooserVars& vars, QWidget* parent, ModalRunner& runner)
{
    bool chosen = false;
    try {
        QFileDialog dialog(parent);
        Configure(dialog, vars);
        chosen = RunAndRead(dialog, vars, runner);
    } catch (const std::exception&) {
        chosen = false; // the cancel exit below
    }
    if (!chosen) {
        vars.result.clear();
    }
    vars.filter.clear();
}

void ChooseFileToOpen(ChooserVars& vars, QWidget* parent, ModalRunner& runner)
{
    vars.action = kChooserOpen;
    vars.flags = kChooserHideReadOnly;
    ChooseFile(vars, parent, runner);
}

} // namespace harrowdeck
