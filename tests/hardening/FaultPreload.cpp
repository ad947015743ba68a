// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on purpose, loaded into a program with LD_PRELOAD. Counting starts
// when main begins: what static objects allocate before that is not part
// of what the program promises. Set in the environment:
//   HARROWDECK_FAIL_ALLOCATION=N       the Nth allocation fails
//   HARROWDECK_FAIL_FROM=1             ... and every one after it too
//   HARROWDECK_COUNT_ALLOCATIONS=PATH  PATH gets the number made, at exit
//   HARROWDECK_KILL_AFTER_RENAME=N     SIGKILL right after the Nth rename
//   HARROWDECK_STOP_AFTER_RENAME=N     SIGSTOP right after the Nth rename, for
//                                      a test to act on the stopped program
//   HARROWDECK_NO_EXCLUSIVE_RENAME=1   renameat2 refuses RENAME_NOREPLACE and
//                                      RENAME_EXCHANGE, as file systems
//                                      without them do
// Renames are those of renameat and renameat2.
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
using RenameAt2 = int (*)(int, const char*, int, const char*, unsigned);

std::atomic<bool> g_counting{false};
std::atomic<std::uint64_t> g_allocations{0};
std::uint64_t g_failAt = 0;
bool g_failFrom = false;
const char* g_countPath = nullptr;
std::uint64_t g_killAfterRename = 0;
std::uint64_t g_stopAfterRename = 0;
bool g_noExclusiveRename = false;
std::atomic<std::uint64_t> g_renames{0};
MainFunction g_main = nullptr;
RenameAt g_renameAt = nullptr;
RenameAt2 g_renameAt2 = nullptr;

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
    g_stopAfterRename = NumberFrom("HARROWDECK_STOP_AFTER_RENAME");
    g_noExclusiveRename = NumberFrom("HARROWDECK_NO_EXCLUSIVE_RENAME") != 0;
    // Looked up now, while nothing fails: dlsym may allocate.
    g_renameAt = reinterpret_cast<RenameAt>(::dlsym(RTLD_NEXT, "renameat"));
    g_renameAt2 = reinterpret_cast<RenameAt2>(::dlsym(RTLD_NEXT, "renameat2"));
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

// Counts a rename that was made, and acts at the one asked for.
void AfterRename(int result)
{
    if (!g_counting || result != 0) {
        return;
    }
    const std::uint64_t number = ++g_renames;
    if (number == g_killAfterRename) {
        ::raise(SIGKILL);
    }
    if (number == g_stopAfterRename) {
        ::raise(SIGSTOP);
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
    AfterRename(result);
    return result;
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) noexcept
{
    if (g_renameAt2 == nullptr) {
        g_renameAt2 = reinterpret_cast<RenameAt2>(::dlsym(RTLD_NEXT, "renameat2"));
    }
    if (g_noExclusiveRename && flags != 0) {
        errno = EINVAL;
        return -1;
    }
    const int result = g_renameAt2(fromDir, from, toDir, to, flags);
    AfterRename(result);
    return result;
}

} // extern "C"
