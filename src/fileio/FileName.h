// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace harrowdeck {

// A file name formatted into a fixed buffer. The steps that must not fail
// for want of memory (putting a set of pages in place, removing what a
// failed run left) still have to name their files; they name them with
// this, which never allocates. A name that does not fit is marked, so that
// the call that would use it fails instead of acting on a shortened name.
class FileName {
public:
    // A name as long as POSIX and Windows allow one (255), and its end.
    static constexpr std::size_t kCapacity = 256;

    // Only the terminator is set: the steps that name files make many names.
    FileName() noexcept { text_[0] = '\0'; }
    explicit FileName(std::string_view text) noexcept : FileName() { Append(text); }

    FileName& Append(std::string_view text) noexcept
    {
        if (text.size() > kCapacity - 1 - size_) {
            fits_ = false;
            return *this;
        }
        text.copy(text_.data() + size_, text.size());
        size_ += text.size();
        text_[size_] = '\0';
        return *this;
    }
    FileName& Append(std::uint64_t number) noexcept
    {
        std::array<char, 20> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
        return Append(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
    }

    [[nodiscard]] const char* CStr() const noexcept { return text_.data(); }
    [[nodiscard]] std::string_view View() const noexcept { return {text_.data(), size_}; }
    [[nodiscard]] bool Fits() const noexcept { return fits_; }

private:
    std::array<char, kCapacity> text_;
    std::size_t size_ = 0;
    bool fits_ = true;
};

} // namespace harrowdeck
