// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportEncoding.h"

#include "LineReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

namespace harrowdeck {

namespace {

// The labels web browsers know, lower case. A label names UTF-8 here when
// browsers read a page that carries it as UTF-8.
constexpr std::array kUtf8Labels = {
    "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8",
    // UTF-16 in a page's own declaration is read as UTF-8.
    "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "unicodefffe", "utf-16", "utf-16be", "utf-16le"};

constexpr std::array kOtherLabels = {
    // IBM866, ISO-8859-2 .. -8-I
    "866", "cp866", "csibm866", "ibm866", "csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso88592",
    "iso_8859-2", "iso_8859-2:1987", "l2", "latin2", "csisolatin3", "iso-8859-3", "iso-ir-109", "iso8859-3", "iso88593",
    "iso_8859-3", "iso_8859-3:1988", "l3", "latin3", "csisolatin4", "iso-8859-4", "iso-ir-110", "iso8859-4", "iso88594",
    "iso_8859-4", "iso_8859-4:1988", "l4", "latin4", "csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144",
    "iso8859-5", "iso88595", "iso_8859-5", "iso_8859-5:1988", "arabic", "asmo-708", "csiso88596e", "csiso88596i",
    "csisolatinarabic", "ecma-114", "iso-8859-6", "iso-8859-6-e", "iso-8859-6-i", "iso-ir-127", "iso8859-6", "iso88596",
    "iso_8859-6", "iso_8859-6:1987", "csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-8859-7",
    "iso-ir-126", "iso8859-7", "iso88597", "iso_8859-7", "iso_8859-7:1987", "sun_eu_greek", "csiso88598e",
    "csisolatinhebrew", "hebrew", "iso-8859-8", "iso-8859-8-e", "iso-ir-138", "iso8859-8", "iso88598", "iso_8859-8",
    "iso_8859-8:1988", "visual", "csiso88598i", "iso-8859-8-i", "logical",
    // ISO-8859-10 .. -16, KOI8, Mac
    "csisolatin6", "iso-8859-10", "iso-ir-157", "iso8859-10", "iso885910", "l6", "latin6", "iso-8859-13", "iso8859-13",
    "iso885913", "iso-8859-14", "iso8859-14", "iso885914", "csisolatin9", "iso-8859-15", "iso8859-15", "iso885915",
    "iso_8859-15", "l9", "iso-8859-16", "cskoi8r", "koi", "koi8", "koi8-r", "koi8_r", "koi8-ru", "koi8-u",
    "csmacintosh", "mac", "macintosh", "x-mac-roman", "x-mac-cyrillic", "x-mac-ukrainian",
    // windows-874 .. -1258
    "dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620", "windows-874", "cp1250", "windows-1250", "x-cp1250",
    "cp1251", "windows-1251", "x-cp1251", "ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819",
    "iso-8859-1", "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1", "us-ascii",
    "windows-1252", "x-cp1252", "cp1253", "windows-1253", "x-cp1253", "cp1254", "csisolatin5", "iso-8859-9",
    "iso-ir-148", "iso8859-9", "iso88599", "iso_8859-9", "iso_8859-9:1989", "l5", "latin5", "windows-1254", "x-cp1254",
    "cp1255", "windows-1255", "x-cp1255", "cp1256", "windows-1256", "x-cp1256", "cp1257", "windows-1257", "x-cp1257",
    "cp1258", "windows-1258", "x-cp1258", "x-user-defined",
    // Chinese, Japanese, Korean
    "chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk", "iso-ir-58", "x-gbk", "gb18030",
    "big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5", "cseucpkdfmtjapanese", "euc-jp", "x-euc-jp", "csiso2022jp",
    "iso-2022-jp", "csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis", "windows-31j", "x-sjis",
    "cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987", "ks_c_5601-1989", "ksc5601",
    "ksc_5601", "windows-949",
    // Encodings browsers refuse to decode; named all the same, so that a
    // page shows what the export itself would.
    "csiso2022kr", "hz-gb-2312", "iso-2022-cn", "iso-2022-cn-ext", "iso-2022-kr", "replacement"};

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// Where needle (lower case) first occurs in text, any case, from `from` on.
std::size_t FindAnyCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.size() > text.size()) {
        return std::string_view::npos;
    }
    for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < needle.size() && Lower(text[at + i]) == needle[i]) {
            ++i;
        }
        if (i == needle.size()) {
            return at;
        }
    }
    return std::string_view::npos;
}

template <typename Labels>
bool Listed(const Labels& labels, std::string_view lower)
{
    return std::any_of(labels.begin(), labels.end(), [lower](const char* label) { return lower == label; });
}

// The lines before the first entry or folder are the export's head, where
// a declaration belongs; the list of entries begins with "<DL", "<DT" or a
// folder's "<H3".
bool EndsHead(std::string_view line)
{
    return FindAnyCase(line, "<dl") != std::string_view::npos || FindAnyCase(line, "<dt") != std::string_view::npos ||
           FindAnyCase(line, "<h3") != std::string_view::npos;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kCheckBuffer = std::size_t{64} << 10;

// What the head says: whether the export starts with a byte-order mark, and
// the first declared label that browsers know.
struct HeadFacts {
    bool byteOrderMark = false;
    std::string label;
    LabelKind kind = LabelKind::Unknown;
};

IoResult<HeadFacts> ReadHead(ByteSource& source)
{
    // The head is short; a small buffer keeps this read to one system call.
    LineReader lines(source, LineReader::kDefaultMaxLineLength, std::size_t{4} << 10);
    HeadFacts facts;
    bool first = true;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = lines.Next(line);
        if (status == LineReader::Status::Error) {
            return lines.Error();
        }
        if (status == LineReader::Status::End) {
            return facts;
        }
        if (status != LineReader::Status::Line) {
            first = false;
            continue;
        }
        if (first) {
            facts.byteOrderMark = line.starts_with(kByteOrderMark);
            first = false;
        }
        // A tag that declares may share its line with the start of the list.
        for (std::size_t at = 0; at < line.size();) {
            const std::optional<std::string_view> label = MetaCharset(line.substr(at));
            if (!label) {
                break;
            }
            if (const LabelKind kind = ClassifyEncodingLabel(*label); kind != LabelKind::Unknown) {
                facts.label = std::string(*label);
                facts.kind = kind;
                return facts;
            }
            at = static_cast<std::size_t>(label->data() - line.data()) + label->size();
        }
        if (EndsHead(line)) {
            return facts;
        }
    }
}

IoResult<bool> IsUtf8Throughout(ByteSource& source)
{
    const std::unique_ptr<char[]> buffer(new char[kCheckBuffer]);
    Utf8Check check;
    for (;;) {
        const long count = source.Read(buffer.get(), kCheckBuffer);
        if (count < 0) {
            return IoError::FromErrno(source.Name(), errno);
        }
        if (count == 0) {
            return check.Valid();
        }
        check.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(count)));
        if (!check.StillValid()) {
            return false;
        }
    }
}

} // namespace

LabelKind ClassifyEncodingLabel(std::string_view label)
{
    while (!label.empty() && IsSpace(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && IsSpace(label.back())) {
        label.remove_suffix(1);
    }
    std::string lower(label);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    if (Listed(kUtf8Labels, lower)) {
        return LabelKind::Utf8;
    }
    return Listed(kOtherLabels, lower) ? LabelKind::Other : LabelKind::Unknown;
}

std::optional<std::string_view> MetaCharset(std::string_view line)
{
    for (std::size_t meta = FindAnyCase(line, "<meta"); meta != std::string_view::npos;
         meta = FindAnyCase(line, "<meta", meta + 1)) {
        const std::size_t tagEnd = std::min(line.find('>', meta), line.size());
        const std::string_view tag = line.substr(0, tagEnd);
        const std::size_t charset = FindAnyCase(tag, "charset", meta);
        if (charset == std::string_view::npos) {
            continue;
        }
        std::size_t at = charset + std::string_view("charset").size();
        while (at < tag.size() && IsSpace(tag[at])) {
            ++at;
        }
        if (at == tag.size() || tag[at] != '=') {
            continue;
        }
        ++at;
        while (at < tag.size() && (IsSpace(tag[at]) || tag[at] == '"' || tag[at] == '\'')) {
            ++at;
        }
        std::size_t end = at;
        while (end < tag.size() && !IsSpace(tag[end]) && tag[end] != '"' && tag[end] != '\'' && tag[end] != ';') {
            ++end;
        }
        if (end > at) {
            return tag.substr(at, end - at);
        }
    }
    return std::nullopt;
}

void Utf8Check::Feed(std::string_view bytes)
{
    std::size_t at = 0;
    while (valid_ && at < bytes.size()) {
        // Most of an export is ASCII: eight bytes at a time while no
        // sequence is open.
        if (pending_ == 0 && bytes.size() - at >= sizeof(std::uint64_t)) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if ((word & 0x8080808080808080) == 0) {
                at += sizeof word;
                continue;
            }
        }
        FeedByte(static_cast<unsigned char>(bytes[at++]));
    }
}

// A sequence's first byte sets how many bytes follow and the range of the
// next one, which rules out overlong forms, surrogates and code points past
// U+10FFFF.
void Utf8Check::FeedByte(unsigned char byte)
{
    if (pending_ > 0) {
        if (byte < low_ || byte > high_) {
            valid_ = false;
            return;
        }
        low_ = 0x80;
        high_ = 0xBF;
        --pending_;
        return;
    }
    if (byte < 0x80) {
        return;
    }
    low_ = 0x80;
    high_ = 0xBF;
    if (byte >= 0xC2 && byte <= 0xDF) {
        pending_ = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        pending_ = 2;
        low_ = byte == 0xE0 ? 0xA0 : 0x80;
        high_ = byte == 0xED ? 0x9F : 0xBF;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        pending_ = 3;
        low_ = byte == 0xF0 ? 0x90 : 0x80;
        high_ = byte == 0xF4 ? 0x8F : 0xBF;
    } else {
        valid_ = false;
    }
}

IoResult<std::optional<std::string>> CharsetFromHead(ByteSource& source)
{
    IoResult<HeadFacts> facts = ReadHead(source);
    if (!facts) {
        return facts.Error();
    }
    // A byte-order mark decides before any declaration, as it does in a
    // browser: the export itself is shown as UTF-8 then.
    if (facts->byteOrderMark || facts->kind == LabelKind::Utf8) {
        return std::optional<std::string>(std::string());
    }
    if (facts->kind == LabelKind::Other) {
        return std::optional<std::string>(std::move(facts->label));
    }
    return std::optional<std::string>();
}

IoResult<std::string> CharsetFromContent(ByteSource& source)
{
    IoResult<bool> utf8 = IsUtf8Throughout(source);
    if (!utf8) {
        return utf8.Error();
    }
    return *utf8 ? std::string() : std::string(kUndeclaredCharset);
}

} // namespace harrowdeck
