// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the parameter-file reader: any bytes load without a crash, and
// whatever was read saves as 15 CR LF lines that read back to the same
// values.
#include "MainState.h"
#include "ParamFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

namespace {

using namespace harrowdeck;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

auto Values(const MainState& s)
{
    return std::tie(s.destDir, s.sourcePath, s.sourceDir, s.sourceName, s.mainTop, s.mainLeft, s.leftPercent,
                    s.leftPixels, s.sizeMode, s.browseMode, s.folderMode);
}

std::size_t CountCrLfLines(const std::string& text)
{
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool loneLf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        const bool loneCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        if (loneLf || loneCr) {
            Fail("a saved line does not end with CR LF");
        }
        if (text[i] == '\r') {
            ++lines;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource in(std::string_view(reinterpret_cast<const char*>(data), size));
    MainState state;
    (void)ReadParams(in, state);

    const std::string saved = FormatParams(state);
    if (CountCrLfLines(saved) != 15 || saved.substr(0, 7) != "PATHS\r\n") {
        Fail("the saved file is not the 15 lines");
    }
    MemorySource again(saved);
    MainState reread;
    if (!ReadParams(again, reread)) {
        Fail("a saved file does not read back");
    }
    if (Values(reread) != Values(state)) {
        Fail("a saved value reads back different");
    }
    return 0;
}
