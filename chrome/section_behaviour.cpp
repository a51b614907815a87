#include "chrome/section_behaviour.h"

#include "chrome/settings_keys.h"

#include "core/settings/ini_file.h"

#include <utility>

namespace chrome {

SectionBehaviour::SectionBehaviour(ui::Window& window, const WindowDefinition& definition,
                                   std::filesystem::path settingsPath, core::SystemCalls& calls, ErrorReporter& errors)
    : m_window(window)
    , m_definition(definition)
    , m_settingsPath(std::move(settingsPath))
    , m_calls(calls)
    , m_errors(errors)
{
    const CommentsRoles& comments = roles();
    commentsOnTimer().onTick = [this] { guarded(m_errors, [this] { commentsOn(); }); };
    commentsOffTimer().onTick = [this] { guarded(m_errors, [this] { commentsOff(); }); };
    m_window.label(comments.onSwitch)->onClick = [this] { guarded(m_errors, [this] { commentsOnTimer().start(); }); };
    m_window.label(comments.offSwitch)->onClick = [this] { guarded(m_errors, [this] { commentsOffTimer().start(); }); };
    m_window.onClose = [this] { return close(); };
}

SectionBehaviour::SectionBehaviour(ui::Window& window, const WindowDefinition& definition,
                                   const SectionServices& services)
    : SectionBehaviour(window, definition, services.settingsPath, services.systemCalls, services.errors)
{
}

ui::Label& SectionBehaviour::commentsLabel() const
{
    return *m_window.label(roles().label);
}

ui::Timer& SectionBehaviour::commentsOnTimer() const
{
    return *m_window.timer(roles().onTimer);
}

ui::Timer& SectionBehaviour::commentsOffTimer() const
{
    return *m_window.timer(roles().offTimer);
}

void SectionBehaviour::setAlpha(bool blend, std::uint8_t value)
{
    m_alphaBlend = blend;
    m_alphaValue = value;
    m_window.setOpacity(blend ? value : 255);
}

void SectionBehaviour::openingSequence()
{
    const std::string& section = m_definition.settingsSection;
    {
        const core::TIniFile settings(m_settingsPath, m_calls);
        const bool blend = settings.ReadInteger(section, keys::transparency, 0) != 0;
        const auto alpha = static_cast<std::uint8_t>(settings.ReadInteger(section, keys::alphaValue, 255) & 0xFF);
        setAlpha(blend, alpha);
        commentsLabel().setText(settings.ReadString(section, keys::comments, "Tak"));
    }
    // Only the exact texts switch; anything else keeps the state the window has.
    const std::string state = commentsLabel().text();
    if (state == "Tak")
        commentsOnTimer().start();
    else if (state == "Nie")
        commentsOffTimer().start();
    m_window.bringForward();
}

bool SectionBehaviour::close()
{
    const std::string& section = m_definition.settingsSection;
    if (section.empty())
        return true;
    // The close goes through only when every write did.
    bool written = false;
    guarded(m_errors, [&] {
        core::TIniFile settings(m_settingsPath, m_calls);
        settings.WriteInteger(section, keys::transparency, m_alphaBlend ? 1 : 0);
        settings.WriteInteger(section, keys::alphaValue, m_alphaValue);
        settings.WriteString(section, keys::comments, commentsLabel().text());
        written = true;
    });
    return written;
}

void SectionBehaviour::setHintsShown(bool shown)
{
    for (const Hint& hint : m_definition.hints) {
        if (ui::Part* control = m_window.part(hint.control))
            control->setHintShown(shown);
    }
}

void SectionBehaviour::assignHints()
{
    for (const Hint& hint : m_definition.hints) {
        if (ui::Part* control = m_window.part(hint.control))
            control->setHint(hint.text);
    }
}

void SectionBehaviour::commentsOn()
{
    setHintsShown(true);
    assignHints();
    m_window.label(roles().offArrow)->hide();
    if (!arrowsShown || arrowsShown())
        m_window.label(roles().onArrow)->show();
    commentsLabel().setText("Tak");
    commentsOnTimer().stop();
}

void SectionBehaviour::commentsOff()
{
    setHintsShown(false);
    m_window.label(roles().onArrow)->hide();
    if (!arrowsShown || arrowsShown())
        m_window.label(roles().offArrow)->show();
    commentsLabel().setText("Nie");
    commentsOffTimer().stop();
}

} // namespace chrome
