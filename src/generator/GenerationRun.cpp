// SPDX-License-Identifier: GPL-3.0-or-later
#include "GenerationRun.h"

#include "ExportReader.h"
#include "FileProbe.h"
#include "LineReader.h"
#include "Messages.h"
#include "OutputPages.h"
#include "WidthField.h"

#include <cstring>

namespace harrowdeck {

namespace {

using Icon = UserInterface::Icon;

std::string TargetAttrFor(int browseMode)
{
    switch (browseMode) {
    case kBrowseFrame:
        return {};
    case kBrowseFullWindow:
        return " TARGET=\"_top\"";
    default:
        return " TARGET=\"_blank\"";
    }
}

// Both widths are normalised in every run that gets this far, whichever
// size mode is chosen, and stay normalised even when the run stops later.
void NormaliseWidths(MainState& state)
{
    state.leftPercent = NormaliseWidth(state.procText, WidthField::Percent);
    state.procText = WidthText(state.leftPercent);
    state.leftPixels = NormaliseWidth(state.pixelText, WidthField::Pixels);
    state.pixelText = WidthText(state.leftPixels);
}

RunReport Stop(RunReport report, RunOutcome outcome)
{
    report.outcome = outcome;
    return report;
}

RunReport ReportWriteFailure(UserInterface& ui, RunReport report, const IoError& error)
{
    ui.ShowMessage(messages::CouldNotWrite(error.path, error.reason), Icon::Exclamation);
    return Stop(report, RunOutcome::WriteFailed);
}

// Checks the first line and reads the rest of the export, writing the link
// pages. Fills report and returns true when the index and frameset are due.
bool ReadExport(MainState& state, UserInterface& ui, const BodyTags& bodies, RunReport& report,
                std::vector<std::string>& folderNames)
{
    std::string reason;
    std::optional<FileSource> source = FileSource::Open(state.sourcePath, reason);
    if (!source) {
        ui.ShowMessage(messages::CouldNotRead(state.sourcePath, reason), Icon::Exclamation);
        report = Stop(report, RunOutcome::ReadFailed);
        return false;
    }
    LineReader input(*source);
    std::string_view first;
    const LineReader::Status status = input.Next(first);
    if (status == LineReader::Status::Error) {
        ui.ShowMessage(messages::CouldNotRead(state.sourcePath, std::strerror(input.ErrorNumber())),
                       Icon::Exclamation);
        report = Stop(report, RunOutcome::ReadFailed);
        return false;
    }
    if (status != LineReader::Status::Line || !IsExportHeader(first)) {
        ui.ShowMessage(messages::kNotAnExport, Icon::None);
        report = Stop(report, RunOutcome::NotAnExport);
        return false;
    }

    const std::uint64_t total = source->Size();
    ReadResult result = ReadFolders(input, state.destDir, state.targetAttr, bodies.page,
                                    [&ui, total](std::uint64_t bytesRead) {
                                        return ui.ReportProgress(bytesRead, total);
                                    });
    report.pagesWritten = result.folderNames.size();
    report.linksWritten = result.linksWritten;
    report.skippedLines = result.skippedLines;
    if (result.cancelled) {
        report = Stop(report, RunOutcome::Cancelled);
        return false;
    }
    if (result.readError) {
        ui.ShowMessage(messages::CouldNotRead(state.sourcePath, std::strerror(*result.readError)),
                       Icon::Exclamation);
        report = Stop(report, RunOutcome::ReadFailed);
        return false;
    }
    if (result.writeError) {
        report = ReportWriteFailure(ui, report, *result.writeError);
        return false;
    }
    folderNames = std::move(result.folderNames);
    return true;
}

} // namespace

RunReport MakeFrameset(MainState& state, UserInterface& ui)
{
    RunReport report;
    if (!FileExists(state.sourcePath)) {
        ui.ShowMessage(messages::kSourceMissing, Icon::None);
        return Stop(report, RunOutcome::SourceMissing);
    }
    if (!IsDirectory(state.destDir)) {
        ui.ShowMessage(messages::kDestMissing, Icon::None);
        return Stop(report, RunOutcome::DestMissing);
    }
    if (!ui.AskYesNo(messages::kConfirm)) {
        return Stop(report, RunOutcome::Declined);
    }
    NormaliseWidths(state);
    state.targetAttr = TargetAttrFor(state.browseMode);
    const BodyTags bodies = ChooseBodyTags(state.destDir);

    std::vector<std::string> folderNames;
    if (!ReadExport(state, ui, bodies, report, folderNames)) {
        return report;
    }
    if (folderNames.empty()) {
        ui.ShowMessage(messages::kNothingToWrite, Icon::None);
        return Stop(report, RunOutcome::NothingToWrite);
    }
    if (auto error = WriteIndexPage(state.destDir, bodies.index, folderNames)) {
        return ReportWriteFailure(ui, report, *error);
    }
    if (auto error = WriteFramesetPage(state.destDir, state.sizeMode, state.leftPercent, state.leftPixels)) {
        return ReportWriteFailure(ui, report, *error);
    }
    ui.ShowMessage(messages::Completion(report.skippedLines), Icon::None);
    return Stop(report, RunOutcome::Done);
}

} // namespace harrowdeck
