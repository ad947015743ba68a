// SPDX-License-Identifier: GPL-3.0-or-later
#include "VersionResource.h"

#include "Win32Form.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace harrowdeck::win32 {

namespace {

std::wstring OwnFileName()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

} // namespace

std::optional<std::string> OwnVersionEntry(const wchar_t* name)
{
    const std::wstring file = OwnFileName();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) {
        return std::nullopt;
    }
    // The first language the resource is written in.
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation)) {
        return std::nullopt;
    }
    wchar_t path[128];
    std::swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language, translations->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length)) {
        return std::nullopt;
    }
    // The length counts the terminating zero, when there is text at all.
    std::wstring_view text(value, length);
    while (!text.empty() && text.back() == L'\0') {
        text.remove_suffix(1);
    }
    return Utf8(text);
}

} // namespace harrowdeck::win32
