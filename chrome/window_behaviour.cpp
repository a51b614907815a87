#include "chrome/window_behaviour.h"

#include "core/registry/tregistry.h"

#include <algorithm>
#include <utility>

namespace chrome {

void runOption(const Action& action, core::RegistryApi& registryApi,
               const std::function<void(const std::string&)>& shell)
{
    for (const std::string& command : action.commands)
        shell(command);
    if (action.steps.empty())
        return;
    core::TRegistry registry(registryApi);
    registry.SetRootKey(action.key.root);
    registry.OpenKey(action.key.path, action.key.create);
    for (const OptionStep& step : action.steps) {
        switch (step.kind) {
        case OptionStepKind::WriteInteger: registry.WriteInteger(step.name, step.integer); break;
        case OptionStepKind::WriteString: registry.WriteString(step.name, step.text); break;
        case OptionStepKind::DeleteValue: registry.DeleteValue(step.name); break;
        case OptionStepKind::DeleteKey: registry.DeleteKey(step.name); break;
        }
    }
}

WindowBehaviour::WindowBehaviour(ui::Window& window, const WindowDefinition& definition, Services services)
    : m_window(window)
    , m_services(std::move(services))
{
    ErrorReporter& errors = m_services.errors;
    if (ui::Picture* minimise = m_window.picture(definition.minimiseTarget)) {
        minimise->onClick = [this, &errors] {
            guarded(errors, [this] {
                if (m_services.minimiseApplication)
                    m_services.minimiseApplication();
            });
        };
    }
    if (ui::Picture* close = m_window.picture(definition.closeTarget)) {
        close->onClick = [this, &errors] {
            guarded(errors, [this] {
                if (closeClicked)
                    closeClicked();
                else
                    m_window.close();
            });
        };
    }
    if (m_services.showOptionState) {
        m_state = std::make_unique<OptionState>(definition);
        if (m_state->empty())
            m_state.reset();
        else
            m_window.onShow = [this, &errors] { guarded(errors, [this] { refreshMarks(); }); };
    }
    for (const OptionRow& row : definition.options) {
        if (ui::Picture* target = m_window.picture(row.target)) {
            target->onClick = [this, &errors, &row] {
                guarded(errors, [this, &row] { runOption(row.action, m_services.registry, m_services.shell); });
                // Also after a click that failed halfway.
                if (m_state)
                    guarded(errors, [this] { refreshMarks(); });
            };
        }
    }
    if (!definition.comments) {
        for (const Hint& hint : definition.hints) {
            if (ui::Part* control = m_window.part(hint.control)) {
                control->setHint(hint.text);
                control->setHintShown(true);
            }
        }
    }
}

void WindowBehaviour::refreshMarks()
{
    if (!m_state)
        return;
    const std::vector<std::string> current = m_state->current(m_services.registry);
    for (const std::string& name : m_state->targets()) {
        if (ui::Picture* target = m_window.picture(name))
            target->setMarked(std::find(current.begin(), current.end(), name) != current.end());
    }
}

} // namespace chrome
