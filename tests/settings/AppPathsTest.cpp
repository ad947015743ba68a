// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppPaths.h"

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

TEST(AppPaths, ParamsBesideAProgramInItsOwnWritableDirectory)
{
    const AppPaths paths =
        MakeAppPaths("/home/me/build/src/app", "/home/me/.config/Harrowdeck", {.writable = true, .holdsParams = false});
    EXPECT_EQ(paths.appDir, "/home/me/build/src/app/");
    EXPECT_EQ(paths.tempFile, "/home/me/build/src/app/Prog.tmp");
    EXPECT_EQ(paths.paramFile, "/home/me/build/src/app/Harrowdeck.ini");
}

TEST(AppPaths, InstalledProgramKeepsParamsPerUser)
{
    const std::string config = "/home/me/.config/Harrowdeck";
    // Read-only, and writable for an administrator: neither writes into /usr.
    for (const bool writable : {false, true}) {
        const AppPaths paths = MakeAppPaths("/usr/bin/", config, {.writable = writable});
        EXPECT_EQ(paths.paramFile, config + "/Harrowdeck.ini");
        EXPECT_EQ(paths.tempFile, "/usr/bin/Prog.tmp");
    }
    EXPECT_EQ(MakeAppPaths("/media/cd/harrowdeck", config, {.writable = false}).paramFile, config + "/Harrowdeck.ini");
}

TEST(AppPaths, AnExistingFileBesideTheProgramIsUsed)
{
    const AppPaths paths = MakeAppPaths("/opt/harrowdeck/", "/c", {.writable = false, .holdsParams = true});
    EXPECT_EQ(paths.paramFile, "/opt/harrowdeck/Harrowdeck.ini");
}

TEST(AppPaths, SystemDirectories)
{
    EXPECT_TRUE(IsSystemProgramDir("/usr/bin"));
    EXPECT_TRUE(IsSystemProgramDir("/usr/local/bin/"));
    EXPECT_TRUE(IsSystemProgramDir("/bin"));
    EXPECT_FALSE(IsSystemProgramDir("/usrdata/bin"));
    EXPECT_FALSE(IsSystemProgramDir("/home/me/usr/bin"));
}

} // namespace
} // namespace harrowdeck
