// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#if defined(_WIN32)

namespace harrowdeck::test {

// Windows limits neither a process's files nor their size: the tests of a
// full disk and of few descriptors are POSIX's.
inline constexpr bool kCanLimitFileSize = false;

} // namespace harrowdeck::test

#else

#include <sys/resource.h>

#include <csignal>

namespace harrowdeck::test {

inline constexpr bool kCanLimitFileSize = true;

// Lowers one of this process's limits (RLIMIT_...) while the object lives.
class ResourceLimit {
public:
    ResourceLimit(int resource, rlim_t value) : resource_(resource)
    {
        ::getrlimit(resource_, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = value;
        ::setrlimit(resource_, &limit);
    }
    ResourceLimit(const ResourceLimit&) = delete;
    ResourceLimit& operator=(const ResourceLimit&) = delete;
    ~ResourceLimit() { ::setrlimit(resource_, &previous_); }

private:
    int resource_;
    rlimit previous_{};
};

// Limits the size of any file this process writes, as a full disk would. It
// holds for root too, where file modes do not stop writes. SIGXFSZ is
// ignored meanwhile, so that the write fails with EFBIG instead of ending
// the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)), limit_(RLIMIT_FSIZE, bytes)
    {
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() { std::signal(SIGXFSZ, previousHandler_); }

private:
    void (*previousHandler_)(int);
    ResourceLimit limit_; // lifted before the handler is restored
};

} // namespace harrowdeck::test

#endif
