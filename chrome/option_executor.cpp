#include "chrome/option_executor.h"

#include "core/registry/tregistry.h"

namespace chrome {

void runOption(const Action& action, Context& context)
{
    for (const std::string& command : action.commands)
        context.shell(command);
    if (action.steps.empty())
        return;
    core::TRegistry registry(context.registry);
    registry.SetRootKey(action.key.root);
    registry.OpenKey(action.key.path, action.key.create);
    for (const OptionStep& step : action.steps) {
        switch (step.kind) {
        case OptionStepKind::WriteInteger:
            registry.WriteInteger(step.name, step.integer);
            break;
        case OptionStepKind::WriteString:
            registry.WriteString(step.name, step.text);
            break;
        case OptionStepKind::DeleteValue:
            registry.DeleteValue(step.name);
            break;
        case OptionStepKind::DeleteKey:
            registry.DeleteKey(step.name);
            break;
        }
    }
}

} // namespace chrome
