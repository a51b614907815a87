#include "sections/protection/tform4.h"

#include "chrome/window_behaviour.h"

#include "core/registry/tregistry.h"

using namespace sections::refused_programs;

TForm4::TForm4(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services)
    : chrome::SectionBehaviour(window, definition, services)
    , m_services(services)
    , Edit1(window.find<ui::EditBox>("Edit1"))
{
    for (const Entry& entry : kEntries) {
        window.picture(entry.block)->onClick = guard([this, &entry] { block(entry); });
        window.picture(entry.unblock)->onClick = guard([this, &entry] { unblock(entry); });
        window.timer(entry.timer)->onTick = guard([this, &entry] { load(entry); });
    }
    window.picture("Image12")->onClick = guard([this] { Image12Click(); });
    guard([this] { FormCreate(); })();
}

ui::EditBox& TForm4::edit(const Entry& entry) const
{
    return *window().find<ui::EditBox>(entry.edit);
}

void TForm4::FormCreate()
{
    chrome::runOption(startupWrite(), m_services.registry, {});
}

void TForm4::Image12Click()
{
    // A plain show: the File compatibility window keeps no settings to read.
    if (m_services.showWindow)
        m_services.showWindow("TForm9");
}

void TForm4::block(const Entry& entry)
{
    const std::string subkey = Edit1->text();
    const std::string program = edit(entry).text();
    if (subkey.empty() || program.empty()) {
        m_services.messageBoxes.message("Wpisz nazwę programu");
        return;
    }
    core::TRegIniFile policies(m_services.registry, kPoliciesKey);
    policies.SetRootKey(core::RootKey::CurrentUser);
    if (!policies.OpenKey(subkey, false)) {
        if (!m_services.messageBoxes.askYesNo({}, "The specified key does not exist, create it?"))
            return;
        policies.CreateKey(subkey);
        if (!policies.OpenKey(subkey, false)) {
            m_services.messageBoxes.message("Error in Opening Created Key");
            return;
        }
    }
    // Key names are compared without regard to case, so both spellings name one subkey; the
    // spelling shows only when the first write creates it.
    const char* section = &entry == &kEntries.front() ? "DisallowRun" : "DisAllowRun";
    policies.WriteString(section, entry.value, program);
}

void TForm4::unblock(const Entry& entry)
{
    {
        core::TRegIniFile list(m_services.registry, kListKey);
        list.SetRootKey(core::RootKey::CurrentUser);
        list.DeleteValue(entry.value);
    }
    window().timer(entry.timer)->start();
}

void TForm4::load(const Entry& entry)
{
    // One attempt whatever it finds: a value that cannot be read is reported once, not again
    // every 100 ms, and leaves the entry empty.
    window().timer(entry.timer)->stop();
    ui::EditBox& box = edit(entry);
    box.setText({});
    core::TRegistry registry(m_services.registry);
    registry.SetRootKey(core::RootKey::CurrentUser);
    registry.OpenKey(kListKey, false);
    box.setText(registry.ReadString(entry.value));
}
