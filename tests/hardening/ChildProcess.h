// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestFiles.h"

#include <chrono>
#include <string>
#include <vector>

namespace harrowdeck::test {

// How a child process ended and what it printed.
struct ChildResult {
    int exitCode = -1; // -1 when it did not exit by itself
    int signal = 0;    // the signal that ended it, or 0
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0;
};

// argv[0] (searched in PATH) started with the arguments, stdin from
// /dev/null, `environment` ("NAME=value") added and SIGXFSZ and SIGPIPE at their defaults,
// for a test that acts on it while it runs. Its standard output is kept for
// the result, or goes to the descriptor standardOutput when one is given.
// A child still running when the object goes is killed.
class StartedChild {
public:
    explicit StartedChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                          int standardOutput = -1);
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;
    ~StartedChild();

    [[nodiscard]] int Pid() const { return pid_; }
    void Signal(int signalNumber) const;
    // Waits until the child has stopped (SIGSTOP), by its state in /proc;
    // false when it has not within 20 s.
    [[nodiscard]] bool WaitStopped() const;
    // Waits for the end, killing the child after `timeout`.
    [[nodiscard]] ChildResult Wait(std::chrono::seconds timeout = std::chrono::seconds(120));

private:
    TempDir io_;
    int pid_ = -1;
    std::chrono::steady_clock::time_point start_;
};

// Starts a child as above and waits for its end.
[[nodiscard]] ChildResult RunChild(const std::vector<std::string>& argv,
                                   std::chrono::seconds timeout = std::chrono::seconds(120),
                                   const std::vector<std::string>& environment = {});

// Mounting a small or read-only file system needs a mount namespace of its
// own. A test asks where it runs: outside, it is run again inside one by
// `unshare -rm` and the outer copy only checks that the inner one passed.
enum class MountNamespace {
    Inside,      // run the test's body here
    RanInside,   // the inner copy ran and its result has been checked
    Unavailable, // unshare -rm does not work on this machine
};
[[nodiscard]] MountNamespace EnterMountNamespace();

// A tmpfs of a given size mounted over a directory (inside the namespace),
// unmounted again when the object goes so that the directory can be removed.
// With `inodes`, it holds that many files, its own directory included.
class TmpfsMount {
public:
    TmpfsMount(std::string dir, std::size_t bytes, std::size_t inodes = 0);
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    ~TmpfsMount();

    // Empty when mounted, else the system's reason.
    [[nodiscard]] const std::string& Error() const { return error_; }
    // Makes the file system read-only; false with the reason in Error().
    [[nodiscard]] bool MakeReadOnly();
    // Lets it hold only `inodes` files from now on, its own directory
    // included; false with the reason in Error().
    [[nodiscard]] bool LimitInodes(std::size_t inodes);

private:
    std::string dir_;
    std::string error_;
    bool mounted_ = false;
};

// True when this build runs under AddressSanitizer, whose shadow memory and
// quarantine make resident-set figures meaningless.
[[nodiscard]] bool UnderAddressSanitizer();

} // namespace harrowdeck::test
