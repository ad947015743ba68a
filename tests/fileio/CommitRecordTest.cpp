// SPDX-License-Identifier: GPL-3.0-or-later
// What the next run makes of a commit record a killed run left: it renames
// the files the record names that are still there and still the files it
// names, in its order, then removes the record, and only then sweeps the
// leftovers. A record it may not act on keeps its files.
#include "CommitRecord.h"

#include "PageSet.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

namespace harrowdeck {
namespace {

using Files = std::map<std::string, std::string>;

Files Contents(const std::string& dir)
{
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        files[name] = entry.is_symlink() ? "-> " + std::filesystem::read_symlink(entry.path()).string()
                                         : test::ReadFile(entry.path().string());
    }
    return files;
}

// A killed run's leftovers: three temporary files and the record naming
// them, over a previous set of three.
class Leftovers {
public:
    explicit Leftovers(const test::TempDir& dir) : dir_(dir)
    {
        for (const auto& [key, target] : kPairs) {
            test::WriteFile(dir_ / target, "old " + target);
            test::WriteFile(dir_ / Temp(key), "new " + target);
        }
    }

    [[nodiscard]] std::string Temp(const std::string& key) const { return TemporaryName(::getpid(), key); }

    // The record's text, its lines for the files as they are now.
    [[nodiscard]] std::string Record() const
    {
        std::string text = "harrowdeck commit record 1\n";
        for (const auto& [key, target] : kPairs) {
            struct stat info {};
            ::stat((dir_ / Temp(key)).c_str(), &info);
            text +=
                std::to_string(info.st_dev) + " " + std::to_string(info.st_ino) + " " + Temp(key) + " " + target + "\n";
        }
        return text;
    }

    static inline const std::vector<std::pair<std::string, std::string>> kPairs = {
        {"1", "1.html"}, {"2", "2.html"}, {"dir", "dir.html"}};

private:
    const test::TempDir& dir_;
};

TEST(CommitRecord, TheNextRunCompletesWhatIsStillTheKilledRunsAndNothingElse)
{
    const test::TempDir outside;
    test::WriteFile(outside / "mine", "mine");
    const std::string record(kCommitRecordName);
    struct Case {
        const char* what;
        // Changes the leftovers; record is the text that will be placed.
        std::function<void(const test::TempDir&, const Leftovers&, std::string& record)> change;
        Files expected;
    };
    const Files completed = {{"1.html", "new 1.html"}, {"2.html", "new 2.html"}, {"dir.html", "new dir.html"}};
    const std::vector<Case> cases = {
        {"every file is still there", [](auto&, auto&, auto&) {}, completed},
        {"the first two were renamed before the kill",
         [](const test::TempDir& dir, const Leftovers& left, std::string&) {
             std::filesystem::rename(dir / left.Temp("1"), dir / "1.html");
             std::filesystem::rename(dir / left.Temp("2"), dir / "2.html");
         },
         completed},
        {"a temporary name is made a symlink",
         [&outside](const test::TempDir& dir, const Leftovers& left, std::string&) {
             std::filesystem::remove(dir / left.Temp("2"));
             std::filesystem::create_symlink(outside / "mine", dir / left.Temp("2"));
         },
         {{"1.html", "new 1.html"},
          {"2.html", "old 2.html"},
          {"dir.html", "new dir.html"},
          {TemporaryName(::getpid(), "2"), "-> " + outside / "mine"}}},
        {"a temporary name holds another file, which goes with the leftovers",
         [](const test::TempDir& dir, const Leftovers& left, std::string&) {
             std::filesystem::remove(dir / left.Temp("2"));
             test::WriteFile(dir / left.Temp("2"), "someone else's");
         },
         {{"1.html", "new 1.html"}, {"2.html", "old 2.html"}, {"dir.html", "new dir.html"}}},
        {"a target outside the directory ends the record",
         [](const test::TempDir&, const Leftovers&, std::string& text) {
             text.replace(text.find(" 2.html"), 7, " ../x");
         },
         {{"1.html", "new 1.html"}, {"2.html", "old 2.html"}, {"dir.html", "old dir.html"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        const Leftovers left(dir);
        std::string text = left.Record();
        c.change(dir, left, text);
        test::WriteFile(dir / record, text);

        ASSERT_TRUE(PageSet::Open(dir.Path()));
        EXPECT_EQ(Contents(dir.Path()), c.expected);
        EXPECT_EQ(test::ReadFile(outside / "mine"), "mine");
    }
}

// A record that may be someone else's is left alone, and so is every
// leftover, which it may still need.
TEST(CommitRecord, ARecordThatIsNotTheUsersOwnKeepsItsFiles)
{
    const std::string record(kCommitRecordName);
    struct Case {
        const char* what;
        std::function<void(const test::TempDir&, const std::string& text)> place;
        bool needsRoot;
    };
    const std::vector<Case> cases = {
        {"a symlink to a record",
         [&record](const test::TempDir& dir, const std::string& text) {
             test::WriteFile(dir / "elsewhere", text);
             std::filesystem::create_symlink(dir / "elsewhere", dir / record);
         },
         false},
        {"another user's record",
         [&record](const test::TempDir& dir, const std::string& text) {
             test::WriteFile(dir / record, text);
             ASSERT_EQ(::chown((dir / record).c_str(), 65534, 65534), 0);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && ::geteuid() != 0) {
            continue; // only root can give a file away
        }
        const test::TempDir dir;
        const Leftovers left(dir);
        c.place(dir, left.Record());
        const Files before = Contents(dir.Path());

        ASSERT_TRUE(PageSet::Open(dir.Path()));
        EXPECT_EQ(Contents(dir.Path()), before);
    }
}

} // namespace
} // namespace harrowdeck
