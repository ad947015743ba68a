// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IoError.h"
#include "PageText.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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
    using Sink = std::function<std::optional<IoError>(const TagEvent&)>;

    explicit TagScanner(std::size_t maxTagLength) : maxTagLength_(maxTagLength) {}

    // Reads one line, indentation skipped; stops at what sink reports.
    [[nodiscard]] std::optional<IoError> Take(std::string_view line, const Sink& sink);
    // A line over the limit passed over: a tag open across it is given up.
    void LineSkipped();
    // Tags given up, each as a line that could not be read.
    [[nodiscard]] std::uint64_t GivenUp() const { return givenUp_; }

private:
    // Where a tag's reading stands; it may stop at a line's end and go on.
    enum class State { Name, BetweenAttributes, AttributeName, AfterName, BeforeValue, Quoted, Unquoted };

    void StartTag(bool closing);
    // Reads tag bytes from text; the position after its ">", or npos when
    // the line ended first.
    std::size_t ReadTag(std::string_view text);
    void EndAttributeName();
    void AddToValue(std::string_view bytes);
    [[nodiscard]] std::optional<IoError> EndTag(std::string_view line, std::size_t& at, const Sink& sink);
    void GiveUpTag();
    // Reads, from the "<" at `at`, a link's tag written as browsers write
    // it, and leaves `at` after it; false, with nothing read, for any other.
    [[nodiscard]] bool ReadPlainAnchor(std::string_view line, std::size_t& at);
    // Puts the link's "<A HREF="..."" together from the address read.
    void BuildHead();

    static constexpr std::string_view kPlainAnchorStart = "<A HREF=\"";

    std::size_t maxTagLength_;
    std::uint64_t givenUp_ = 0;
    bool inComment_ = false;

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
    // The "<A HREF="..."" of a tag read by ReadPlainAnchor, in the line.
    std::optional<std::string_view> plainHead_;
    std::size_t tagLength_ = 0;

    std::string head_; // the link's "<A HREF="..."", kept for the event
};

} // namespace harrowdeck
