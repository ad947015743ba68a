// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows side of the differential test, in one wine process: every
// start of wine, or of a program inside it, costs more than a conversion.
// Each line of the list names one conversion, its fields separated by tabs:
// how it runs ("in" here, through the program's own entry, or "exe" as
// harrowdeck-make.exe in a process of its own) and the program's
// arguments, in UTF-8. The exit codes go to the results file, one a line,
// in the list's order.
//
// windows_differential_driver LIST RESULTS HARROWDECK_MAKE_EXE
#include "ArgumentVector.h"
#include "MakeProgram.h"
#include "windows/WideText.h"

#include <windows.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    return fields;
}

int RunInProcess(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "harrowdeck-make");
    harrowdeck::ArgumentVector vector(std::move(arguments));
    const int code = harrowdeck::MakeFromArguments(vector.Count(), vector.Values());
    std::cout.flush();
    std::cerr.flush();
    return code;
}

// The arguments hold no quotes and end in no backslash, so quoting each
// one is all that the child's command line needs.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments) {
        line += " \"" + argument + "\"";
    }
    std::wstring wide = harrowdeck::windows::ToWide(line).value_or(L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine, on a busy machine, now and then fails to start a process at
    // all; that says nothing of the program, so it is tried again.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = ::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process) != 0;
        if (!started) {
            std::cerr << "cannot start " << program << ": error " << ::GetLastError() << '\n';
            ::Sleep(500);
        }
    }
    if (!started) {
        return -1;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: windows_differential_driver LIST RESULTS HARROWDECK_MAKE_EXE\n";
        return 2;
    }
    std::ifstream list(argv[1], std::ios::binary);
    std::ofstream results(argv[2], std::ios::binary);
    std::string line;
    while (std::getline(list, line)) {
        std::vector<std::string> fields = Fields(line);
        if (fields.empty()) {
            continue;
        }
        const std::string how = fields.front();
        fields.erase(fields.begin());
        results << (how == "exe" ? RunProgram(argv[3], fields) : RunInProcess(fields)) << '\n';
    }
    results.close();
    return list.eof() && results ? 0 : 1;
}
