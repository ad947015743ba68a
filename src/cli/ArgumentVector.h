// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace harrowdeck {

// Arguments held as strings, handed on as a main function takes them: a
// count, and a vector of pointers that ends with a null one.
class ArgumentVector {
public:
    explicit ArgumentVector(std::vector<std::string> arguments) : arguments_(std::move(arguments))
    {
        for (std::string& argument : arguments_) {
            pointers_.push_back(argument.data());
        }
        pointers_.push_back(nullptr);
    }
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    [[nodiscard]] int Count() const { return static_cast<int>(arguments_.size()); }
    [[nodiscard]] char** Values() { return pointers_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
};

} // namespace harrowdeck
