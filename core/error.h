#pragma once

#include <stdexcept>
#include <string>

namespace core {

// The one exception type of core. Its message is what the user sees in the error box,
// so it is always a complete sentence of the program's own wording.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace core
