// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"
#include "ChooserVars.h"
#include "MainWindow.h"
#include "ScriptedRunner.h"
#include "TestFiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace harrowdeck::test {

// A main window whose program directory is a fresh temporary directory and
// whose modal windows are answered by a script.
class MainWindowFixture : public ::testing::Test {
protected:
    TempDir dir;
    ChooserVars chooserVars;
    ScriptedRunner runner;
    std::unique_ptr<frmMain> window;

    [[nodiscard]] AppPaths Paths() const
    {
        return MakeAppPaths(dir.Path(), dir / "config", {.writable = true, .holdsParams = false});
    }
    [[nodiscard]] std::string ParamFile() const { return Paths().paramFile; }

    frmMain& Make()
    {
        window = std::make_unique<frmMain>(Paths(), chooserVars, runner);
        return *window;
    }

    // Writes the parameter file (lines joined with CR LF) and starts up.
    frmMain& StartWith(const std::string& paramLines)
    {
        WriteFile(ParamFile(), Crlf(paramLines));
        return Start();
    }

    frmMain& Start()
    {
        Make().StartUp();
        return *window;
    }

    template <typename Widget>
    [[nodiscard]] Widget& Get(const char* name) const
    {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            ADD_FAILURE() << "no control " << name;
            throw std::runtime_error(name);
        }
        return *widget;
    }

    [[nodiscard]] QString Text(const char* field) const { return Get<QLineEdit>(field).text(); }
    [[nodiscard]] bool Selected(const char* option) const { return Get<QRadioButton>(option).isChecked(); }
};

} // namespace harrowdeck::test
