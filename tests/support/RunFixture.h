// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExportBuilder.h"
#include "FileProbe.h"
#include "GenerationRun.h"
#include "ScriptedUi.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace harrowdeck::test {

// A scripted user who can also act at the question or while the export is
// read, to change the file system under a running generation.
class HookedUi : public ScriptedUi {
public:
    std::function<void()> onQuestion;
    std::function<void()> onProgress; // at every progress report

    bool AskYesNo(const std::string& prompt) override
    {
        if (onQuestion) {
            onQuestion();
        }
        return ScriptedUi::AskYesNo(prompt);
    }

    bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total) override
    {
        if (onProgress) {
            onProgress();
        }
        return ScriptedUi::ReportProgress(stage, done, total);
    }
};

// Every file in a directory with its bytes.
using Snapshot = std::map<std::string, std::string>;

inline Snapshot TakeSnapshot(const std::string& dir)
{
    Snapshot files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        files[entry.path().filename().string()] = entry.is_regular_file() ? ReadFile(entry.path().string()) : "<dir>";
    }
    return files;
}

// The source export and a destination directory inside one scratch
// directory, so that nothing written beside the destination goes unseen.
class RunFixture : public ::testing::Test {
protected:
    TempDir work;
    std::string sourcePath = work / "export.htm";
    std::string destDir = work / "dest" + kSeparator;
    RunOptions options;
    HookedUi ui;

    void SetUp() override
    {
        ASSERT_EQ(MakeDir(destDir), 0);
        options.sourcePath = sourcePath;
        options.destDir = destDir;
    }

    void Source(const std::string& body) { WriteFile(sourcePath, body); }

    // Makes the destination hold exactly the given set, as a finished run
    // left it.
    void PutInPlace(const Snapshot& set)
    {
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        for (const auto& [name, bytes] : set) {
            WriteFile(destDir + name, bytes);
        }
    }

    // The names in the destination, sorted.
    [[nodiscard]] std::vector<std::string> DestFiles() const
    {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : TakeSnapshot(destDir)) {
            names.push_back(name);
        }
        return names;
    }

    RunReport Run()
    {
        ui.messages.clear();
        ui.questions.clear();
        return MakeFrameset(options, ui);
    }
};

} // namespace harrowdeck::test
