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
        case chrome::ComponentKind::Button:
            window.addPart<testing_support::FakeButton>(component.name).setText(component.text);
            break;
        case chrome::ComponentKind::EditBox:
        case chrome::ComponentKind::NameEntry:
            window.addPart<testing_support::FakeEditBox>(component.name).setText(component.text);
            break;
        case chrome::ComponentKind::ListBox: window.addPart<testing_support::FakeListBox>(component.name); break;
        case chrome::ComponentKind::FileList: window.addPart<testing_support::FakeFileList>(component.name); break;
        case chrome::ComponentKind::CheckBox:
            window.addPart<testing_support::FakeCheckBox>(component.name).checked = component.value != 0;
            break;
        case chrome::ComponentKind::Preview: window.addPart<testing_support::FakePreview>(component.name); break;
        case chrome::ComponentKind::SpinEdit:
            window.addPart<testing_support::FakeSpinEdit>(component.name).setValue(component.value);
            break;
        }
        if (chrome::isTool(component))
            window.part(component.name)->setVisible(component.visible);
        if (ui::Part* part = window.part(component.name); part && component.kind != chrome::ComponentKind::Timer)
            part->setPlace({component.place.x, component.place.y, component.place.width, component.place.height});
    }
    for (const chrome::ToolName& tool : definition.toolNames) {
        if (!window.part(tool.control))
            window.addPart(tool.control);
    }
}

BehaviourFixture::BehaviourFixture() : m_settingsPath(m_folder / "dostrojnik.ini")
{
    std::filesystem::create_directories(m_folder / "machine");
}

void BehaviourFixture::buildWindow(const chrome::WindowDefinition& definition)
{
    m_section.reset();
    m_window.reset();
    m_fake = std::make_unique<testing_support::FakeWindow>();
    addParts(*m_fake, definition);
    auto shell = [this](const std::string& line) {
        m_commands.push_back(line);
        if (m_onCommand)
            m_onCommand(line);
    };
    m_window = std::make_unique<chrome::WindowBehaviour>(
        *m_fake, definition, chrome::WindowBehaviour::Services{*m_registryApi, shell, m_errors, [] {}});
}

chrome::SectionServices BehaviourFixture::services()
{
    m_drive.emplace(*m_calls, m_machine);
    return {*m_registryApi, m_settingsPath, *m_calls,
            m_errors,       m_messageBoxes, m_desktop,
            m_processes,    &*m_drive,      [this](std::string_view name) { m_shown.emplace_back(name); }};
}

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

void BehaviourFixture::click(const std::string& name)
{
    if (m_fake->picture(name))
        m_fake->fakePicture(name).click();
    else if (m_fake->label(name))
        m_fake->fakeLabel(name).click();
    else
        ADD_FAILURE() << "no picture or label " << name;
}

void BehaviourFixture::expectHints(const chrome::WindowDefinition& definition, const Hints& hints)
{
    ASSERT_EQ(definition.hints.size(), hints.size());
    for (std::size_t i = 0; i < hints.size(); ++i) {
        const auto& [control, hint] = hints[i];
        EXPECT_EQ(definition.hints[i].control, control);
        const ui::Part* hinted = m_fake->part(control);
        ASSERT_NE(hinted, nullptr) << control;
        EXPECT_TRUE(hinted->hintShown()) << control;
        EXPECT_EQ(hinted->hint(), hint) << control;
    }
}

void BehaviourFixture::expectRowsWrite(const std::vector<RowWrite>& rows)
{
    for (const RowWrite& row : rows) {
        SCOPED_TRACE(row.target);
        for (const testing_support::Value& before : {dword(7), text(u"7")}) {
            seed(row.root, row.key, {{row.value, before}});
            std::map<std::string, std::optional<Values>> expected;
            for (const RowWrite& other : rows)
                expected[other.key] = keyValues(other.root, other.key);
            (*expected[row.key])[row.value] = row.data;
            click(row.target);
            for (const RowWrite& other : rows)
                EXPECT_EQ(keyValues(other.root, other.key), expected[other.key]) << other.key;
        }
        EXPECT_TRUE(m_fake->part(row.target)->hint().empty());
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
}

void BehaviourFixture::expectRowsNeedTheirKeys(const std::vector<RowWrite>& rows)
{
    for (const RowWrite& row : rows) {
        m_errors.messages.clear();
        click(row.target);
        EXPECT_EQ(keyValues(row.root, row.key), std::nullopt) << row.target;
        EXPECT_EQ(m_errors.messages,
                  std::vector<std::string>{std::string("Failed to set data for '") + row.value + "'"})
            << row.target;
    }
    m_errors.messages.clear();
}

void BehaviourFixture::expectRowsCreateTheirKeys(const std::vector<RowWrite>& rows)
{
    for (const RowWrite& row : rows) {
        (void)m_machineRegistry.deleteKey(core::rootHandle(row.root), row.key);
        click(row.target);
        EXPECT_EQ(keyValues(row.root, row.key), (Values{{row.value, row.data}})) << row.target;
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace behaviour_testing
