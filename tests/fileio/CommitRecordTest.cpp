// SPDX-License-Identifier: GPL-3.0-or-later
// What the next run makes of a commit record a killed run left: it renames
// the files the record names that are still there and still the files it
// names, in its order, then removes the record, and only then sweeps the
// leftovers. A record it may not act on keeps its files.
#include "CommitRecord.h"

#include "PageSet.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

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

    [[nodiscard]] std::string Temp(const std::string& key) const { return TemporaryName(test::ProcessId(), key); }

    // The record's text, its lines for the files as they are now.
    [[nodiscard]] std::string Record() const
    {
        std::string text = "harrowdeck commit record 1\n";
        for (const auto& [key, target] : kPairs) {
            const FileIdentity file = test::IdentityOfFile(dir_ / Temp(key));
            text +=
                std::to_string(file.device) + " " + std::to_string(file.inode) + " " + Temp(key) + " " + target + "\n";
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
    const std::string second = TemporaryName(test::ProcessId(), "2");
    struct Case {
        const char* what;
        // Changes the leftovers and the record's text before it is placed.
        std::function<void(const test::TempDir&, std::string& text)> change;
        Files expected; // empty: nothing may change
        bool needsRoot = false;
        bool needsLinks = false; // which Windows gives only with a privilege
    };
    const Files completed = {{"1.html", "new 1.html"}, {"2.html", "new 2.html"}, {"dir.html", "new dir.html"}};
    const Files secondKept = {{"1.html", "new 1.html"}, {"2.html", "old 2.html"}, {"dir.html", "new dir.html"}};
    const std::vector<Case> cases = {
        {"every file is still there", [](auto&, auto&) {}, completed},
        {"the first two were renamed before the kill",
         [](const test::TempDir& dir, std::string&) {
             std::filesystem::rename(dir / TemporaryName(test::ProcessId(), "1"), dir / "1.html");
             std::filesystem::rename(dir / TemporaryName(test::ProcessId(), "2"), dir / "2.html");
         },
         completed},
        {"a temporary name is made a symlink, which stays",
         [&](const test::TempDir& dir, std::string&) {
             std::filesystem::remove(dir / second);
             std::filesystem::create_symlink(outside / "mine", dir / second);
         },
         [&] {
             Files files = secondKept;
             files[second] = "-> " + outside / "mine";
             return files;
         }(),
         false, true},
        {"a temporary name holds another file, which goes with the leftovers",
         [&](const test::TempDir& dir, std::string&) {
             // Kept, so that the new file cannot be given the old one's number.
             std::filesystem::rename(dir / second, outside / "moved");
             test::WriteFile(dir / second, "someone else's");
         },
         secondKept},
        {"a target outside the directory ends the record",
         [](const test::TempDir&, std::string& text) { text.replace(text.find(" 2.html"), 7, " ../x"); },
         {{"1.html", "new 1.html"}, {"2.html", "old 2.html"}, {"dir.html", "old dir.html"}}},
        // A record that may be someone else's is left alone, and so is every
        // leftover, which it may still need.
        {"the record is a symlink",
         [&](const test::TempDir& dir, std::string& text) {
             test::WriteFile(dir / "elsewhere", text);
             text.clear();
             std::filesystem::create_symlink(dir / "elsewhere", dir / record);
         },
         {},
         false,
         true},
        {"the record is another user's",
         [&](const test::TempDir& dir, std::string& text) {
             test::WriteFile(dir / record, text);
             text.clear();
#if !defined(_WIN32)
             ASSERT_EQ(::chown((dir / record).c_str(), 65534, 65534), 0);
#endif
         },
         {},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (test::kOnWindows && (c.needsRoot || c.needsLinks)) {
            continue; // users, and links for everyone, are POSIX's
        }
#if !defined(_WIN32)
        if (c.needsRoot && ::geteuid() != 0) {
            continue; // only root can give a file away
        }
#endif
        const test::TempDir dir;
        const Leftovers left(dir);
        std::string text = left.Record();
        c.change(dir, text);
        if (!text.empty()) {
            test::WriteFile(dir / record, text);
        }
        const Files before = Contents(dir.Path());

        ASSERT_TRUE(PageSet::Open(dir.Path()));
        EXPECT_EQ(Contents(dir.Path()), c.expected.empty() ? before : c.expected);
        EXPECT_EQ(test::ReadFile(outside / "mine"), "mine");
    }
}

} // namespace
} // namespace harrowdeck
