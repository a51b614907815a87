#include "core/text/fill_in.h"

namespace core::text {

std::string fillIn(std::string_view pattern, std::span<const std::string_view> arguments)
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

} // namespace core::text
