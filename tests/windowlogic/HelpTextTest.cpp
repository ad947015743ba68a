// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpText.h"

#include <gtest/gtest.h>

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

std::filesystem::path GoldenHelp()
{
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "help" / "help.txt";
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
    // The folders block follows after one more empty line, in the same columns.
    EXPECT_TRUE(lines[33].empty());
    EXPECT_EQ(lines[36], "Every folder     Every folder gets a page of its own,");
    EXPECT_EQ(lines[38], std::string(17, ' ') + "them as a tree.");
}

} // namespace
} // namespace harrowdeck
