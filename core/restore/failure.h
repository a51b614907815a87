#pragma once

#include "core/error.h"

#include <string>
#include <string_view>
#include <vector>

namespace core::restore {

// A sentence in the program's two languages, its arguments written %1, %2 ... The English one is
// the catalogue's message, which the tools show in the user's language; the Polish one is the
// windows' own.
struct Message {
    constexpr Message(const char* englishText, const char* polishText) : english(englishText), polish(polishText) {}
    const char* english;
    const char* polish;
};

// What a restore point's work fails with: what() is the Polish sentence, as the windows show
// it; a tool says english() with the arguments in the user's language.
class Failure : public Error {
public:
    Failure(Message message, std::vector<std::string> arguments);

    const char* english() const { return m_english; }
    const std::vector<std::string>& arguments() const { return m_arguments; }

private:
    const char* m_english;
    std::vector<std::string> m_arguments;
};

// `pattern` with %1 to %9 replaced by the arguments.
std::string fillIn(std::string_view pattern, const std::vector<std::string>& arguments);

} // namespace core::restore
