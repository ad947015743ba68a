// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainWindowLogic.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace harrowdeck::test {

// A front end without a display: it keeps what the rules set and records
// what they ask for, and answers the choosers and boxes by a script.
class FakeView final : public MainWindowView, public RunSurface {
public:
    std::map<MainControl, std::string> texts;
    std::map<MainControl, bool> checked;
    std::vector<std::string> calls; // "about", "help", "close", "show", "end request"
    std::vector<MessageBoxRequest> boxes;
    std::vector<ProgressShown> progress; // every open or redraw
    WindowRect outer{0, 0, 409, 272};
    ScreenLayout screens{{{0, 0, 1280, 1024}}, {0, 0, 1280, 1024}};
    double dpi = 96;
    bool yes = true;
    bool cancel = false;
    std::function<void(ChooserVars&)> onChooseFile;
    std::function<void(ChooserVars&)> onChooseDirectory;
    std::function<void()> onEvents; // while a run handles events

    std::string Text(MainControl field) const override
    {
        const auto found = texts.find(field);
        return found == texts.end() ? std::string() : found->second;
    }
    void SetText(MainControl field, const std::string& text) override { texts[field] = text; }
    void SetChecked(MainControl button, bool on) override { checked[button] = on; }
    void SelectWholeText(MainControl) override { calls.push_back("select"); }
    void Focus(MainControl control) override { calls.push_back("focus " + std::string(EntryOf(control).name)); }
    WindowRect OuterRect() const override { return outer; }
    void MoveOuterTo(double left, double top) override
    {
        outer.left = left;
        outer.top = top;
    }
    double Dpi() const override { return dpi; }
    ScreenLayout Screens() const override { return screens; }
    void ShowWindow() override { calls.push_back("show"); }
    void ShowAbout() override { calls.push_back("about"); }
    void ShowHelp(const std::string& text) override { calls.push_back("help " + std::to_string(text.size())); }
    void ChooseFile(ChooserVars& vars) override
    {
        if (onChooseFile) {
            onChooseFile(vars);
        }
    }
    void ChooseDirectory(ChooserVars& vars) override
    {
        if (onChooseDirectory) {
            onChooseDirectory(vars);
        }
    }
    RunSurface& RunDisplay() override { return *this; }
    void Close() override { calls.push_back("close"); }
    void PostEndRequest() override { calls.push_back("end request"); }

    // RunSurface
    bool RunBox(const MessageBoxRequest& box) override
    {
        boxes.push_back(box);
        return box.yesNo && yes;
    }
    void OpenProgress(const ProgressShown& shown) override { progress.push_back(shown); }
    void ShowProgress(const ProgressShown& shown) override { progress.push_back(shown); }
    void CloseProgress() noexcept override {}
    void HandleEvents() override
    {
        if (onEvents) {
            onEvents();
        }
    }
    bool CancelPressed() const override { return cancel; }

    [[nodiscard]] std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> shown;
        for (const MessageBoxRequest& box : boxes) {
            shown.push_back(box.text);
        }
        return shown;
    }
};

} // namespace harrowdeck::test
