// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpText.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace harrowdeck {
namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Found by the test data's absolute path: a file name taken from __FILE__
// is relative to the build directory when the compiler cache rewrites it.
std::filesystem::path GoldenHelp()
{
    return test::DataPath("help/help.txt");
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(HelpText, MatchesTheGoldenFileByteForByte)
{
    const std::string golden = ReadBytes(GoldenHelp());
    ASSERT_FALSE(golden.empty()) << "missing golden file " << GoldenHelp();
    EXPECT_EQ(BuildHelpText(), golden);
}

TEST(HelpText, HasThirtyNineCrLfLinesAndNoBareLineFeeds)
{
    const std::string text = BuildHelpText();
    const std::vector<std::string> lines = LinesOf(text);
    ASSERT_EQ(lines.size(), 39u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    EXPECT_EQ(lines[31], "Harrowdeck");
    EXPECT_TRUE(lines[32].empty());
    // The folders block follows after one more empty line, in the same
    // columns, broken at words where the classic lines end, so that the
    // window wraps none of them.
    EXPECT_TRUE(lines[33].empty());
    EXPECT_EQ(lines[36], "Every folder     Every folder gets a page of its");
    EXPECT_EQ(lines[37], std::string(17, ' ') + "own, nested ones too, and the");
    EXPECT_EQ(lines[38], std::string(17, ' ') + "index shows them as a tree.");
    std::size_t widest = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), kHelpLineWidth) << "line " << i + 1;
        widest = std::max(widest, i < 33 ? lines[i].size() : 0);
    }
    EXPECT_EQ(widest, kHelpLineWidth) << "the classic lines set the width";
}

TEST(HelpText, TheBoxCoversTheClientAreaAndNeverLessThanNothing)
{
    const struct {
        double width, height;
        WindowRect place;
    } cases[] = {
        {437, 265, {0, 0, 437, 265}},
        {874, 530, {0, 0, 874, 530}},
        {0, 0, {0, 0, 0, 0}},
        {-20, -3, {0, 0, 0, 0}}, // minimised, or a frame larger than the window
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HelpTextBoxPlace(c.width, c.height), c.place) << c.width << " x " << c.height;
    }
}

} // namespace
} // namespace harrowdeck
