// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace harrowdeck {

// Reads an export's tags as a browser does, line by line: tag and attribute
// names in any case, an HREF wherever it stands among the attributes,
// several tags on a line, comments and attribute values that run on over
// several lines. It hands on only what the every-folder pages are made of.
// Memory stays flat: of a tag that runs on, only its address is kept, and a
// tag that runs on past the line limit is given up.
struct TagEvent {
    enum class Kind {
        Heading,   // a folder's <H3>: text is its name
        ListOpen,  // <DL>
        ListClose, // </DL>
        Link,      // <A HREF>: link is what its page line shows
        Title,     // <H1>: text is the export's title
    };
    Kind kind = Kind::Heading;
    std::string_view text;
    LinkCut link;
};

class TagScanner {
public:
    explicit TagScanner(std::size_t maxTagLength) : maxTagLength_(maxTagLength) {}

    // Starts on one line, indentation skipped, whose events Next hands on.
    // The line's bytes must stay in place until Next has read them all.
    void Feed(std::string_view line)
    {
        line_ = line;
        at_ = 0;
        lineBegins_ = true;
    }
    // The line's next event; false when it holds no more.
    [[nodiscard]] bool Next(TagEvent& event);
    // A line over the limit passed over: a tag open across it is given up.
    void LineSkipped();
    // Tags given up, each as a line that could not be read.
    [[nodiscard]] std::uint64_t GivenUp() const { return givenUp_; }

private:
    // Where a tag's reading stands; it may stop at a line's end and go on.
    enum class State { Name, BetweenAttributes, AttributeName, AfterName, BeforeValue, Quoted, Unquoted };

    // The comment or the tag that the line before left open.
    [[nodiscard]] bool GoOnFromLineBefore(TagEvent& event);
    // The line as browsers write nearly every link, read whole at once.
    [[nodiscard]] bool ReadPlainLinkLine(TagEvent& event);
    void StartTag(bool closing);
    // Reads tag bytes from text; the position after its ">", or npos when
    // the line ended first.
    std::size_t ReadTag(std::string_view text);
    void EndAttributeName();
    void AddToValue(std::string_view bytes);
    // The event of the tag just read, with the text after it; false for a
    // tag that makes none.
    [[nodiscard]] bool EndTag(TagEvent& event);
    void GiveUpTag();
    // Puts the link's "<A HREF="..."" together from the address read.
    void BuildHead();

    std::size_t maxTagLength_;
    std::uint64_t givenUp_ = 0;
    bool inComment_ = false;

    // The line being read, and where its reading stands.
    std::string_view line_;
    std::size_t at_ = 0;
    bool lineBegins_ = false;

    // The tag being read.
    bool inTag_ = false;
    bool closing_ = false;
    State state_ = State::Name;
    char quote_ = 0;
    // The tags that matter; the others are read past.
    enum class Tag { Other, Anchor, Heading, Title, List };
    [[nodiscard]] static Tag TagNamed(std::string_view name);
    Tag tag_ = Tag::Other;
    bool attributeIsHref_ = false; // the attribute whose name was read last
    bool inHref_ = false;          // the value being read is the first HREF's
    bool hasHref_ = false;
    char hrefQuote_ = '"';
    std::string href_;
    std::size_t tagLength_ = 0;

    std::string head_; // the link's "<A HREF="..."", kept for the event
};

} // namespace harrowdeck
