#include "chrome/errors.h"

#include "core/error.h"

namespace chrome {

std::string errorBoxText(const std::string& message)
{
    if (!message.empty() && message.back() != '.')
        return message + ".";
    return message;
}

void reportException(ErrorReporter& errors, const std::exception* e) noexcept
{
    try {
        const auto* error = dynamic_cast<const core::Error*>(e);
        errors.report(error ? std::string(error->what()) : std::string());
    } catch (...) {
        // A reporter that fails has nobody left to tell.
    }
}

} // namespace chrome
