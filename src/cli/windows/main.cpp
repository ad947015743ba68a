// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make.exe: the generation run without a window.
#include "ArgumentVector.h"
#include "MakeProgram.h"
#include "windows/ConsoleStream.h"
#include "windows/WideText.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

// The arguments come as Windows holds them, in UTF-16 (linked with
// -municode); main's would be in the ANSI code page, which cannot hold
// every name. Inside, they are UTF-8, as on every platform.
int wmain(int argc, wchar_t** argv)
try {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(harrowdeck::windows::ToUtf8(argv[i]));
    }
    harrowdeck::ArgumentVector vector(std::move(arguments));
    const harrowdeck::windows::ConsoleStreams console;
    return harrowdeck::RunMakeProgram(vector.Count(), vector.Values());
} catch (const std::bad_alloc&) {
    harrowdeck::ReportOutOfMemory();
    return 1;
}
