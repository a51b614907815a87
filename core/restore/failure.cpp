#include "core/restore/failure.h"

namespace core::restore {

Failure::Failure(Message message, std::vector<std::string> arguments)
    : Error(fillIn(message.polish, arguments))
    , m_english(message.english)
    , m_arguments(std::move(arguments))
{
}

std::string fillIn(std::string_view pattern, const std::vector<std::string>& arguments)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < arguments.size()) {
            out += arguments[index];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace core::restore
