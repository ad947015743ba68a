// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include "FileProbe.h"

#if defined(_WIN32)
#include "windows/Win32Path.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace harrowdeck::test {

namespace {

// Tests create thousands of small files; on a memory file system that takes
// a fraction of the time a disk needs.
std::filesystem::path TestTempRoot()
{
    if (const char* chosen = std::getenv("HARROWDECK_TEST_TMPDIR"); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
#if !defined(_WIN32)
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) {
        return "/dev/shm";
    }
#endif
    return std::filesystem::temp_directory_path();
}

} // namespace

TempDir::TempDir()
{
    const std::filesystem::path root = TestTempRoot();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = root / ("harrowdeck-test-" + std::to_string(random() % 100000000));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            // Private, as mkdtemp makes it.
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
            path_ = candidate.string() + kSeparator;
            return;
        }
        if (error) {
            throw std::runtime_error("cannot create " + candidate.string() + ": " + error.message());
        }
    }
    throw std::runtime_error("no free name for a test directory under " + root.string());
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests may leave read-only directories behind; make them writable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool HasTemporaryFile(const std::string& dir)
{
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename().string().starts_with(".harrowdeck-")) {
            return true;
        }
    }
    return false;
}

bool PathExists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::string Crlf(const std::string& lfText)
{
    std::string out;
    out.reserve(lfText.size() + lfText.size() / 16);
    for (char c : lfText) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

#if defined(_WIN32)

int MakeDir(const std::string& path)
{
    return ::CreateDirectoryW(windows::ToWin32Path(path).path.c_str(), nullptr) ? 0 : -1;
}

FileDescriptor CreateForWriting(const std::string& path)
{
    return FileDescriptor(::CreateFileW(windows::ToWin32Path(path).path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
}

long ProcessId()
{
    return static_cast<long>(::GetCurrentProcessId());
}

// A child held suspended until this process ends.
long LiveProcessId()
{
    static const long pid = [] {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        wchar_t command[] = L"cmd.exe /c exit";
        if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                              nullptr, &startup, &process)) {
            throw std::runtime_error("cannot start cmd.exe");
        }
        static const struct Ender {
            HANDLE process;
            ~Ender() { ::TerminateProcess(process, 0); }
        } ender{process.hProcess};
        return static_cast<long>(process.dwProcessId);
    }();
    return pid;
}

long EndedProcessId()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    wchar_t command[] = L"cmd.exe /c exit";
    if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &process)) {
        throw std::runtime_error("cannot start cmd.exe");
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    // Once its last handle is closed, the process is gone.
    ::CloseHandle(process.hProcess);
    return static_cast<long>(process.dwProcessId);
}

FileIdentity IdentityOfFile(const std::string& path)
{
    const FileDescriptor file(::CreateFileW(windows::ToWin32Path(path).path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &info)) {
        throw std::runtime_error("cannot look at " + path);
    }
    return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

#else

int MakeDir(const std::string& path)
{
    return ::mkdir(path.c_str(), 0755);
}

FileDescriptor CreateForWriting(const std::string& path)
{
    return FileDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

long ProcessId()
{
    return ::getpid();
}

long LiveProcessId()
{
    return ::getppid();
}

long EndedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

FileIdentity IdentityOfFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        throw std::runtime_error("cannot look at " + path);
    }
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

#endif

std::string DataPath(const std::string& relative)
{
    return std::string(HARROWDECK_TEST_DATA_DIR) + "/" + relative;
}

} // namespace harrowdeck::test
