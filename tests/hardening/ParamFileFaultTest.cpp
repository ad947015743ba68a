// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter file under damage and failing saves: the old file survives
// byte for byte, and a damaged file gives exactly the values before the
// damage.
#include "ChildProcess.h"
#include "ChosenState.h"
#include "Messages.h"
#include "ParamFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace harrowdeck {
namespace {

using test::MountNamespace;
using test::ReadFile;
using test::TempDir;
using test::TmpfsMount;

constexpr auto Chosen = test::ChosenState;

// Each value of the file in its order, with how to tell whether it was read.
struct Field {
    const char* name;
    std::function<bool(const MainState&, const MainState&)> same;
};

const std::vector<Field> kFieldsInFileOrder = {
    {"destDir", [](const MainState& a, const MainState& b) { return a.destDir == b.destDir; }},
    {"sourcePath", [](const MainState& a, const MainState& b) { return a.sourcePath == b.sourcePath; }},
    {"sourceDir", [](const MainState& a, const MainState& b) { return a.sourceDir == b.sourceDir; }},
    {"sourceName", [](const MainState& a, const MainState& b) { return a.sourceName == b.sourceName; }},
    {"mainTop", [](const MainState& a, const MainState& b) { return a.mainTop == b.mainTop; }},
    {"mainLeft", [](const MainState& a, const MainState& b) { return a.mainLeft == b.mainLeft; }},
    {"leftPercent", [](const MainState& a, const MainState& b) { return a.leftPercent == b.leftPercent; }},
    {"leftPixels", [](const MainState& a, const MainState& b) { return a.leftPixels == b.leftPixels; }},
    {"sizeMode", [](const MainState& a, const MainState& b) { return a.sizeMode == b.sizeMode; }},
    {"browseMode", [](const MainState& a, const MainState& b) { return a.browseMode == b.browseMode; }},
    {"folderMode", [](const MainState& a, const MainState& b) { return a.folderMode == b.folderMode; }},
};

// Where each value's line ends (the offset of its CR) in the saved file.
std::vector<std::size_t> ValueLineEnds(const std::string& file)
{
    const std::vector<int> valueLines = {1, 2, 3, 4, 6, 7, 9, 10, 11, 12, 14}; // 0-based, markers left out
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    for (int line = 0; line <= valueLines.back(); ++line) {
        at = file.find('\r', at);
        if (std::find(valueLines.begin(), valueLines.end(), line) != valueLines.end()) {
            ends.push_back(at);
        }
        at += 2;
    }
    return ends;
}

TEST(ParamFileDamage, ATruncatedFileGivesExactlyTheValuesBeforeTheCut)
{
    const std::string file = FormatParams(Chosen());
    const std::vector<std::size_t> ends = ValueLineEnds(file);
    ASSERT_EQ(ends.size(), kFieldsInFileOrder.size());
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        SCOPED_TRACE("cut at byte " + std::to_string(cut));
        MemorySource in(std::string_view(file).substr(0, cut));
        MainState state;
        const bool complete = ReadParams(in, state);
        for (std::size_t i = 0; i < kFieldsInFileOrder.size(); ++i) {
            // A value counts once its line has ended; a cut inside a line
            // must not leave a shortened path or number behind.
            const bool whole = cut > ends[i];
            const MainState& expected = whole ? Chosen() : MainState{};
            EXPECT_TRUE(kFieldsInFileOrder[i].same(state, expected))
                << kFieldsInFileOrder[i].name << (whole ? " was not read" : " was read from a cut line");
        }
        if (cut == file.size()) {
            EXPECT_TRUE(complete);
        }
    }
}

TEST(ParamFileDamage, WhatIsNoRegularFileLoadsNothingWithoutHanging)
{
    TempDir dir;
    const std::string fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(std::filesystem::create_directory(dir / "dir.ini"));
    for (const std::string& path : {fifo, dir / "dir.ini", std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        // In a child, so that a hang ends in the alarm instead of the suite.
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(10);
            MainState state = Chosen();
            const bool loaded = LoadParamFile(path, state);
            ::_exit(!loaded && state.leftPixels == 999 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

// A failing save, with the old file and the directory as they were.
void ExpectSaveFailsAndKeepsTheOldFile(const std::string& dir, const std::string& reason)
{
    const std::string path = dir + "Harrowdeck.ini";
    const auto names = [&dir] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            found.push_back(entry.path().filename().string());
        }
        return found;
    };
    const std::vector<std::string> before = names();
    const std::string old = ReadFile(path);

    const std::optional<IoError> error = SaveParamFile(path, Chosen());
    EXPECT_EQ(error ? messages::CouldNotWrite(error->path, error->reason) : "saved",
              "Could not write " + path + ": " + reason);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(names(), before) << "a temporary file was left";
}

// A small disk at dir holding a saved parameter file that a later failed
// save must leave alone.
void SaveOldFileOn(const TmpfsMount& disk, const TempDir& dir)
{
    ASSERT_EQ(disk.Error(), "");
    MainState old;
    old.destDir = "/old/";
    ASSERT_FALSE(SaveParamFile(dir / "Harrowdeck.ini", old));
}

TEST(ParamFileDamage, SaveOnAFullDiskKeepsTheOldFile)
{
    const MountNamespace where = test::EnterMountNamespace();
    if (where == MountNamespace::RanInside) {
        return;
    }
    if (where == MountNamespace::Unavailable) {
        GTEST_SKIP() << "unshare -rm does not work here; the file-size limit case covers a failed write";
    }
    TempDir dir;
    TmpfsMount disk(dir.Path(), 64 << 10);
    SaveOldFileOn(disk, dir);
    // Fill the disk to the last byte.
    {
        std::ofstream filler(dir / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    ExpectSaveFailsAndKeepsTheOldFile(dir.Path(), "No space left on device");
}

TEST(ParamFileDamage, SaveIntoAReadOnlyDirectoryKeepsTheOldFile)
{
    const MountNamespace where = test::EnterMountNamespace();
    if (where == MountNamespace::RanInside) {
        return;
    }
    if (where == MountNamespace::Unavailable) {
        GTEST_SKIP() << "unshare -rm does not work here, and as root a mode does not stop writes";
    }
    TempDir dir;
    TmpfsMount disk(dir.Path(), 64 << 10);
    SaveOldFileOn(disk, dir);
    ASSERT_TRUE(disk.MakeReadOnly()) << disk.Error();
    ExpectSaveFailsAndKeepsTheOldFile(dir.Path(), "Read-only file system");
}

// True once the process has its own SIGTERM handler in place.
bool CatchesSigterm(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("SigCgt:")) {
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
        }
    }
    return false;
}

#ifdef HARROWDECK_GUI_PATH
// The program itself, ended by SIGTERM with a file-size limit too small for
// its parameter file: the save fails with its reason and the program ends
// normally, instead of being killed by SIGXFSZ halfway through the write.
TEST(ParamFileDamage, TheProgramSurvivesAFileSizeLimitAtExit)
{
    TempDir app;
    const std::string program = app / "harrowdeck";
    std::filesystem::copy_file(HARROWDECK_GUI_PATH, program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    // A file larger than the limit, which leaves room for the messages.
    MainState old;
    old.destDir = "/" + std::string(1000, 'd') + "/";
    ASSERT_FALSE(SaveParamFile(app / "Harrowdeck.ini", old));
    const std::string before = ReadFile(app / "Harrowdeck.ini");
    TempDir home;

    test::StartedChild gui({"prlimit", "--fsize=500", program},
                           {"QT_QPA_PLATFORM=offscreen", "HOME=" + home.Path(), "XDG_CONFIG_HOME=" + home / "config",
                            "XDG_RUNTIME_DIR=" + home.Path()});
    for (int wait = 0; wait < 2000 && !CatchesSigterm(gui.Pid()); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    gui.Signal(SIGTERM);
    const test::ChildResult result = gui.Wait(std::chrono::seconds(30));
    EXPECT_EQ(result.signal, 0) << "ended by signal " << result.signal;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find(": File too large\n"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(app / "Harrowdeck.ini"), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(app.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Harrowdeck.ini", "harrowdeck"})) << "a temporary file was left";
}
#endif

} // namespace
} // namespace harrowdeck
