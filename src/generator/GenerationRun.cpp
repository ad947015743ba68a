// SPDX-License-Identifier: GPL-3.0-or-later
#include "GenerationRun.h"

#include "ExportReader.h"
#include "FileProbe.h"
#include "LineReader.h"
#include "Messages.h"
#include "OutputPages.h"
#include "PageSet.h"
#include "WidthField.h"

#include <cerrno>
#include <new>
#include <optional>
#include <string>

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

// How a run ends for the user: the box to show, if any.
struct Ending {
    std::string text;
    Icon icon = Icon::None;
};

// One run after the confirmation. Its ending is only recorded: the box
// comes once the run's files are gone, so that no temporary file waits in
// the destination while the user reads it.
class Run {
public:
    Run(MainState& state, UserInterface& ui, RunReport& report, std::optional<Ending>& ending)
        : state_(state), ui_(ui), report_(report), ending_(ending)
    {
    }

    void Execute()
    {
        NormaliseWidths(state_);
        state_.targetAttr = TargetAttrFor(state_.browseMode);
        std::optional<PageSet> pages = OpenDestination();
        if (!pages) {
            return;
        }
        const BodyTags bodies = ChooseBodyTags(state_.destDir);
        IoResult<FileSource> source = FileSource::Open(state_.sourcePath);
        if (!source) {
            FailReading(source.Error().reason);
            return;
        }
        LineReader input(*source);
        if (!CheckHeader(input) || !ReadPages(*source, input, *pages, bodies)) {
            return;
        }
        if (report_.pagesWritten == 0) {
            End(RunOutcome::NothingToWrite, messages::kNothingToWrite, Icon::None);
            return;
        }
        if (auto failure = WriteFramesetTemp(*pages)) {
            FailWriting(*failure);
            return;
        }
        // The last moment at which a stop leaves the destination as it was:
        // once the renaming has begun, the run completes.
        if (!ui_.ReportProgress(source->Size(), source->Size())) {
            report_.outcome = RunOutcome::Cancelled;
            return;
        }
        if (auto failure = pages->Commit()) {
            FailWriting(*failure);
            return;
        }
        End(RunOutcome::Done, messages::Completion(report_.skippedLines, report_.leftOutLinks), Icon::None);
    }

private:
    std::optional<PageSet> OpenDestination()
    {
        IoResult<PageSet> pages = PageSet::Open(state_.destDir);
        if (pages) {
            return std::move(*pages);
        }
        if (pages.Error().errorNumber == EWOULDBLOCK) {
            End(RunOutcome::DestBusy, messages::DestinationBusy(state_.destDir), Icon::Exclamation);
        } else {
            FailWriting(pages.Error());
        }
        return std::nullopt;
    }

    // A first line over the length limit is still judged by its start.
    bool CheckHeader(LineReader& input)
    {
        std::string_view first;
        const LineReader::Status status = input.Next(first);
        if (status == LineReader::Status::Error) {
            FailReading(input.Error().reason);
            return false;
        }
        if (status == LineReader::Status::TooLong) {
            first = input.OverlongStart();
        } else if (status != LineReader::Status::Line) {
            first = {};
        }
        if (!IsExportHeader(SkipByteOrderMark(first))) {
            End(RunOutcome::NotAnExport, messages::kNotAnExport, Icon::None);
            return false;
        }
        return true;
    }

    bool ReadPages(const FileSource& source, LineReader& input, PageSet& pages, const BodyTags& bodies)
    {
        ReadSettings settings;
        settings.mode = state_.folderMode;
        settings.sourcePath = state_.sourcePath;
        settings.targetAttr = state_.targetAttr;
        settings.pageBodyTag = bodies.page;
        settings.indexBodyTag = bodies.index;
        const std::uint64_t total = source.Size();
        settings.progress = [this, total](std::uint64_t bytesRead) { return ui_.ReportProgress(bytesRead, total); };

        const ReadResult result = ReadFolders(input, pages, settings);
        report_.pagesWritten = result.pagesWritten;
        report_.linksWritten = result.linksWritten;
        report_.skippedLines = result.skippedLines;
        report_.leftOutLinks = result.leftOutLinks;
        if (result.cancelled) {
            report_.outcome = RunOutcome::Cancelled;
            return false;
        }
        if (result.readError) {
            FailReading(result.readError->reason);
            return false;
        }
        if (result.writeError) {
            FailWriting(*result.writeError);
            return false;
        }
        if (source.Changed()) {
            FailReading(messages::kSourceChanged);
            return false;
        }
        return true;
    }

    std::optional<IoError> WriteFramesetTemp(PageSet& pages)
    {
        IoResult<OutputFile> file = pages.CreateFrameset();
        if (!file) {
            return file.Error();
        }
        WriteFrameset(*file, state_.sizeMode, state_.leftPercent, state_.leftPixels);
        return file->Finish();
    }

    void FailReading(const std::string& reason)
    {
        End(RunOutcome::ReadFailed, messages::CouldNotRead(state_.sourcePath, reason), Icon::Exclamation);
    }

    void FailWriting(const IoError& error)
    {
        End(RunOutcome::WriteFailed, messages::CouldNotWrite(error.path, error.reason), Icon::Exclamation);
    }

    void End(RunOutcome outcome, const std::string& message, Icon icon)
    {
        report_.outcome = outcome;
        ending_ = Ending{message, icon};
    }

    MainState& state_;
    UserInterface& ui_;
    RunReport& report_;
    std::optional<Ending>& ending_;
};

} // namespace

RunReport MakeFrameset(MainState& state, UserInterface& ui)
{
    RunReport report;
    if (!FileExists(state.sourcePath)) {
        ui.ShowMessage(messages::kSourceMissing, Icon::None);
        report.outcome = RunOutcome::SourceMissing;
        return report;
    }
    if (!IsDirectory(state.destDir)) {
        ui.ShowMessage(messages::kDestMissing, Icon::None);
        report.outcome = RunOutcome::DestMissing;
        return report;
    }
    if (!ui.AskYesNo(messages::kConfirm)) {
        report.outcome = RunOutcome::Declined;
        return report;
    }
    std::optional<Ending> ending;
    try {
        Run(state, ui, report, ending).Execute();
    } catch (const std::bad_alloc&) {
        // Everything the run allocated, its temporary files included, is
        // gone with the unwinding; what is left is to say so.
        report.outcome = RunOutcome::OutOfMemory;
        ending = Ending{messages::OutOfMemory(state.sourcePath), Icon::Exclamation};
    }
    if (ending) {
        ui.ShowMessage(ending->text, ending->icon);
    }
    return report;
}

} // namespace harrowdeck
