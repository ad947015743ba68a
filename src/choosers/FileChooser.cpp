// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileChooser.h"

#include "ChooserRules.h"
#include "ClassicLook.h"
#include "FileFilter.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <exception>
#include <optional>

namespace harrowdeck {

namespace {

// Without a real screen the platform's own dialog cannot be driven, so tests
// under the offscreen platform get Qt's widget dialog.
bool UseWidgetDialog()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

void Configure(QFileDialog& dialog, const FileDialogSetup& setup)
{
    dialog.setWindowTitle(ToQt(setup.title));
    // The flags ask only to hide the read-only box, which this dialog lacks.
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    if (UseWidgetDialog()) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    dialog.setOptions(options);
    dialog.setDirectory(ToQt(setup.initialDir));
    dialog.selectFile(ToQt(setup.initialFile));

    QStringList filters;
    for (const std::string& filter : ToQtNameFilters(setup.filterText)) {
        filters << ToQt(filter);
    }
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());

    dialog.setAcceptMode(setup.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(setup.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
}

// Shows the dialog; nothing when the user cancelled.
std::optional<ChosenFile> RunDialog(QFileDialog& dialog, ModalRunner& runner)
{
    if (runner.Run(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return ChosenFile{FromQt(chosen.front()), FromQt(QFileInfo(chosen.front()).fileName())};
}

} // namespace

void ChooseFile(ChooserVars& vars, QWidget* parent, ModalRunner& runner)
{
    std::optional<ChosenFile> chosen;
    try {
        const FileDialogSetup setup = BeginFileChoice(vars);
        QFileDialog dialog(parent);
        Configure(dialog, setup);
        chosen = RunDialog(dialog, runner);
    } catch (const std::exception&) {
        chosen.reset(); // the cancel exit
    }
    EndFileChoice(vars, chosen);
}

} // namespace harrowdeck
