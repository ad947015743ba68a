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
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "help"
           / "help.txt";
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", start)) {
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

TEST(HelpText, HasThirtyThreeCrLfLinesAndNoBareLineFeeds)
{
    const std::string text = BuildHelpText();
    const std::vector<std::string> lines = LinesOf(text);
    ASSERT_EQ(lines.size(), 33u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    EXPECT_EQ(lines[31], "Harrowdeck");
    EXPECT_TRUE(lines[32].empty());
}

TEST(HelpText, DescriptionsStartInTheEighteenthColumn)
{
    const std::vector<std::string> lines = LinesOf(BuildHelpText());
    const std::vector<std::pair<std::size_t, std::string>> entries = {
        {2, "Gloamery source"}, {5, "Destination"}, {10, "Procent"},     {13, "Pixel"},
        {19, "Frame"},          {22, "Full Window"}, {26, "New Window"}};
    for (const auto& [index, label] : entries) {
        EXPECT_EQ(lines[index].substr(0, 17).find(label), 0u) << label;
        EXPECT_EQ(lines[index].substr(label.size(), 17 - label.size()),
                  std::string(17 - label.size(), ' '))
            << label;
        EXPECT_NE(lines[index][17], ' ') << label;
    }
    for (std::size_t index : {3u, 6u, 11u, 14u, 20u, 24u, 27u}) {
        EXPECT_EQ(lines[index].substr(0, 17), std::string(17, ' ')) << "line " << index + 1;
        EXPECT_NE(lines[index][17], ' ') << "line " << index + 1;
    }
}

} // namespace
} // namespace harrowdeck
