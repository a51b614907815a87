#include "tests/behaviour/support/behaviour_fixture.h"

#include "core/text/cp1250.h"

namespace behaviour_testing {

void addParts(testing_support::FakeWindow& window, const chrome::WindowDefinition& definition)
{
    for (const chrome::Component& component : definition.components) {
        switch (component.kind) {
        case chrome::ComponentKind::Picture: window.addPicture(component.name).setVisible(component.visible); break;
        case chrome::ComponentKind::Label: {
            testing_support::FakeLabel& label = window.addLabel(component.name);
            label.setText(component.text);
            label.setVisible(component.visible);
            break;
        }
        case chrome::ComponentKind::Timer: {
            testing_support::FakeTimer& timer = window.addTimer(component.name);
            timer.setInterval(component.interval);
            timer.setEnabled(component.enabled);
            break;
        }
        }
    }
    for (const chrome::ToolName& tool : definition.toolNames)
        window.addPart(tool.control);
}

BehaviourFixture::BehaviourFixture() : m_settingsPath(m_folder / "dostrojnik.ini") {}

void BehaviourFixture::writeSettings(const std::string& utf8Text)
{
    testing_support::writeText(m_settingsPath, core::text::cp1250FromUtf8(utf8Text));
}

std::string BehaviourFixture::settingsText() const
{
    if (!std::filesystem::exists(m_settingsPath))
        return {};
    return core::text::utf8FromCp1250(testing_support::readText(m_settingsPath));
}

} // namespace behaviour_testing
