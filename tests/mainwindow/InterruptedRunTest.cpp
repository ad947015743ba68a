// SPDX-License-Identifier: GPL-3.0-or-later
// Runs from the main window after a run that was killed while it renamed,
// and runs that lose their memory.
#include "MainWindowFixture.h"

#include "ChildProcess.h"
#include "CommitRecord.h"
#include "ExportBuilder.h"
#include "Messages.h"
#include "ParamFile.h"
#include "RunFixture.h"

#include <QTest>

#include <signal.h>

#include <filesystem>
#include <new>

namespace harrowdeck::test {
namespace {

class InterruptedRun : public MainWindowFixture {
protected:
    const std::string out = dir / "out/";

    void SetUp() override { std::filesystem::create_directory(out); }

    void StartOn(const std::string& source)
    {
        StartWith("PATHS\n" + out + "\n" + source + "\n\n\n");
        runner.shown.clear();
    }

    void ClickMake() { QTest::mouseClick(&Get<QPushButton>("Command1"), Qt::LeftButton); }

    // harrowdeck-make into out, killed outright after its nth rename when n
    // is not 0.
    static ChildResult Convert(const std::string& source, const std::string& dest, int killAfterRename = 0)
    {
        std::vector<std::string> environment;
        if (killAfterRename != 0) {
            environment = {"LD_PRELOAD=" + std::string(HARROWDECK_FAULT_PRELOAD_PATH),
                           "HARROWDECK_KILL_AFTER_RENAME=" + std::to_string(killAfterRename)};
        }
        return RunChild({HARROWDECK_MAKE_PATH, source, dest}, std::chrono::seconds(60), environment);
    }

    void Replace(const Snapshot& set)
    {
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        for (const auto& [name, bytes] : set) {
            WriteFile(out + name, bytes);
        }
    }

    // The set a finished run of source leaves in an empty directory.
    Snapshot SetOf(const std::string& source)
    {
        const std::string fresh = dir / ("set-" + std::to_string(sets_++) + "/");
        std::filesystem::create_directory(fresh);
        EXPECT_EQ(Convert(source, fresh).exitCode, 0);
        return TakeSnapshot(fresh);
    }

private:
    int sets_ = 0;
};

// A run killed while it renamed leaves its record beside a mix of new and
// old pages. The window's next run into that directory completes the set
// from the record first, whatever becomes of the run itself.
TEST_F(InterruptedRun, TheNextRunCompletesASetThatAKilledRunLeft)
{
    if (UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer's runtime must come first, before any preloaded library";
    }
    WriteFile(dir / "old.htm", kHeaderLine + Folders(3, "Old"));
    WriteFile(dir / "new.htm", kHeaderLine + Folders(5, "New"));
    WriteFile(dir / "next.htm", kHeaderLine + Folders(2, "Next"));
    WriteFile(dir / "notes.txt", "not an export\n");
    const Snapshot oldSet = SetOf(dir / "old.htm");
    const Snapshot newSet = SetOf(dir / "new.htm");
    // The next run's two pages over the completed set, whose higher pages stay.
    Snapshot nextOverNew = newSet;
    for (const auto& [name, bytes] : SetOf(dir / "next.htm")) {
        nextOverNew[name] = bytes;
    }
    // The record, 5 link pages, dir.html and Harrowdeck.html.
    const int renames = 1 + 5 + 2;

    const struct {
        const char* run;
        std::string source;
        QStringList texts;
        const Snapshot& after;
    } cases[] = {
        {"a run of another export", dir / "next.htm", {messages::kConfirm, messages::kDone}, nextOverNew},
        {"a run that is not of an export", dir / "notes.txt", {messages::kConfirm, messages::kNotAnExport}, newSet},
        {"a run whose source is missing", dir / "gone.htm", {messages::kSourceMissing}, newSet},
    };
    for (const auto& c : cases) {
        for (const int killedAfter : {1, 4, renames - 1}) {
            SCOPED_TRACE(std::string(c.run) + ", killed after rename " + std::to_string(killedAfter));
            Replace(oldSet);
            ASSERT_EQ(Convert(dir / "new.htm", out, killedAfter).signal, SIGKILL);
            ASSERT_TRUE(PathExists(out + std::string(kCommitRecordName)));
            ASSERT_TRUE(HasTemporaryFile(out));

            StartOn(c.source);
            runner.answers = {QMessageBox::Yes};
            ClickMake();
            EXPECT_EQ(runner.Texts(), c.texts);
            EXPECT_EQ(TakeSnapshot(out), c.after) << "not a whole set, or a temporary file or the record left";
            window->close();
        }
    }
}

// Memory runs out even for the run's message box: the program says so on
// standard error and ends, but saves the user's choices first, since the
// run's memory is given back by then.
TEST_F(InterruptedRun, OutOfMemorySavesTheChoicesBeforeTheProgramEnds)
{
    WriteFile(dir / "notes.txt", "not an export\n");
    const struct {
        const char* where;
        std::size_t box; // the box that cannot be had
    } cases[] = {{"at the question", 0}, {"at the box that ends the run", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        StartOn(dir / "notes.txt");
        // Only a save at the end can bring it back. The forked program saves
        // into the same directory.
        std::filesystem::remove(ParamFile());
        QTest::mouseClick(&Get<QRadioButton>("optNewWin"), Qt::LeftButton);
        Get<QLineEdit>("txtProc").setText("5");
        runner.answers = {QMessageBox::Yes};
        runner.onShow = [this, &c](QDialog&) {
            if (runner.shown.size() == c.box + 1) {
                throw std::bad_alloc();
            }
        };
        EXPECT_EXIT(ClickMake(), ::testing::ExitedWithCode(1), "harrowdeck: out of memory");
        runner.onShow = nullptr;
        MainState saved;
        ASSERT_TRUE(LoadParamFile(ParamFile(), saved)) << "the choices were not saved";
        EXPECT_EQ(saved.browseMode, BrowseMode::NewWindow);
        EXPECT_EQ(saved.destDir, out);
        // Past the question, the run had settled the widths.
        EXPECT_EQ(saved.leftPercent, c.box == 0 ? kDefaultLeftPercent : 10);
        window->close();
    }
}

} // namespace
} // namespace harrowdeck::test
