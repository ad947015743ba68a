// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppPaths.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace harrowdeck {

namespace {

std::string WithSeparator(std::string dir)
{
    AppendSeparator(dir);
    return dir;
}

} // namespace

bool IsSystemProgramDir(const std::string& dir)
{
    static constexpr std::array<std::string_view, 5> kSystemTrees = {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/"};
    const std::string withSeparator = WithSeparator(dir);
    for (const std::string_view tree : kSystemTrees) {
        if (withSeparator.starts_with(tree)) {
            return true;
        }
    }
    return false;
}

AppPaths MakeAppPaths(std::string appDir, const std::string& configDir, const ProgramDirFacts& facts)
{
    AppPaths paths;
    paths.appDir = WithSeparator(std::move(appDir));
    paths.tempFile = paths.appDir + kTempFileName;
    const bool besideProgram = facts.holdsParams || (facts.writable && !IsSystemProgramDir(paths.appDir));
    paths.paramFile = besideProgram ? paths.appDir + kParamFileName : WithSeparator(configDir) + kParamFileName;
    return paths;
}

void EnsureParamDirExists(const AppPaths& paths)
{
    // A directory that cannot be made shows as the save's own failure.
    try {
        std::error_code ignored;
        std::filesystem::create_directories(PathFromUtf8(paths.paramFile).parent_path(), ignored);
    } catch (...) {
        // A name that is not UTF-8 cannot be made either.
    }
}

} // namespace harrowdeck
