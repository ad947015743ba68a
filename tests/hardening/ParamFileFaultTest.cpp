// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter file under damage and failing saves: the old file survives
// byte for byte, and a damaged file gives exactly the values before the
// damage.
#include "AtomicFile.h"
#include "ChildProcess.h"
#include "ChosenState.h"
#include "Messages.h"
#include "ParamFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// The names in dir, sorted.
std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        found.push_back(entry.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// What a save gives: "saved" or its message.
std::string SaveMessage(const std::string& path)
{
    const std::optional<IoError> error = SaveParamFile(path, Chosen());
    return error ? messages::CouldNotWrite(error->path, error->reason) : "saved";
}

// A failing save, with the old file and the directory as they were.
void ExpectSaveFailsAndKeepsTheOldFile(const std::string& dir, const std::string& reason,
                                       const std::function<std::string(const std::string&)>& save = SaveMessage)
{
    const std::string path = dir + "Harrowdeck.ini";
    const std::vector<std::string> before = Names(dir);
    const std::string old = ReadFile(path);

    EXPECT_EQ(save(path), "Could not write " + path + ": " + reason);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(Names(dir), before) << "a temporary file was left";
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

constexpr uid_t kNobody = 65534;

// A save by a user who is not root: root may open any file for writing
// whatever its mode, so run as root the save is made in a child that has
// become nobody.
std::string SaveAsAnOrdinaryUser(const std::string& path)
{
    if (::geteuid() != 0) {
        return SaveMessage(path);
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        return "no pipe";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ends[0]);
        const bool nobody = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        const std::string result = nobody ? SaveMessage(path) : "could not become nobody";
        [[maybe_unused]] const ssize_t written = ::write(ends[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    ::waitpid(pid, nullptr, 0);
    return result;
}

// The directory's permission to rename over a file is not the file's
// permission to be written: a file that its user cannot open for writing
// stays as it is, and the save says why, as any failed save does.
TEST(ParamFileDamage, AFileThatCannotBeOpenedForWritingIsLeftAsItIs)
{
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* what;
        mode_t mode;
        bool someoneElses; // owned by another user than the one who saves
    };
    const std::vector<Case> cases = {
        {"the user's own file, write-protected", 0444, false},
        {"another user's file", 0644, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.someoneElses && !root) {
            continue; // only root can give a file to another user
        }
        TempDir dir;
        const std::string path = dir / "Harrowdeck.ini";
        MainState old;
        old.destDir = "/old/";
        ASSERT_FALSE(SaveParamFile(path, old));
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        // The saver (nobody, when the tests run as root) may write the folder.
        if (root) {
            ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(path.c_str(), c.someoneElses ? 0 : kNobody, c.someoneElses ? 0 : kNobody), 0);
        }
        const std::string probe = SaveAsAnOrdinaryUser(dir / "probe.ini");
        if (probe != "saved") {
            GTEST_SKIP() << "an ordinary user cannot write in " << dir.Path() << ": " << probe;
        }
        std::filesystem::remove(dir / "probe.ini");
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);

        ExpectSaveFailsAndKeepsTheOldFile(dir.Path(), "Permission denied", SaveAsAnOrdinaryUser);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
    }
}

// Root may open any file for writing, so root's save writes a
// write-protected file, as a plain write would; the file keeps its mode and
// stays its owner's instead of becoming root's.
TEST(ParamFileDamage, RootsSaveKeepsAnotherUsersFileTheirs)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    TempDir dir;
    const std::string path = dir / "Harrowdeck.ini";
    ASSERT_FALSE(SaveParamFile(path, MainState{}));
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    EXPECT_EQ(SaveMessage(path), "saved");
    EXPECT_EQ(ReadFile(path), FormatParams(Chosen()));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_gid, kNobody);
}

// A symlink that another user put in place of the file could point the
// save of a program run by root at any file: it is not followed.
TEST(ParamFileDamage, AnotherUsersSymlinkIsNotFollowed)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a link to another user";
    }
    TempDir dir;
    const std::string elsewhere = dir / "elsewhere.txt";
    test::WriteFile(elsewhere, "not the settings");
    const std::string path = dir / "Harrowdeck.ini";
    std::filesystem::create_symlink(elsewhere, path);
    ASSERT_EQ(::lchown(path.c_str(), kNobody, kNobody), 0);

    EXPECT_EQ(SaveMessage(path), "Could not write " + path + ": Permission denied");
    EXPECT_EQ(ReadFile(elsewhere), "not the settings");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"Harrowdeck.ini", "elsewhere.txt"}));
}

// A save killed between making its temporary file and renaming it leaves
// the file behind; the next save into the folder removes it. What another
// writer left (a run's page, a save still under way) is not the save's.
TEST(ParamFileDamage, AKilledSavesLeftoverGoesWithTheNextSave)
{
    TempDir dir;
    const std::string path = dir / "Harrowdeck.ini";
    const pid_t killed = ::fork();
    if (killed == 0) {
        IoResult<AtomicFile> file = AtomicFile::Create(path);
        if (file) {
            file->Output().Append(FormatParams(Chosen()));
        }
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const std::vector<std::string> leftovers = Names(dir.Path());
    ASSERT_EQ(leftovers.size(), 1u);
    ASSERT_TRUE(TemporaryNameOwner(leftovers[0]) == killed) << leftovers[0];
    // A killed run's page, and a save under way in a live process (pid 1).
    const std::vector<std::string> others = {TemporaryName(killed, "7"), TemporaryName(1, "a3")};
    for (const std::string& name : others) {
        test::WriteFile(dir / name, "not the save's");
    }

    EXPECT_EQ(SaveMessage(path), "saved");
    std::vector<std::string> expected = others;
    expected.push_back("Harrowdeck.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir.Path()), expected);
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
// The program copied into app and started there under the offscreen
// platform (after `prefix`, such as a limit), ended by SIGTERM once it can
// take it, as a user closes it.
test::ChildResult EndProgramBySigterm(const TempDir& app, std::vector<std::string> prefix = {})
{
    const std::string program = app / "harrowdeck";
    std::filesystem::copy_file(HARROWDECK_GUI_PATH, program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    const TempDir home;
    prefix.push_back(program);
    test::StartedChild gui(prefix, {"QT_QPA_PLATFORM=offscreen", "HOME=" + home.Path(),
                                    "XDG_CONFIG_HOME=" + home / "config", "XDG_RUNTIME_DIR=" + home.Path()});
    for (int wait = 0; wait < 2000 && !CatchesSigterm(gui.Pid()); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    gui.Signal(SIGTERM);
    return gui.Wait(std::chrono::seconds(30));
}

// The program itself, ended by SIGTERM with a file-size limit too small for
// its parameter file: the save fails with its reason and the program ends
// normally, instead of being killed by SIGXFSZ halfway through the write.
TEST(ParamFileDamage, TheProgramSurvivesAFileSizeLimitAtExit)
{
    TempDir app;
    // A file larger than the limit, which leaves room for the messages.
    MainState old;
    old.destDir = "/" + std::string(1000, 'd') + "/";
    ASSERT_FALSE(SaveParamFile(app / "Harrowdeck.ini", old));
    const std::string before = ReadFile(app / "Harrowdeck.ini");

    const test::ChildResult result = EndProgramBySigterm(app, {"prlimit", "--fsize=500"});
    EXPECT_EQ(result.signal, 0) << "ended by signal " << result.signal;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find(": File too large\n"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(app / "Harrowdeck.ini"), before);
    EXPECT_EQ(Names(app.Path()), (std::vector<std::string>{"Harrowdeck.ini", "harrowdeck"}))
        << "a temporary file was left";
}

// Harrowdeck.ini linked to something that is no regular file, as
// `ln -s /dev/null Harrowdeck.ini` throws settings away. The program
// starts without waiting on it, and at exit writes a character device in
// place (the null device takes the settings, the full one fails with the
// usual message) and leaves anything else as it was, with a message. Run
// as root, replacing the node would have replaced the system's own.
TEST(ParamFileDamage, TheProgramNeverReplacesTheDeviceOrFifoItsSettingsLinkTo)
{
    struct Case {
        const char* what;
        std::function<bool(const std::string& node)> make;
        bool needsRoot;
        std::string reason; // empty when the save is silent
    };
    const auto device = [](unsigned minor) {
        return
            [minor](const std::string& node) { return ::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0; };
    };
    const std::vector<Case> cases = {
        {"a private null device (c 1 3)", device(3), true, ""},
        {"a private full device (c 1 7)", device(7), true, "No space left on device"},
        {"a FIFO without a reader", [](const std::string& node) { return ::mkfifo(node.c_str(), 0600) == 0; }, false,
         "Not a regular file"},
        {"a socket",
         [](const std::string& node) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             node.copy(address.sun_path, sizeof address.sun_path - 1);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
             ::close(fd);
             return bound;
         },
         false, "Not a regular file"},
        {"a directory", [](const std::string& node) { return ::mkdir(node.c_str(), 0700) == 0; }, false,
         "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && ::geteuid() != 0) {
            continue; // only root makes device nodes
        }
        const TempDir nodes;
        const std::string node = nodes / "node";
        ASSERT_TRUE(c.make(node)) << std::strerror(errno);
        struct stat before {};
        ASSERT_EQ(::lstat(node.c_str(), &before), 0);
        const TempDir app;
        ASSERT_EQ(::symlink(node.c_str(), (app / "Harrowdeck.ini").c_str()), 0);

        const test::ChildResult result = EndProgramBySigterm(app);
        EXPECT_FALSE(result.timedOut) << "the program waited on its settings";
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string message = messages::CouldNotWrite(node, c.reason) + "\n";
        if (c.reason.empty()) {
            EXPECT_EQ(result.err.find("Could not write"), std::string::npos) << result.err;
        } else {
            EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        }
        struct stat after {};
        ASSERT_EQ(::lstat(node.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << "no longer the node it was";
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        EXPECT_EQ(Names(nodes.Path()), std::vector<std::string>{"node"}) << "a temporary file was left";
        EXPECT_TRUE(std::filesystem::is_symlink(app / "Harrowdeck.ini"));
    }
}
#endif

} // namespace
} // namespace harrowdeck
