// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpText.h"

#include <algorithm>
#include <cstddef>

namespace harrowdeck {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kLabelColumn = 17;

void Line(std::string& text, const std::string& content)
{
    text += content;
    text += kCrLf;
}

void Blank(std::string& text)
{
    text += kCrLf;
}

// A label padded to the label column, then the start of its description.
void Entry(std::string& text, const std::string& label, const std::string& description)
{
    std::string padded = label;
    if (padded.size() < kLabelColumn) {
        padded.append(kLabelColumn - padded.size(), ' ');
    }
    Line(text, padded + description);
}

// The rest of a description, under its start.
void Continuation(std::string& text, const std::string& rest)
{
    Line(text, std::string(kLabelColumn, ' ') + rest);
}

// An entry whose description is broken at words into lines that end where
// the classic entries end, so that the window wraps none of them.
void WrappedEntry(std::string& text, const std::string& label, const std::string& description)
{
    const std::size_t width = kHelpLineWidth - kLabelColumn;
    bool first = true;
    std::string line;
    std::size_t start = 0;
    while (start < description.size()) {
        std::size_t end = description.find(' ', start);
        if (end == std::string::npos) {
            end = description.size();
        }
        const std::string word = description.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            first ? Entry(text, label, line) : Continuation(text, line);
            first = false;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    first ? Entry(text, label, line) : Continuation(text, line);
}

// A heading underlined with as many hyphens as it has characters.
void Heading(std::string& text, const std::string& heading)
{
    Line(text, heading);
    Line(text, std::string(heading.size(), '-'));
}

} // namespace

std::string BuildHelpText()
{
    std::string text;
    Line(text, "Harrowdeck short help");
    Blank(text);
    Entry(text, "Gloamery source", "The path to the exported gloamery");
    Continuation(text, "bookmark file.");
    Blank(text);
    Entry(text, "Destination", "Where you want your Harrowdeck");
    Continuation(text, "HTML-documents.");
    Blank(text);
    Heading(text, "Left frame size");
    Entry(text, "Procent", "The size of the left frame in % of");
    Continuation(text, "windows width.");
    Blank(text);
    Entry(text, "Pixel", "The size of the left frame in");
    Continuation(text, "pixels (fixed).");
    Blank(text);
    Blank(text);
    Heading(text, "Browsing mode");
    Entry(text, "Frame", "New links is displayed in the same");
    Continuation(text, "frame as the linklist.");
    Blank(text);
    Entry(text, "Full Window", "Harrowdeck window is replaced with");
    Blank(text);
    Continuation(text, "new link.");
    Blank(text);
    Entry(text, "New Window", "All new links is displaed in new");
    Continuation(text, "browser windows.");
    Blank(text);
    Line(text, "Enjoy!");
    Blank(text);
    Line(text, kHelpSignature);
    Blank(text);
    Blank(text);
    Heading(text, "Folders");
    WrappedEntry(text, "Every folder",
                 "Every folder gets a page of its own, nested ones too, and the index shows them as a tree.");
    return text;
}

WindowRect HelpTextBoxPlace(double clientWidth, double clientHeight)
{
    return {0, 0, std::max(0.0, clientWidth), std::max(0.0, clientHeight)};
}

} // namespace harrowdeck
