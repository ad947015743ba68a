// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    if (::access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

} // namespace

TempDir::TempDir()
{
    std::string pattern = (TestTempRoot() / "harrowdeck-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    path_ = pattern + "/";
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

std::string DataPath(const std::string& relative)
{
    return std::string(HARROWDECK_TEST_DATA_DIR) + "/" + relative;
}

} // namespace harrowdeck::test
