// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ByteSource.h"
#include "IoError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Which encoding an export is in, and so which one its pages must name.
// Pages copy the export's bytes, so a browser shows them right only when
// it reads them in the export's encoding. Browsers read UTF-8 pages right
// without being told; for any other encoding they guess, and guess
// differently, so the pages of such an export say which it is.

// What browsers make of an encoding label: UTF-8 (the UTF-16 labels
// included, since a page of 8-bit text that claims UTF-16 is read as
// UTF-8), another encoding, or a label they do not know.
enum class LabelKind { Unknown, Utf8, Other };
[[nodiscard]] LabelKind ClassifyEncodingLabel(std::string_view label);

// The label of the first "charset=" in a <META> tag on the line, as the
// line spells it, or nothing.
[[nodiscard]] std::optional<std::string_view> MetaCharset(std::string_view line);

// Checks bytes for UTF-8 a buffer at a time, a sequence split between two
// buffers included.
class Utf8Check {
public:
    void Feed(std::string_view bytes);
    // True when every byte fed so far forms valid UTF-8 and no sequence is
    // left open.
    [[nodiscard]] bool Valid() const { return valid_ && pending_ == 0; }
    // False once an invalid byte was seen: nothing later can mend it.
    [[nodiscard]] bool StillValid() const { return valid_; }

private:
    void FeedByte(unsigned char byte);
    bool valid_ = true;
    int pending_ = 0; // continuation bytes still expected
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
};

// The charset the pages of an export must name, or empty when they name
// none, in two steps. The head (the lines before the list of entries)
// decides when it starts with a byte-order mark (UTF-8) or declares a label
// that browsers know; nothing when it does neither. Only then is the whole
// export read: UTF-8 when it is valid UTF-8 throughout, pure ASCII
// included, else windows-1252. UTF-8 is named by an empty charset, since
// browsers read it right unnamed.
[[nodiscard]] IoResult<std::optional<std::string>> CharsetFromHead(ByteSource& source);
[[nodiscard]] IoResult<std::string> CharsetFromContent(ByteSource& source);

// The label the pages name for an export whose 8-bit text declares nothing.
inline constexpr std::string_view kUndeclaredCharset = "windows-1252";

} // namespace harrowdeck
