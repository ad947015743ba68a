// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make --help, its man page and the README describe the same
// options with the same values, and show the same --folders all example.
// --help is built from the program's own table, so it is the reference.
#include "CliRun.h"
#include "Invariants.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace harrowdeck {
namespace {

using test::ReadFile;
using test::RunCli;
using test::SplitLines;

using Lines = std::vector<std::string>;

// Each spelling of an option ("-h", "--help", "--browse") with the value it
// takes as written ("N", "frame|full|new"), or "" when it takes none.
using Options = std::map<std::string, std::string>;

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

Lines LinesOf(const std::string& text)
{
    const std::vector<std::string_view> lines = SplitLines(text);
    return Lines(lines.begin(), lines.end());
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream stream(text);
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string joined;
    for (const std::string& part : parts) {
        joined += (joined.empty() ? "" : separator) + part;
    }
    return joined;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// "-h, --help" or "--percent N": the spellings, each with the word after
// them as its value unless that word is a label such as "Excludes:".
Options OptionsOfEntry(const std::string& entry)
{
    const std::vector<std::string> words = Words(ReplaceAll(entry, ", ", ","));
    if (words.empty()) {
        return {};
    }
    const std::string value = words.size() > 1 && words[1].back() != ':' ? words[1] : "";
    Options options;
    std::istringstream names(words[0]);
    for (std::string name; std::getline(names, name, ',');) {
        options[name] = value;
    }
    return options;
}

// "prog [--percent N | --pixels N] [--browse frame|full|new] SOURCE": each
// option word, with the word after it as its value unless that word is
// another option or punctuation.
Options OptionsOfSynopsis(const std::string& line)
{
    const std::vector<std::string> words = Words(ReplaceAll(ReplaceAll(line, "[", " [ "), "]", " ] "));
    Options options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!StartsWith(words[i], "-")) {
            continue;
        }
        const bool valued = i + 1 < words.size() && !StartsWith(words[i + 1], "-") &&
                            std::set<std::string>{"[", "]", "|"}.count(words[i + 1]) == 0;
        options[words[i]] = valued ? words[i + 1] : "";
    }
    return options;
}

Options LongOnly(const Options& options)
{
    Options longOptions;
    for (const auto& [name, value] : options) {
        if (StartsWith(name, "--")) {
            longOptions[name] = value;
        }
    }
    return longOptions;
}

// The lines after the first that opens, up to the next that closes.
template <typename Opens, typename Closes>
Lines Between(const Lines& lines, Opens opens, Closes closes)
{
    const auto first = std::find_if(lines.begin(), lines.end(), opens);
    return first == lines.end() ? Lines() : Lines(first + 1, std::find_if(first + 1, lines.end(), closes));
}

auto Is(const std::string& text)
{
    return [text](const std::string& line) { return line == text; };
}

auto Starts(const std::string& prefix)
{
    return [prefix](const std::string& line) { return StartsWith(line, prefix); };
}

Options Merged(const std::vector<Options>& parts)
{
    Options merged;
    for (const Options& part : parts) {
        merged.insert(part.begin(), part.end());
    }
    return merged;
}

// --help: the option column of each line under "Options:".
Options OptionsInHelp(const std::string& help)
{
    std::vector<Options> options;
    for (const std::string& line : Between(LinesOf(help), Is("Options:"), Is(""))) {
        const std::string entry = line.substr(std::min(line.find_first_not_of(' '), line.size()));
        if (StartsWith(entry, "-")) {
            options.push_back(OptionsOfEntry(entry.substr(0, entry.find("  "))));
        }
    }
    return Merged(options);
}

// The export lines of --help's example, indented under the line that
// introduces them.
Lines ExampleInHelp(const std::string& help)
{
    Lines example = Between(LinesOf(help), Is("With --folders all, this export:"),
                            [](const std::string& line) { return !StartsWith(line, "  "); });
    for (std::string& line : example) {
        line = line.substr(2);
    }
    return example;
}

// What roff prints for the escapes these pages use.
std::string RoffUnescaped(std::string text)
{
    for (const auto& [escape, shown] :
         {std::pair{"\\-", "-"}, {"\\ ", " "}, {"\\(lq", "\""}, {"\\(rq", "\""}, {"\\&", ""}}) {
        text = ReplaceAll(text, escape, shown);
    }
    return text;
}

// The text a line of a man page shows: the arguments of a font request
// joined as roff joins them (.B and .I with blanks, .BR and the other
// alternating ones without), nothing for other requests.
std::string RoffText(const std::string& line)
{
    static const std::regex request(R"(\.(B|I|BR|BI|IB|IR|RB|RI) (.*)|\..*)");
    static const std::regex argument(R"re("([^"]*)"|(\S+))re");
    std::smatch parts;
    if (!std::regex_match(line, parts, request)) {
        return RoffUnescaped(line);
    }
    std::vector<std::string> arguments;
    const std::string rest = parts[2].str();
    for (auto match = std::sregex_iterator(rest.begin(), rest.end(), argument); match != std::sregex_iterator();
         ++match) {
        arguments.push_back((*match)[1].matched ? (*match)[1].str() : (*match)[2].str());
    }
    return RoffUnescaped(Join(arguments, parts[1].length() == 1 ? " " : ""));
}

Lines ManSection(const std::string& page, const std::string& name)
{
    return Between(LinesOf(page), Is(".SH " + name), Starts(".SH"));
}

// Each .TP paragraph's tag line.
Options OptionsInManList(const Lines& section)
{
    std::vector<Options> options;
    for (auto tp = std::find(section.begin(), section.end(), ".TP"); tp != section.end() && tp + 1 != section.end();
         tp = std::find(tp + 1, section.end(), ".TP")) {
        options.push_back(OptionsOfEntry(RoffText(*(tp + 1))));
    }
    return Merged(options);
}

// The synopsis as it reads, one string for each line that .br ends.
Lines ManSynopsis(const Lines& section)
{
    Lines lines(1);
    for (const std::string& line : section) {
        if (line == ".br") {
            lines.emplace_back();
        } else {
            lines.back() = Join(Words(lines.back() + " " + RoffText(line)), " ");
        }
    }
    return lines;
}

// The no-fill block after the text that brings in --folders all.
Lines ExampleInManPage(const Lines& section)
{
    const auto intro = std::find_if(section.begin(), section.end(), [](const std::string& line) {
        return RoffText(line).find("--folders all") != std::string::npos;
    });
    Lines example = Between(Lines(intro, section.end()), Is(".nf"), Is(".fi"));
    for (std::string& line : example) {
        line = RoffUnescaped(line);
    }
    return example;
}

Lines MarkdownSection(const std::string& text, const std::string& heading)
{
    return Between(LinesOf(text), Is(heading), Starts("#"));
}

Lines FirstCodeBlock(const Lines& section)
{
    return Between(section, Starts("```"), Starts("```"));
}

// "- `-h`, `--help`: print ..." names -h and --help: the code spans that
// open a bullet, with only ", " between them.
Options OptionsInBullets(const Lines& section)
{
    static const std::regex bullet("- (`[^`]+`(, `[^`]+`)*).*");
    std::vector<Options> options;
    std::smatch match;
    for (const std::string& line : section) {
        if (std::regex_match(line, match, bullet)) {
            options.push_back(OptionsOfEntry(ReplaceAll(match[1].str(), "`", "")));
        }
    }
    return Merged(options);
}

std::string Shown(const std::string& name, const std::string& value)
{
    return value.empty() ? name : name + " " + value;
}

// One line for each option that the document lacks, adds, or shows with
// another value than --help does.
std::string Differences(const Options& help, const Options& shown, const std::string& document)
{
    std::string differences;
    for (const auto& [name, value] : help) {
        const auto found = shown.find(name);
        if (found == shown.end()) {
            differences += document + " lacks " + Shown(name, value) + "\n";
        } else if (found->second != value) {
            differences +=
                document + " shows " + Shown(name, found->second) + " where --help prints " + Shown(name, value) + "\n";
        }
    }
    for (const auto& [name, value] : shown) {
        if (help.count(name) == 0) {
            differences += document + " adds " + Shown(name, value) + ", which --help does not print\n";
        }
    }
    return differences;
}

const std::string kManPage = "harrowdeck-make.1";
const std::string kReadme = "README.md";
const std::string kReadmeCliSection = "## The command-line tool";
const std::string kReadmeFoldersAllSection = "### Links outside every folder, and `--folders all`";

TEST(OptionDocs, ManPageAndReadmeShowTheOptionsThatHelpPrints)
{
    const Options help = OptionsInHelp(RunCli({"--help"}).out);
    ASSERT_EQ(help.count("--help"), 1u) << "no options found in --help";
    const std::string man = ReadFile(HARROWDECK_MAKE_MAN_PAGE);
    const Lines manSynopsis = ManSynopsis(ManSection(man, "SYNOPSIS"));
    const Lines readmeSection = MarkdownSection(ReadFile(HARROWDECK_README), kReadmeCliSection);
    const Lines readmeSynopsis = FirstCodeBlock(readmeSection);

    // A synopsis names each option once, by its long name; the lists name
    // every spelling.
    const struct {
        std::string document;
        Options shown;
        Options expected;
    } documents[] = {
        {kManPage + "'s OPTIONS", OptionsInManList(ManSection(man, "OPTIONS")), help},
        {kManPage + "'s SYNOPSIS", OptionsOfSynopsis(Join(manSynopsis, " ")), LongOnly(help)},
        {kReadme + "'s synopsis", OptionsOfSynopsis(Join(readmeSynopsis, " ")), LongOnly(help)},
        {kReadme + "'s option list", OptionsInBullets(readmeSection), help},
    };
    for (const auto& document : documents) {
        const std::string differences = Differences(document.expected, document.shown, document.document);
        EXPECT_TRUE(differences.empty()) << differences;
    }
    EXPECT_EQ(Join(readmeSynopsis, "\n"), Join(manSynopsis, "\n"))
        << kReadme << "'s synopsis and " << kManPage << "'s SYNOPSIS read differently";
}

TEST(OptionDocs, FoldersAllExampleReadsTheSameEverywhere)
{
    const std::string help = Join(ExampleInHelp(RunCli({"--help"}).out), "\n");
    ASSERT_NE(help, "") << "no --folders all example found in --help";
    const std::string man = Join(ExampleInManPage(ManSection(ReadFile(HARROWDECK_MAKE_MAN_PAGE), "EXAMPLES")), "\n");
    EXPECT_EQ(man, help) << kManPage << "'s --folders all example differs from --help's";
    const std::string readme =
        Join(FirstCodeBlock(MarkdownSection(ReadFile(HARROWDECK_README), kReadmeFoldersAllSection)), "\n");
    EXPECT_EQ(readme, help) << kReadme << "'s --folders all example differs from --help's";
}

} // namespace
} // namespace harrowdeck
