// SPDX-License-Identifier: GPL-3.0-or-later
#include "IdentityTable.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace harrowdeck {
namespace {

// Keys come in every order a run makes them: rising past many windows,
// behind the window once it has moved, and scattered. Whatever was set
// reads back, from the window or from the file, and a key never set reads 0.
TEST(IdentityTable, WhatIsSetReadsBackInAnyOrder)
{
    std::vector<std::uint64_t> rising;
    for (std::uint64_t key = 0; key < 40000; key += 3) {
        rising.push_back(key);
    }
    std::vector<std::uint64_t> scattered = rising;
    std::shuffle(scattered.begin(), scattered.end(), std::mt19937_64(7));
    // The root's page comes last, and an outer folder's after its inner ones.
    std::vector<std::uint64_t> lateFirst = {20000, 20001, 30000, 0, 5, 30001, 12};
    struct Case {
        const char* what;
        const std::vector<std::uint64_t>& keys;
    };
    for (const Case& c : {Case{"rising", rising}, Case{"scattered", scattered}, Case{"late first keys", lateFirst}}) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        IoResult<TargetDirectory> target = TargetDirectory::Open(dir.Path());
        ASSERT_TRUE(target);
        IdentityTable table;
        for (const std::uint64_t key : c.keys) {
            ASSERT_FALSE(table.Set(*target, key, key * 7 + 1));
        }
        // Read back as a reopening would, in the order set...
        for (const std::uint64_t key : c.keys) {
            IoResult<std::uint64_t> value = table.Get(*target, key);
            ASSERT_TRUE(value);
            EXPECT_EQ(*value, key * 7 + 1) << key;
        }
        // ... and as a commit does, every key from the first on.
        ASSERT_FALSE(table.Rewind(*target));
        const std::set<std::uint64_t> keys(c.keys.begin(), c.keys.end());
        for (std::uint64_t key = 0; key <= *keys.rbegin() + 1; ++key) {
            IoResult<std::uint64_t> value = table.Get(*target, key);
            ASSERT_TRUE(value);
            const bool set = keys.contains(key);
            ASSERT_EQ(*value, set ? key * 7 + 1 : 0) << key;
        }
        // Windows has no unnamed files: its scratch files go when closed.
        EXPECT_TRUE(test::kOnWindows || !test::HasTemporaryFile(dir.Path())) << "the table's file has no name";
    }
}

} // namespace
} // namespace harrowdeck
