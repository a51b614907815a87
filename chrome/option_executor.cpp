#include "chrome/option_executor.h"

#include "chrome/window_behaviour.h"

namespace chrome {

void runOption(const Action& action, Context& context)
{
    runOption(action, context.registry, context.shell);
}

} // namespace chrome
