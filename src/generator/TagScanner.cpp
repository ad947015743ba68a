// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagScanner.h"

#include <array>
#include <cstring>
#include <utility>

namespace harrowdeck {

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// What ends a part of a tag, looked up in a table: a tag is read a byte at
// a time, and nearly every byte of an export is in one.
constexpr unsigned char kSpace = 1;
constexpr unsigned char kSlash = 2;
constexpr unsigned char kTagEnd = 4;
constexpr unsigned char kEquals = 8;

constexpr std::array<unsigned char, 256> kByteKinds = [] {
    std::array<unsigned char, 256> kinds{};
    for (const char c : {' ', '\t', '\n', '\f', '\r'}) {
        kinds[static_cast<unsigned char>(c)] = kSpace;
    }
    kinds['/'] = kSlash;
    kinds['>'] = kTagEnd;
    kinds['='] = kEquals;
    return kinds;
}();

bool Is(char c, unsigned char kinds)
{
    return (kByteKinds[static_cast<unsigned char>(c)] & kinds) != 0;
}

bool IsSpace(char c)
{
    return Is(c, kSpace);
}

// The bytes of the attribute names browsers write (ADD_DATE, ICON_URI, ...).
constexpr std::array<bool, 256> kPlainNameBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0; c < 256; ++c) {
        bytes[static_cast<std::size_t>(c)] =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    }
    return bytes;
}();

bool IsPlainNameByte(char c)
{
    return kPlainNameBytes[static_cast<unsigned char>(c)];
}

// Where a tag written as browsers write it ends: from `from`, only spaces and
// NAME="value" attributes, then ">". The position after the ">", or npos for
// anything else, which the full reading then takes. The line's last byte
// must be none of a name's.
std::size_t PlainAttributesEnd(std::string_view line, std::size_t from)
{
    const char* const end = line.data() + line.size();
    const char* p = line.data() + from;
    while (p < end) {
        if (*p == '>') {
            return static_cast<std::size_t>(p - line.data()) + 1;
        }
        if (*p == ' ') {
            ++p;
            continue;
        }
        if (!IsPlainNameByte(*p)) {
            return std::string_view::npos;
        }
        while (IsPlainNameByte(*p)) { // the line's last byte is none
            ++p;
        }
        if (end - p < 2 || p[0] != '=' || p[1] != '"') {
            return std::string_view::npos;
        }
        const void* close = std::memchr(p + 2, '"', static_cast<std::size_t>(end - p - 2));
        if (close == nullptr) {
            return std::string_view::npos;
        }
        p = static_cast<const char*>(close) + 1;
    }
    return std::string_view::npos;
}

// True when text at `at` starts with "<" + name (lower case) and the name
// ends there.
bool TagAt(std::string_view text, std::size_t at, std::string_view name)
{
    if (at + 1 + name.size() > text.size() || text[at] != '<') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (Lower(text[at + 1 + i]) != name[i]) {
            return false;
        }
    }
    const std::size_t after = at + 1 + name.size();
    return after == text.size() || !(IsLetter(text[after]) || (text[after] >= '0' && text[after] <= '9'));
}

// Where the text of a link, a heading or a title ends: at its own closing
// tag, or at a tag that begins another entry or list, or at the line's end.
// closed tells whether it was its own closing tag.
std::size_t TextEnd(std::string_view line, std::size_t from, std::string_view closeTag, bool& closed)
{
    static constexpr std::string_view kBreaking[] = {"dd", "dt", "dl", "/dl", "h3", "a"};
    closed = false;
    for (std::size_t at = from; at < line.size(); ++at) {
        const void* hit = std::memchr(line.data() + at, '<', line.size() - at);
        if (hit == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
        if (closeTag == "/a" && line.substr(at, 4) == "</A>") {
            closed = true; // how nearly every link ends
            return at;
        }
        if (TagAt(line, at, closeTag)) {
            closed = true;
            return at;
        }
        for (std::string_view breaking : kBreaking) {
            if (TagAt(line, at, breaking)) {
                return at;
            }
        }
    }
    return line.size();
}

// A name against a lower-case one, in any case.
bool SameName(std::string_view name, std::string_view lower)
{
    if (name.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (Lower(name[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

bool Blank(std::string_view text)
{
    for (const char c : text) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

// What a link's page line is made of. A link without text would be
// invisible, so its address takes the text's place.
constexpr std::string_view kLinkHead = "<A HREF=\"";

void SetLink(std::string_view head, std::string_view text, TagEvent& event)
{
    event.kind = TagEvent::Kind::Link;
    event.text = {};
    event.link.head = head;
    event.link.text = Blank(text) ? head.substr(kLinkHead.size(), head.size() - kLinkHead.size() - 1) : text;
    event.link.tail = event.link.text.empty() ? "></A>" : ">";
    event.link.rest = "</A>";
}

} // namespace

TagScanner::Tag TagScanner::TagNamed(std::string_view name)
{
    if (SameName(name, "a")) {
        return Tag::Anchor;
    }
    if (SameName(name, "h3")) {
        return Tag::Heading;
    }
    if (SameName(name, "h1")) {
        return Tag::Title;
    }
    return SameName(name, "dl") ? Tag::List : Tag::Other;
}

void TagScanner::StartTag(bool closing)
{
    inTag_ = true;
    closing_ = closing;
    state_ = State::Name;
    quote_ = 0;
    tag_ = Tag::Other;
    attributeIsHref_ = false;
    inHref_ = false;
    hasHref_ = false;
    href_.clear();
    tagLength_ = 0;
}

void TagScanner::EndAttributeName()
{
    inHref_ = !hasHref_ && attributeIsHref_;
    if (inHref_) {
        hasHref_ = true;
        hrefQuote_ = '"';
    }
}

void TagScanner::AddToValue(std::string_view bytes)
{
    if (inHref_) {
        href_.append(bytes);
    }
}

// Each state runs through its bytes in a loop of its own: a link's tag is
// most of an export, and most of a tag is its attributes' names and values.
std::size_t TagScanner::ReadTag(std::string_view text)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    const auto after = [begin](const char* at) { return static_cast<std::size_t>(at - begin) + 1; };
    while (p < end) {
        switch (state_) {
        case State::Name: {
            // A name ends at the end of its line at the latest, which is
            // fed as white space: it always lies whole in one piece.
            const char* const start = p;
            while (p < end && !Is(*p, kSpace | kSlash | kTagEnd)) {
                ++p;
            }
            if (p > start) {
                tag_ = TagNamed(std::string_view(start, static_cast<std::size_t>(p - start)));
            }
            if (p == end) {
                return std::string_view::npos;
            }
            if (*p == '>') {
                return after(p);
            }
            state_ = State::BetweenAttributes;
            ++p;
            break;
        }
        case State::BetweenAttributes:
            while (p < end && Is(*p, kSpace | kSlash)) {
                ++p;
            }
            if (p == end) {
                return std::string_view::npos;
            }
            if (*p == '>') {
                return after(p);
            }
            state_ = State::AttributeName;
            break;
        case State::AttributeName: {
            const char* const start = p;
            while (p < end && !Is(*p, kSpace | kSlash | kTagEnd | kEquals)) {
                ++p;
            }
            if (p > start) {
                attributeIsHref_ = SameName(std::string_view(start, static_cast<std::size_t>(p - start)), "href");
            }
            if (p == end) {
                return std::string_view::npos;
            }
            EndAttributeName();
            if (*p == '>') {
                return after(p);
            }
            state_ = *p == '=' ? State::BeforeValue : *p == '/' ? State::BetweenAttributes : State::AfterName;
            ++p;
            break;
        }
        case State::AfterName:
            while (p < end && IsSpace(*p)) {
                ++p;
            }
            if (p == end) {
                return std::string_view::npos;
            }
            if (*p == '=') {
                state_ = State::BeforeValue;
                ++p;
                break;
            }
            inHref_ = false; // an attribute without a value
            state_ = State::BetweenAttributes;
            break;
        case State::BeforeValue:
            while (p < end && IsSpace(*p)) {
                ++p;
            }
            if (p == end) {
                return std::string_view::npos;
            }
            if (*p == '"' || *p == '\'') {
                quote_ = *p;
                if (inHref_) {
                    hrefQuote_ = *p;
                }
                state_ = State::Quoted;
                ++p;
                break;
            }
            if (*p == '>') {
                inHref_ = false;
                return after(p);
            }
            state_ = State::Unquoted;
            break;
        case State::Quoted: {
            const void* hit = std::memchr(p, quote_, static_cast<std::size_t>(end - p));
            const char* const close = hit == nullptr ? end : static_cast<const char*>(hit);
            AddToValue(std::string_view(p, static_cast<std::size_t>(close - p)));
            if (close == end) {
                return std::string_view::npos;
            }
            p = close + 1;
            state_ = State::BetweenAttributes;
            inHref_ = false;
            break;
        }
        case State::Unquoted: {
            const char* const start = p;
            while (p < end && !Is(*p, kSpace | kTagEnd)) {
                ++p;
            }
            AddToValue(std::string_view(start, static_cast<std::size_t>(p - start)));
            if (p == end) {
                return std::string_view::npos;
            }
            state_ = State::BetweenAttributes;
            inHref_ = false;
            break;
        }
        }
    }
    return std::string_view::npos;
}

void TagScanner::GiveUpTag()
{
    inTag_ = false;
    ++givenUp_;
}

void TagScanner::LineSkipped()
{
    if (inTag_) {
        GiveUpTag();
    }
}

void TagScanner::BuildHead()
{
    // The address is written between double quotes unless it holds one.
    const char quote = href_.find('"') == std::string::npos ? '"' : hrefQuote_ == '\'' ? '\'' : '"';
    head_.assign("<A HREF=");
    head_.push_back(quote);
    if (href_.find('"') == std::string::npos && href_.find('\n') == std::string::npos) {
        head_.append(href_); // nearly every address: copied whole
    } else {
        for (const char c : href_) {
            if (c == quote) {
                head_.append("&quot;");
            } else if (c != '\n') {
                head_.push_back(c);
            }
        }
    }
    head_.push_back(quote);
}

bool TagScanner::EndTag(TagEvent& event)
{
    inTag_ = false;
    if (tag_ == Tag::List) {
        event = TagEvent{closing_ ? TagEvent::Kind::ListClose : TagEvent::Kind::ListOpen, {}, {}};
        return true;
    }
    if (closing_ || tag_ == Tag::Other || (tag_ == Tag::Anchor && !hasHref_)) {
        return false;
    }
    const std::string_view closeTag = tag_ == Tag::Anchor ? "/a" : tag_ == Tag::Heading ? "/h3" : "/h1";
    bool closed = false;
    const std::size_t end = TextEnd(line_, at_, closeTag, closed);
    const std::string_view text = line_.substr(at_, end - at_);
    at_ = end;
    if (closed) {
        const std::size_t tagEnd = line_.find('>', at_);
        at_ = tagEnd == std::string_view::npos ? line_.size() : tagEnd + 1;
    }
    if (tag_ != Tag::Anchor) {
        event = TagEvent{tag_ == Tag::Heading ? TagEvent::Kind::Heading : TagEvent::Kind::Title, text, {}};
        return true;
    }
    BuildHead();
    SetLink(head_, text, event);
    return true;
}

bool TagScanner::GoOnFromLineBefore(TagEvent& event)
{
    if (inComment_) {
        const std::size_t end = line_.find("-->");
        if (end == std::string_view::npos) {
            at_ = line_.size();
            return false;
        }
        inComment_ = false;
        at_ = end + 3;
        return false;
    }
    // A value that runs on over lines is read on, but a line that begins an
    // entry or ends a list shows that the tag was broken.
    if (TagAt(line_, 0, "dt") || TagAt(line_, 0, "/dl")) {
        GiveUpTag();
        return false;
    }
    // The line break is white space between attributes, and part of a
    // quoted value (an address drops it, as browsers do).
    (void)ReadTag("\n");
    const std::size_t end = ReadTag(line_);
    tagLength_ += line_.size() + 1;
    if (end == std::string_view::npos) {
        if (tagLength_ > maxTagLength_) {
            GiveUpTag();
        }
        at_ = line_.size();
        return false;
    }
    at_ = end;
    return EndTag(event);
}

bool TagScanner::ReadPlainLinkLine(TagEvent& event)
{
    static constexpr std::string_view kStart = "<DT><A HREF=\"";
    static constexpr std::string_view kEnd = "</A>";
    const std::string_view line = line_;
    if (!line.starts_with(kStart) || !line.ends_with(kEnd)) {
        return false;
    }
    const void* close = std::memchr(line.data() + kStart.size(), '"', line.size() - kStart.size());
    if (close == nullptr) {
        return false;
    }
    const std::size_t headEnd = static_cast<std::size_t>(static_cast<const char*>(close) - line.data()) + 1;
    const std::size_t tagEnd = PlainAttributesEnd(line, headEnd);
    const std::size_t textEnd = line.size() - kEnd.size();
    if (tagEnd == std::string_view::npos || tagEnd > textEnd ||
        std::memchr(line.data() + tagEnd, '<', textEnd - tagEnd) != nullptr) {
        return false;
    }
    at_ = line.size();
    const std::size_t headAt = kStart.size() - kLinkHead.size();
    const std::string_view head = line.substr(headAt, headEnd - headAt);
    const std::string_view text = line.substr(tagEnd, textEnd - tagEnd);
    if (Blank(text)) {
        SetLink(head, text, event);
        return true;
    }
    // The tag's ">", the text and "</A>" stand in the line as they are to
    // be written, so they are handed on in one piece.
    event = TagEvent{TagEvent::Kind::Link, {}, LinkCut{head, line.substr(tagEnd - 1), {}, {}}};
    return true;
}

bool TagScanner::Next(TagEvent& event)
{
    if (std::exchange(lineBegins_, false)) {
        if (inTag_ || inComment_) {
            if (GoOnFromLineBefore(event)) {
                return true;
            }
        } else if (ReadPlainLinkLine(event)) {
            return true;
        }
    }
    while (at_ < line_.size()) {
        const void* hit = std::memchr(line_.data() + at_, '<', line_.size() - at_);
        if (hit == nullptr) {
            at_ = line_.size();
            return false;
        }
        at_ = static_cast<std::size_t>(static_cast<const char*>(hit) - line_.data());
        const std::string_view rest = line_.substr(at_);
        if (rest.starts_with("<!--")) {
            const std::size_t end = line_.find("-->", at_ + 4);
            if (end == std::string_view::npos) {
                inComment_ = true;
                at_ = line_.size();
                return false;
            }
            at_ = end + 3;
            continue;
        }
        const bool closing = rest.size() > 1 && rest[1] == '/';
        const std::size_t nameAt = closing ? 2 : 1;
        if (rest.size() <= nameAt || !IsLetter(rest[nameAt])) {
            ++at_;
            continue;
        }
        StartTag(closing);
        const std::size_t end = ReadTag(rest.substr(nameAt));
        if (end == std::string_view::npos) {
            tagLength_ = rest.size();
            at_ = line_.size();
            return false;
        }
        at_ += nameAt + end;
        if (EndTag(event)) {
            return true;
        }
    }
    return false;
}

} // namespace harrowdeck
