// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program writes what the Linux program writes: for every
// export of tests/data and for random exports, in both folder modes and
// every browsing mode, harrowdeck-make.exe under wine leaves the same bytes
// and exits with the same code as harrowdeck-make on Linux. A start of wine,
// and of a program inside it, costs more than most runs, so a few drivers
// under wine make a share of them each: through the program's own entry in
// their process, and the exports of tests/data once more as
// harrowdeck-make.exe in a process of its own, which is what users start.
// The Linux side runs meanwhile.
//
// windows_differential LINUX_PROGRAM WINDOWS_PROGRAM DRIVER WINE_RUN WINE_PREFIX
#include "RandomExport.h"
#include "TestFiles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using harrowdeck::test::ReadFile;

constexpr int kRandomExports = 200;
// Drivers under wine at once. A driver waits mostly for wine's server, one
// call at a time, so a few of them side by side finish sooner even on two
// cores.
constexpr std::size_t kDrivers = 3;
const std::vector<std::string> kFolderModes = {"top", "all"};
const std::vector<std::string> kBrowseModes = {"frame", "full", "new"};

struct Run {
    bool asProcess; // as harrowdeck-make.exe, not in the driver's process
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
    if (argc != 6) {
        std::cerr << "usage: windows_differential LINUX_PROGRAM WINDOWS_PROGRAM DRIVER WINE_RUN WINE_PREFIX\n";
        return 2;
    }
    const std::string linuxProgram = argv[1];
    const std::string windowsProgram = argv[2];
    const std::string driver = argv[3];
    const std::string wineRun = argv[4];
    const std::string winePrefix = argv[5];
    const fs::path work = fs::temp_directory_path() / ("harrowdeck-differential-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);

    std::vector<std::string> dataSources;
    for (const auto& entry : fs::recursive_directory_iterator(harrowdeck::test::DataPath(""))) {
        if (entry.path().extension() == ".htm") {
            dataSources.push_back(entry.path().string());
        }
    }
    std::vector<std::pair<bool, std::string>> sources;
    for (const std::string& source : dataSources) {
        sources.emplace_back(false, source);
        sources.emplace_back(true, source);
    }
    std::mt19937 random(24);
    for (int i = 0; i < kRandomExports; ++i) {
        const fs::path source = work / ("random-" + std::to_string(i) + ".htm");
        std::ofstream(source, std::ios::binary) << harrowdeck::test::MakeRandomExport(random, "").bytes;
        sources.emplace_back(false, source.string());
    }

    std::vector<Run> runs;
    std::vector<std::ofstream> lists;
    for (std::size_t d = 0; d < kDrivers; ++d) {
        lists.emplace_back(work / ("runs-" + std::to_string(d) + ".txt"), std::ios::binary);
    }
    for (const auto& [asProcess, source] : sources) {
        for (const std::string& folders : kFolderModes) {
            for (const std::string& browse : kBrowseModes) {
                const std::string id = std::to_string(runs.size());
                Run run{asProcess, source, folders, browse, work / ("linux-" + id), work / ("windows-" + id)};
                fs::create_directory(run.linuxDest);
                fs::create_directory(run.windowsDest);
                lists[runs.size() % kDrivers] << (asProcess ? "exe" : "in") << "\t--folders\t" << folders
                                              << "\t--browse\t" << browse << "\t" << OnZ(source) << "\t"
                                              << OnZ(run.windowsDest) << "\n";
                runs.push_back(run);
            }
        }
    }
    lists.clear();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto seconds = [start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    std::vector<int> linuxCodes(runs.size());
    double linuxSeconds = 0;
    std::thread linuxSide([&] {
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const Run& run = runs[i];
            const std::string command = Shell(linuxProgram) + " --folders " + run.folders + " --browse " + run.browse +
                                        " " + Shell(run.source) + " " + Shell(run.linuxDest.string()) +
                                        " >/dev/null 2>&1";
            linuxCodes[i] = ExitCode(std::system(command.c_str()));
        }
        linuxSeconds = seconds();
    });
    std::vector<int> driverStatus(kDrivers);
    std::vector<std::thread> drivers;
    for (std::size_t d = 0; d < kDrivers; ++d) {
        drivers.emplace_back([&, d] {
            const std::string name = std::to_string(d) + ".txt";
            const std::string wine = Shell(wineRun) + " " + Shell(winePrefix) + " " + Shell(driver) + " " +
                                     Shell(OnZ(work / ("runs-" + name))) + " " + Shell(OnZ(work / ("codes-" + name))) +
                                     " " + Shell(OnZ(windowsProgram)) + " >/dev/null 2>&1";
            driverStatus[d] = std::system(wine.c_str());
        });
    }
    for (std::thread& d : drivers) {
        d.join();
    }
    const double windowsSeconds = seconds();
    linuxSide.join();
    std::cout << "Linux side " << linuxSeconds << " s, wine side " << windowsSeconds << " s\n";
    std::vector<std::istringstream> windowsCodes;
    for (std::size_t d = 0; d < kDrivers; ++d) {
        if (driverStatus[d] != 0) {
            std::cerr << "driver " << d << " under wine failed (status " << driverStatus[d] << ")\n";
            return 1;
        }
        windowsCodes.emplace_back(ReadFile((work / ("codes-" + std::to_string(d) + ".txt")).string()));
    }

    int differences = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        std::string windowsCode;
        std::getline(windowsCodes[i % kDrivers], windowsCode);
        const bool same =
            windowsCode == std::to_string(linuxCodes[i]) && Contents(run.linuxDest) == Contents(run.windowsDest);
        if (!same && ++differences <= 10) {
            std::cerr << "differs: " << run.source << " --folders " << run.folders << " --browse " << run.browse
                      << (run.asProcess ? " as a process" : " in the driver") << " (exit " << linuxCodes[i]
                      << " on Linux, " << windowsCode << " under wine; " << run.linuxDest.string() << ")\n";
        }
    }
    std::cout << runs.size() << " runs on each side, " << differences << " differ\n";
    if (differences == 0) {
        fs::remove_all(work);
    }
    return differences == 0 ? 0 : 1;
}
