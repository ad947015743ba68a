// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program writes what the Linux program writes: for every
// export of tests/data and for random exports, in both folder modes and
// every browsing mode, harrowdeck-make.exe under wine leaves the same bytes
// and exits with the same code as harrowdeck-make on Linux. Every wine run
// goes into one batch file, which one cmd.exe works through: a start of
// wine costs more than most runs.
//
// windows_differential LINUX_PROGRAM WINDOWS_PROGRAM WINE_RUN WINE_PREFIX
#include "RandomExport.h"
#include "TestFiles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using harrowdeck::test::ReadFile;

constexpr int kRandomExports = 200;
const std::vector<std::string> kFolderModes = {"top", "all"};
const std::vector<std::string> kBrowseModes = {"frame", "full", "new"};

struct Run {
    std::string source;
    std::string folders;
    std::string browse;
    fs::path linuxDest;
    fs::path windowsDest;
};

std::map<std::string, std::string> Contents(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = ReadFile(entry.path().string());
    }
    return files;
}

std::string Shell(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A Unix path as wine's programs see it, on its drive Z:.
std::string OnZ(const fs::path& path)
{
    std::string windows = "Z:" + path.string();
    for (char& c : windows) {
        c = c == '/' ? '\\' : c;
    }
    return windows;
}

int ExitCode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: windows_differential LINUX_PROGRAM WINDOWS_PROGRAM WINE_RUN WINE_PREFIX\n";
        return 2;
    }
    const std::string linuxProgram = argv[1];
    const std::string windowsProgram = argv[2];
    const std::string wineRun = argv[3];
    const std::string winePrefix = argv[4];
    const fs::path work = fs::temp_directory_path() / ("harrowdeck-differential-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);

    std::vector<std::string> sources;
    for (const auto& entry : fs::recursive_directory_iterator(harrowdeck::test::DataPath(""))) {
        if (entry.path().extension() == ".htm") {
            sources.push_back(entry.path().string());
        }
    }
    std::mt19937 random(24);
    for (int i = 0; i < kRandomExports; ++i) {
        const fs::path source = work / ("random-" + std::to_string(i) + ".htm");
        std::ofstream(source, std::ios::binary) << harrowdeck::test::MakeRandomExport(random, "").bytes;
        sources.push_back(source.string());
    }

    std::vector<Run> runs;
    std::ofstream batch(work / "runs.bat", std::ios::binary);
    batch << "@echo off\r\n";
    for (const std::string& source : sources) {
        for (const std::string& folders : kFolderModes) {
            for (const std::string& browse : kBrowseModes) {
                const std::string id = std::to_string(runs.size());
                Run run{source, folders, browse, work / ("linux-" + id), work / ("windows-" + id)};
                fs::create_directory(run.linuxDest);
                fs::create_directory(run.windowsDest);
                batch << "\"" << OnZ(windowsProgram) << "\" --folders " << folders << " --browse " << browse << " \""
                      << OnZ(source) << "\" \"" << OnZ(run.windowsDest)
                      << "\" >NUL 2>NUL\r\n"
                      // The redirection first: "echo 1>file" would redirect stream 1.
                      << ">\"" << OnZ(work / ("code-" + id)) << "\" echo %ERRORLEVEL%\r\n";
                runs.push_back(run);
            }
        }
    }
    batch.close();

    std::vector<int> linuxCodes;
    for (const Run& run : runs) {
        const std::string command = Shell(linuxProgram) + " --folders " + run.folders + " --browse " + run.browse +
                                    " " + Shell(run.source) + " " + Shell(run.linuxDest.string()) + " >/dev/null 2>&1";
        linuxCodes.push_back(ExitCode(std::system(command.c_str())));
    }
    const std::string wine = Shell(wineRun) + " " + Shell(winePrefix) + " cmd.exe /c " + Shell(OnZ(work / "runs.bat"));
    if (std::system(wine.c_str()) != 0) {
        std::cerr << "wine could not run the batch file\n";
        return 1;
    }

    int differences = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        std::string windowsCode = ReadFile((work / ("code-" + std::to_string(i))).string());
        windowsCode.erase(windowsCode.find_last_not_of("\r\n ") + 1);
        const bool same =
            windowsCode == std::to_string(linuxCodes[i]) && Contents(run.linuxDest) == Contents(run.windowsDest);
        if (!same && ++differences <= 10) {
            std::cerr << "differs: " << run.source << " --folders " << run.folders << " --browse " << run.browse
                      << " (exit " << linuxCodes[i] << " on Linux, " << windowsCode << " under wine)\n";
        }
    }
    std::cout << runs.size() << " runs on each side, " << differences << " differ\n";
    if (differences == 0) {
        fs::remove_all(work);
    }
    return differences == 0 ? 0 : 1;
}
