// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// Runs argv[0] (searched in PATH) with the arguments, stdin from /dev/null,
// with `environment` ("NAME=value") added, and kills it after `timeout`.
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
class TmpfsMount {
public:
    TmpfsMount(std::string dir, std::size_t bytes);
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    ~TmpfsMount();

    // Empty when mounted, else the system's reason.
    [[nodiscard]] const std::string& Error() const { return error_; }
    // Makes the file system read-only; false with the reason in Error().
    [[nodiscard]] bool MakeReadOnly();

private:
    std::string dir_;
    std::string error_;
    bool mounted_ = false;
};

// True when this build runs under AddressSanitizer, whose shadow memory and
// quarantine make resident-set figures meaningless.
[[nodiscard]] bool UnderAddressSanitizer();

} // namespace harrowdeck::test
