#include "chrome/option_executor.h"

#include "core/registry/tregistry.h"

namespace chrome {

void runOption(const OptionRow& row, Context& context)
{
    for (const std::string& command : row.commands)
        context.shell(command);
    if (row.steps.empty())
        return;
    core::TRegistry registry(context.registry);
    registry.SetRootKey(row.root);
    registry.OpenKey(row.key, row.createKey);
    for (const OptionStep& step : row.steps) {
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
