#include "core/restore/failure.h"

#include "core/text/fill_in.h"

namespace core::restore {

Failure::Failure(Message message, std::vector<std::string> arguments)
    : Error(fillIn(message.polish, arguments))
    , m_english(message.english)
    , m_arguments(std::move(arguments))
{
}

std::string fillIn(std::string_view pattern, const std::vector<std::string>& arguments)
{
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    return text::fillIn(pattern, views);
}

} // namespace core::restore
