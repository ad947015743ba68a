// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpText.h"

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
    Entry(text, "Every folder", "Every folder gets a page of its own,");
    Continuation(text, "nested ones too, and the index shows");
    Continuation(text, "them as a tree.");
    return text;
}

} // namespace harrowdeck
