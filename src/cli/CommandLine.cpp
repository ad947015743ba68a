// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

namespace harrowdeck {

// All that --help says lives at the top of this file: the description, one
// table of the command line, and the example below the options.

namespace {

constexpr const char* kProgram = "harrowdeck-make";

constexpr const char* kDescription =
    "Turns a Gloamery bookmark export (SOURCE) into the pages of a Harrowdeck frameset in the directory DEST: "
    "1.html, 2.html, ... (one per folder with links), dir.html and Harrowdeck.html.";

// What an entry of the command line takes.
enum class Takes {
    HelpFlag,    // nothing; prints the help text and stops
    VersionFlag, // nothing; prints the version and stops
    WholeNumber, // a value of digits only
    Word,        // one of the words of the entry's value, between '|'
    Argument,    // a required positional argument
};

// One entry of the command line, with all that --help says about it. The
// man page and the README show the same options, spelt as --help prints
// them; the command-line tests compare the three.
// Every member has a default, so that an entry names only what it uses.
struct Entry {
    std::string names{}; // as CLI11 takes them: "-h,--help", "--browse", "SOURCE"
    Takes takes = Takes::Argument;
    std::string value{}; // the value's name ("N", "FILE") or its words ("frame|full|new")
    std::string help{};
    // What the run uses when the option is not given, stated in --help from
    // here so that the text cannot name another default than the one used.
    std::string defaultValue{};
    std::string excludes{}; // an earlier entry that cannot be given with this one
    void (*apply)(const std::string& value, RunOptions& options) = nullptr;
};

BrowseMode BrowseModeOf(const std::string& word)
{
    if (word == "full") {
        return BrowseMode::FullWindow;
    }
    if (word == "new") {
        return BrowseMode::NewWindow;
    }
    return BrowseMode::Frame;
}

FolderMode FolderModeOf(const std::string& word)
{
    return word == "all" ? FolderMode::All : FolderMode::Top;
}

// The command line in the order --help lists it.
const std::vector<Entry>& Entries()
{
    static const std::vector<Entry> entries{
        {.names = "-h,--help", .takes = Takes::HelpFlag, .help = "Print this help message and exit"},
        {.names = "--percent",
         .takes = Takes::WholeNumber,
         .value = "N",
         .help = "Left frame width in percent of the window, 10 to 80",
         .defaultValue = std::to_string(kDefaultLeftPercent),
         .apply = [](const std::string& value, RunOptions& options) { options.procText = value; }},
        {.names = "--pixels",
         .takes = Takes::WholeNumber,
         .value = "N",
         .help = "Left frame width in pixels, at least 20",
         .excludes = "--percent",
         .apply =
             [](const std::string& value, RunOptions& options) {
                 options.sizeMode = SizeMode::Pixels;
                 options.pixelText = value;
             }},
        {.names = "--browse",
         .takes = Takes::Word,
         .value = "frame|full|new",
         .help = "Where a clicked bookmark opens: frame (the right frame), full (the whole window) or new (a new "
                 "window)",
         .defaultValue = "frame",
         .apply = [](const std::string& value, RunOptions& options) { options.browseMode = BrowseModeOf(value); }},
        {.names = "--folders",
         .takes = Takes::Word,
         .value = "top|all",
         .help = "Which folders get a page: top (each top-level folder, with the links of the folders inside it) "
                 "or all (every folder that holds links of its own, named by its path, and the links outside any "
                 "folder on a first page; dir.html shows the folders as a tree)",
         .defaultValue = "top",
         .apply = [](const std::string& value, RunOptions& options) { options.folderMode = FolderModeOf(value); }},
        {.names = "--version", .takes = Takes::VersionFlag, .help = "Display program version information and exit"},
        {.names = "SOURCE",
         .value = "FILE",
         .help = "The exported bookmark file",
         .apply = [](const std::string& value, RunOptions& options) { options.sourcePath = value; }},
        {.names = "DEST",
         .value = "DIR",
         .help = "The existing directory the pages are written to",
         .apply = [](const std::string& value, RunOptions& options) { options.destDir = value; }},
    };
    return entries;
}

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
"Work / Tools" with T, and an index that lists Tools under Work; the
default, --folders top, gives one page "Work" with T and W and leaves A
out.)";

bool IsWholeNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// No description of its own: the option's value name already says what it
// takes, and CLI11 would print the description beside it.
const CLI::Validator kWholeNumber(
    [](std::string& text) {
        return IsWholeNumber(text) ? std::string() : "expected a whole number, got '" + text + "'";
    },
    "");

std::string VersionText()
{
    return std::string(kProgram) + " (" + version::kProgramName + ") " + version::kShortVersion;
}

std::string HelpOf(const Entry& entry)
{
    return entry.defaultValue.empty() ? entry.help : entry.help + "; default " + entry.defaultValue;
}

std::vector<std::string> WordsOf(const std::string& value)
{
    std::vector<std::string> words;
    std::istringstream stream(value);
    for (std::string word; std::getline(stream, word, '|');) {
        words.push_back(word);
    }
    return words;
}

CLI::Option* AddEntry(CLI::App& app, const Entry& entry, std::string& value)
{
    switch (entry.takes) {
    case Takes::HelpFlag:
        return app.set_help_flag(entry.names, entry.help);
    case Takes::VersionFlag:
        return app.set_version_flag(entry.names, VersionText(), entry.help);
    case Takes::WholeNumber:
        return app.add_option(entry.names, value, HelpOf(entry))->check(kWholeNumber)->type_name(entry.value);
    case Takes::Word:
        // The words stand as the value's name; CLI11's own "{a,b}" beside
        // them would say the same twice.
        return app.add_option(entry.names, value, HelpOf(entry))
            ->check(CLI::IsMember(WordsOf(entry.value)).description(""))
            ->type_name(entry.value);
    case Takes::Argument:
        break;
    }
    return app.add_option(entry.names, value, HelpOf(entry))->required()->type_name(entry.value);
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, RunOptions& options, std::ostream& out, std::ostream& err)
{
    CLI::App app(kDescription, kProgram);
    // CLI11 takes "/name" for an option on Windows, where it is also a path
    // from the drive's root: SOURCE and DEST win.
    app.allow_windows_style_options(false);
    const std::vector<Entry>& entries = Entries();
    // Each entry's value, bound to CLI11 before parsing; sized once, as the
    // bindings hold references into it.
    std::vector<std::string> values(entries.size());
    std::vector<CLI::Option*> added;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        values[i] = entries[i].defaultValue;
        added.push_back(AddEntry(app, entries[i], values[i]));
    }
    // By the option itself, not its name: CLI11 looks a name up in a call
    // that may not throw, and memory that runs out there would end the
    // program without a word.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t j = 0; j < entries.size(); ++j) {
            if (!entries[i].excludes.empty() && entries[j].names == entries[i].excludes) {
                added[i]->excludes(added[j]);
            }
        }
    }
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

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (entry.apply != nullptr && (added[i]->count() > 0 || !entry.defaultValue.empty())) {
            entry.apply(values[i], options);
        }
    }
    return std::nullopt;
}

} // namespace harrowdeck
