// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on purpose, loaded into a program with LD_PRELOAD. Counting starts
// when main begins: what static objects allocate before that is not part
// of what the program promises. Set in the environment:
//   HARROWDECK_FAIL_ALLOCATION=N       the Nth allocation fails
//   HARROWDECK_FAIL_FROM=1             ... and every one after it too
//   HARROWDECK_COUNT_ALLOCATIONS=PATH  PATH gets the number made, at exit
//   HARROWDECK_KILL_AFTER_RENAME=N     SIGKILL right after the Nth rename
// The program allocates through malloc, calloc and realloc alone.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* old, std::size_t size);
}

namespace {

using MainFunction = int (*)(int, char**, char**);
using StartMain = int (*)(MainFunction, int, char**, void (*)(), void (*)(), void (*)(), void*);
using RenameAt = int (*)(int, const char*, int, const char*);

std::atomic<bool> g_counting{false};
std::atomic<std::uint64_t> g_allocations{0};
std::uint64_t g_failAt = 0;
bool g_failFrom = false;
const char* g_countPath = nullptr;
std::uint64_t g_killAfterRename = 0;
std::atomic<std::uint64_t> g_renames{0};
MainFunction g_main = nullptr;
RenameAt g_renameAt = nullptr;

std::uint64_t NumberFrom(const char* variable)
{
    const char* text = std::getenv(variable);
    std::uint64_t number = 0;
    if (text != nullptr) {
        std::from_chars(text, text + std::strlen(text), number);
    }
    return number;
}

// True when this allocation is to fail.
bool Fails()
{
    if (!g_counting.load(std::memory_order_relaxed)) {
        return false;
    }
    const std::uint64_t number = g_allocations.fetch_add(1, std::memory_order_relaxed) + 1;
    if (g_failAt == 0) {
        return false;
    }
    if (number == g_failAt || (g_failFrom && number > g_failAt)) {
        errno = ENOMEM;
        return true;
    }
    return false;
}

int CountingMain(int argc, char** argv, char** environment)
{
    g_failAt = NumberFrom("HARROWDECK_FAIL_ALLOCATION");
    g_failFrom = NumberFrom("HARROWDECK_FAIL_FROM") != 0;
    g_countPath = std::getenv("HARROWDECK_COUNT_ALLOCATIONS");
    g_killAfterRename = NumberFrom("HARROWDECK_KILL_AFTER_RENAME");
    // Looked up now, while nothing fails: dlsym may allocate.
    g_renameAt = reinterpret_cast<RenameAt>(::dlsym(RTLD_NEXT, "renameat"));
    g_counting = true;
    return g_main(argc, argv, environment);
}

// Writes the count without allocating, at exit.
__attribute__((destructor)) void WriteCount()
{
    g_counting = false;
    if (g_countPath == nullptr) {
        return;
    }
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits - 1, g_allocations.load()).ptr;
    *end++ = '\n';
    const int fd = ::open(g_countPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        // A short write shows as a wrong count in the test.
        [[maybe_unused]] const ssize_t written = ::write(fd, digits, static_cast<std::size_t>(end - digits));
        ::close(fd);
    }
}

} // namespace

extern "C" {

int __libc_start_main(MainFunction main, int argc, char** argv, void (*init)(), void (*fini)(), void (*rtldFini)(),
                      void* stackEnd)
{
    g_main = main;
    const auto next = reinterpret_cast<StartMain>(::dlsym(RTLD_NEXT, "__libc_start_main"));
    return next(CountingMain, argc, argv, init, fini, rtldFini, stackEnd);
}

void* malloc(std::size_t size) noexcept
{
    return Fails() ? nullptr : __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    return Fails() ? nullptr : __libc_calloc(count, size);
}

void* realloc(void* old, std::size_t size) noexcept
{
    return Fails() ? nullptr : __libc_realloc(old, size);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) noexcept
{
    if (g_renameAt == nullptr) {
        g_renameAt = reinterpret_cast<RenameAt>(::dlsym(RTLD_NEXT, "renameat"));
    }
    const int result = g_renameAt(fromDir, from, toDir, to);
    if (g_counting && g_killAfterRename != 0 && ++g_renames == g_killAfterRename) {
        ::raise(SIGKILL);
    }
    return result;
}

} // extern "C"
