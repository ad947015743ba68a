// SPDX-License-Identifier: GPL-3.0-or-later
#include "GenerationRun.h"

#include "ExportEncoding.h"
#include "ExportReader.h"
#include "FileProbe.h"
#include "LineReader.h"
#include "Messages.h"
#include "PageSet.h"
#include "PageText.h"
#include "WidthField.h"

#include <new>
#include <optional>
#include <string>

namespace harrowdeck {

namespace {

using Icon = UserInterface::Icon;

// Both widths are normalised in every run that gets this far, whichever
// size mode is chosen, and stay normalised even when the run stops later.
RunDecisions Decide(const RunOptions& options)
{
    RunDecisions decided;
    decided.leftPercent = NormaliseWidth(options.procText, WidthField::Percent);
    decided.leftPixels = NormaliseWidth(options.pixelText, WidthField::Pixels);
    decided.targetAttr = TargetAttrFor(options.browseMode);
    return decided;
}

// Passes the renaming's progress on to the user.
class PlacingReport final : public RenameProgress {
public:
    explicit PlacingReport(UserInterface& ui) : ui_(ui) {}
    void Renamed(std::uint64_t done, std::uint64_t total) noexcept override { ui_.ReportPlacing(done, total); }

private:
    UserInterface& ui_;
};

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
    Run(const RunOptions& options, UserInterface& ui, RunReport& report, std::optional<Ending>& ending)
        : options_(options), ui_(ui), report_(report), decided_(*report.decided), ending_(ending)
    {
    }

    void Execute()
    {
        std::optional<PageSet> pages = OpenDestination();
        if (!pages) {
            return;
        }
        const BodyTags bodies = ChooseBodyTags(options_.destDir);
        IoResult<FileSource> source = FileSource::Open(options_.sourcePath);
        if (!source) {
            FailReading(source.Error().reason);
            return;
        }
        LineReader input(*source);
        if (!CheckHeader(input) || !DecideCharset() || !ReadPages(*source, input, *pages, bodies)) {
            return;
        }
        if (report_.counts.pagesWritten == 0) {
            End(RunOutcome::NothingToWrite,
                messages::NothingToWrite(report_.counts.leftOutLinks, ui_.LeftOutRemedy(report_.counts.leftOutLinks)),
                Icon::None);
            return;
        }
        if (auto failure = WriteFramesetTemp(*pages)) {
            FailWriting(*failure);
            return;
        }
        // The last moment at which a stop leaves the destination as it was:
        // once the renaming has begun, the run completes.
        if (!ui_.ReportProgress(UserInterface::Stage::PlacingPages, 0, report_.counts.pagesWritten)) {
            report_.outcome = RunOutcome::Cancelled;
            return;
        }
        PlacingReport placing(ui_);
        if (auto failure = pages->Commit(&placing)) {
            FailWriting(*failure);
            return;
        }
        // Noted before anything allocates again: whatever happens now, the
        // new set is in place.
        report_.outcome = RunOutcome::Done;
        End(RunOutcome::Done,
            messages::Completion(report_.counts.skippedLines, report_.counts.leftOutLinks, ui_.KeepLeftOutHint()),
            Icon::None);
    }

private:
    std::optional<PageSet> OpenDestination()
    {
        IoResult<PageSet> pages = PageSet::Open(options_.destDir);
        if (pages) {
            return std::move(*pages);
        }
        if (pages.Error().kind == IoError::Kind::Busy) {
            End(RunOutcome::DestBusy, messages::DestinationBusy(options_.destDir), Icon::Exclamation);
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

    // Which encoding the pages name, read apart from the pages' reading: it
    // must be known before the first page is begun.
    bool DecideCharset()
    {
        IoResult<FileSource> head = FileSource::Open(options_.sourcePath);
        if (!head) {
            FailReading(head.Error().reason);
            return false;
        }
        IoResult<std::optional<std::string>> declared = CharsetFromHead(*head);
        if (!declared) {
            FailReading(declared.Error().reason);
            return false;
        }
        if (*declared) {
            charset_ = std::move(**declared);
            return true;
        }
        IoResult<FileSource> whole = FileSource::Open(options_.sourcePath);
        if (!whole) {
            FailReading(whole.Error().reason);
            return false;
        }
        IoResult<std::string> found = CharsetFromContent(*whole);
        if (!found) {
            FailReading(found.Error().reason);
            return false;
        }
        charset_ = std::move(*found);
        return true;
    }

    bool ReadPages(const FileSource& source, LineReader& input, PageSet& pages, const BodyTags& bodies)
    {
        ReadSettings settings;
        settings.mode = options_.folderMode;
        settings.targetAttr = decided_.targetAttr;
        settings.pageBodyTag = bodies.page;
        settings.indexBodyTag = bodies.index;
        settings.charset = charset_;
        settings.totalBytes = source.Size();
        settings.progress = [this](UserInterface::Stage stage, std::uint64_t done, std::uint64_t total) {
            return ui_.ReportProgress(stage, done, total);
        };

        ReadResult result = ReadFolders(input, pages, settings);
        report_.counts = result.counts;
        switch (result.end) {
        case ReadEnd::Cancelled:
            report_.outcome = RunOutcome::Cancelled;
            return false;
        case ReadEnd::ReadFailed:
            FailReading(result.error->reason);
            return false;
        case ReadEnd::WriteFailed:
            FailWriting(*result.error);
            return false;
        case ReadEnd::Complete:
            break;
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
        WriteFrameset(*file, options_.sizeMode, decided_.leftPercent, decided_.leftPixels, charset_);
        return file->Finish();
    }

    void FailReading(const std::string& reason)
    {
        End(RunOutcome::ReadFailed, messages::CouldNotRead(options_.sourcePath, reason), Icon::Exclamation);
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

    const RunOptions& options_;
    UserInterface& ui_;
    RunReport& report_;
    const RunDecisions& decided_;
    std::optional<Ending>& ending_;
    std::string charset_;
};

// The box that ends a run. The word of a completed run may be lost for want
// of memory, but never the run: its pages are in place. Any other ending
// that cannot be shown goes to the caller as the bad_alloc it is.
void ShowEnding(UserInterface& ui, const Ending& ending, RunOutcome outcome)
{
    try {
        ui.ShowMessage(ending.text, ending.icon);
    } catch (const std::bad_alloc&) {
        if (outcome != RunOutcome::Done) {
            throw;
        }
    }
}

} // namespace

RunReport MakeFrameset(const RunOptions& options, UserInterface& ui)
{
    RunReport report;
    if (!FileExists(options.sourcePath)) {
        // Even a run that has nothing to read completes what a killed run
        // left in the destination.
        if (IsDirectory(options.destDir)) {
            PageSet::Tidy(options.destDir);
        }
        ui.ShowMessage(messages::kSourceMissing, Icon::None);
        report.outcome = RunOutcome::SourceMissing;
        return report;
    }
    if (!IsDirectory(options.destDir)) {
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
        report.decided = Decide(options);
        ui.TakeDecisions(*report.decided);
        Run(options, ui, report, ending).Execute();
    } catch (const std::bad_alloc&) {
        // Everything the run allocated, its temporary files included, is
        // gone with the unwinding; what is left is to say so. Once the
        // renaming has begun, the run completed all the same.
        if (report.outcome != RunOutcome::Done) {
            report.outcome = RunOutcome::OutOfMemory;
            ending = Ending{messages::OutOfMemory(options.sourcePath), Icon::Exclamation};
        }
    }
    if (ending) {
        ShowEnding(ui, *ending, report.outcome);
    }
    return report;
}

} // namespace harrowdeck
