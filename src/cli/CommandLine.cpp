// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>

namespace harrowdeck {

namespace {

constexpr const char* kProgram = "harrowdeck-make";

bool IsWholeNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const CLI::Validator kWholeNumber(
    [](std::string& text) { return IsWholeNumber(text) ? std::string() : "expected a whole number, got '" + text + "'"; },
    "N");

int BrowseModeOf(const std::string& name)
{
    if (name == "full") {
        return kBrowseFullWindow;
    }
    if (name == "new") {
        return kBrowseNewWindow;
    }
    return kBrowseFrame;
}

std::string VersionText()
{
    return std::string(kProgram) + " (" + version::kProgramName + ") " + version::kShortVersion;
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, MainState& state, std::ostream& out, std::ostream& err)
{
    CLI::App app("Turns a Gloamery bookmark export (SOURCE) into the pages of a Harrowdeck frameset in the "
                 "directory DEST: 1.html, 2.html, ... (one per folder with links), dir.html and Harrowdeck.html.",
                 kProgram);
    std::string percent;
    std::string pixels;
    std::string browse = "frame";
    auto* percentOption = app.add_option("--percent", percent,
                                         "Left frame width in percent of the window, 10 to 80 (default 25)")
                              ->check(kWholeNumber)
                              ->type_name("N");
    auto* pixelsOption = app.add_option("--pixels", pixels, "Left frame width in pixels, at least 20")
                             ->check(kWholeNumber)
                             ->type_name("N");
    percentOption->excludes(pixelsOption);
    app.add_option("--browse", browse,
                   "Where a clicked bookmark opens: frame (the right frame), full (the whole window) or new "
                   "(a new window); default frame")
        ->check(CLI::IsMember({"frame", "full", "new"}))
        ->type_name("MODE");
    app.add_option("SOURCE", state.sourcePath, "The exported bookmark file")->required()->type_name("FILE");
    app.add_option("DEST", state.destDir, "The existing directory the pages are written to")
        ->required()
        ->type_name("DIR");
    app.set_version_flag("--version", VersionText());

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help, out, err);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version, out, err);
    } catch (const CLI::ParseError& error) {
        err << kProgram << ": " << error.what() << "\n"
            << "Try '" << kProgram << " --help' for more information.\n";
        return kExitUsage;
    }

    state.sizeMode = pixelsOption->count() > 0 ? kSizePixels : kSizePercent;
    const MainState defaults;
    state.procText = percent.empty() ? defaults.procText : percent;
    state.pixelText = pixels.empty() ? defaults.pixelText : pixels;
    state.browseMode = BrowseModeOf(browse);
    return std::nullopt;
}

} // namespace harrowdeck
