// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcess.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

namespace harrowdeck::test {

namespace {

constexpr const char* kInsideVariable = "HARROWDECK_INSIDE_MOUNT_NAMESPACE";

[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                            const std::string& outPath, const std::string& errPath, int standardOutput)
{
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = standardOutput >= 0 ? standardOutput : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
        ::_exit(126);
    }
    // A test that limits file sizes ignores SIGXFSZ, and a test runner may
    // ignore SIGPIPE; the child must not inherit that, or it would not show
    // how the program handles the signals.
    ::signal(SIGXFSZ, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    for (const std::string& assignment : environment) {
        ::putenv(const_cast<char*>(assignment.c_str()));
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

std::string SelfPath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

bool UnshareWorks()
{
    static const bool works = [] {
        const ChildResult probe = RunChild({"unshare", "-rm", "true"}, std::chrono::seconds(20));
        return probe.exitCode == 0;
    }();
    return works;
}

} // namespace

StartedChild::StartedChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                           int standardOutput)
    : start_(std::chrono::steady_clock::now())
{
    const std::string outPath = io_ / "out";
    const std::string errPath = io_ / "err";
    WriteFile(outPath, "");
    pid_ = ::fork();
    if (pid_ == 0) {
        ExecChild(argv, environment, outPath, errPath, standardOutput);
    }
}

StartedChild::~StartedChild()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void StartedChild::Signal(int signalNumber) const
{
    if (pid_ > 0) {
        ::kill(pid_, signalNumber);
    }
}

bool StartedChild::WaitStopped() const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        const std::string text{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
        // "pid (name) state ...": the name may hold anything, the state
        // follows its last ')'.
        const std::size_t nameEnd = text.rfind(')');
        if (nameEnd != std::string::npos && nameEnd + 2 < text.size() && text[nameEnd + 2] == 'T') {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

ChildResult StartedChild::Wait(std::chrono::seconds timeout)
{
    ChildResult result;
    if (pid_ < 0) {
        result.err = "fork failed";
        return result;
    }
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            break;
        }
        if (std::chrono::steady_clock::now() - start_ > timeout) {
            result.timedOut = true;
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = ReadFile(io_ / "out");
    result.err = ReadFile(io_ / "err");
    return result;
}

ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::seconds timeout,
                     const std::vector<std::string>& environment)
{
    return StartedChild(argv, environment).Wait(timeout);
}

MountNamespace EnterMountNamespace()
{
    if (std::getenv(kInsideVariable) != nullptr) {
        return MountNamespace::Inside;
    }
    if (!UnshareWorks()) {
        return MountNamespace::Unavailable;
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    const ChildResult inner = RunChild({"unshare", "-rm", SelfPath(), filter}, std::chrono::seconds(300),
                                       {std::string(kInsideVariable) + "=1"});
    EXPECT_EQ(inner.exitCode, 0) << inner.out << inner.err;
    EXPECT_NE(inner.out.find("[  PASSED  ] 1 test."), std::string::npos) << inner.out << inner.err;
    return MountNamespace::RanInside;
}

TmpfsMount::TmpfsMount(std::string dir, std::size_t bytes, std::size_t inodes) : dir_(std::move(dir))
{
    std::string options = "size=" + std::to_string(bytes);
    if (inodes > 0) {
        options += ",nr_inodes=" + std::to_string(inodes);
    }
    mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) {
        error_ = std::strerror(errno);
    }
}

TmpfsMount::~TmpfsMount()
{
    if (mounted_) {
        ::umount2(dir_.c_str(), MNT_DETACH);
    }
}

bool TmpfsMount::MakeReadOnly()
{
    if (::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool TmpfsMount::LimitInodes(std::size_t inodes)
{
    const std::string options = "nr_inodes=" + std::to_string(inodes);
    if (::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool UnderAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace harrowdeck::test
