// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>

namespace harrowdeck {

namespace {

constexpr const char* kProgram = "harrowdeck-make";

constexpr const char* kFoldersAllExample = R"(With --folders all, this export:
  <H1>My links</H1>
  <DT><A HREF="a.htm">A</A>
  <DT><H3>Work</H3>
  <DL><p>
      <DT><H3>Tools</H3>
      <DL><p>
          <DT><A HREF="t.htm">T</A>
      </DL><p>
      <DT><A HREF="w.htm">W</A>
  </DL><p>
gives 1.html "My links" with A, 2.html "Work" with W and 3.html
"Work / Tools" with T; the default, --folders top, gives one page "Work"
with T and W and leaves A out.)";

bool IsWholeNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const CLI::Validator kWholeNumber(
    [](std::string& text) {
        return IsWholeNumber(text) ? std::string() : "expected a whole number, got '" + text + "'";
    },
    "N");

BrowseMode BrowseModeOf(const std::string& name)
{
    if (name == "full") {
        return BrowseMode::FullWindow;
    }
    if (name == "new") {
        return BrowseMode::NewWindow;
    }
    return BrowseMode::Frame;
}

std::string VersionText()
{
    return std::string(kProgram) + " (" + version::kProgramName + ") " + version::kShortVersion;
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, RunOptions& options, std::ostream& out, std::ostream& err)
{
    CLI::App app("Turns a Gloamery bookmark export (SOURCE) into the pages of a Harrowdeck frameset in the "
                 "directory DEST: 1.html, 2.html, ... (one per folder with links), dir.html and Harrowdeck.html.",
                 kProgram);
    std::string percent;
    std::string pixels;
    std::string browse = "frame";
    std::string folders = "top";
    auto* percentOption = app.add_option("--percent", percent,
                                         "Left frame width in percent of the window, 10 to 80 (default " +
                                             std::to_string(kDefaultLeftPercent) + ")")
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
    app.add_option("--folders", folders,
                   "Which folders get a page: top (each top-level folder, with the links of the folders inside "
                   "it; the default) or all (every folder that holds links of its own, the links outside any "
                   "folder on a first page, each named by its path)")
        ->check(CLI::IsMember({"top", "all"}))
        ->type_name("WHICH");
    app.add_option("SOURCE", options.sourcePath, "The exported bookmark file")->required()->type_name("FILE");
    app.add_option("DEST", options.destDir, "The existing directory the pages are written to")
        ->required()
        ->type_name("DIR");
    app.set_version_flag("--version", VersionText());
    app.footer(kFoldersAllExample);

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

    options.sizeMode = pixelsOption->count() > 0 ? SizeMode::Pixels : SizeMode::Percent;
    const RunOptions defaults;
    options.procText = percent.empty() ? defaults.procText : percent;
    options.pixelText = pixels.empty() ? defaults.pixelText : pixels;
    options.browseMode = BrowseModeOf(browse);
    options.folderMode = folders == "all" ? FolderMode::All : FolderMode::Top;
    return std::nullopt;
}

} // namespace harrowdeck
