#include "app/tform1.h"

#include "app/definitions.h"
#include "chrome/settings_keys.h"

#include "core/registry/tregistry.h"
#include "core/settings/ini_file.h"
#include "core/shell/shell_command.h"

#include <stdexcept>

namespace {
constexpr char kOkno[] = "Okno";
constexpr char kMenu[] = "Menu główne";
constexpr char kVersionSection[] = "Wersja";
constexpr char kPanel[] = "Panel glowny";
constexpr char kUser[] = "Użytkownik";
constexpr char kName[] = "Nazwa";
constexpr char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr char kRestartPrompt[] = "TForm10";
// Shown instead of the free share when drive C: cannot be asked or reports no size.
constexpr char kFreeSpaceUnknown[] = "Nie można odczytać ilości wolnego miejsca na partycji C:";

std::string registeredFor(const std::string& name)
{
    return "Zarejestrowano dla: " + name;
}

} // namespace

TForm1::TForm1(ui::Window& window, const chrome::WindowDefinition& definition, app::Services services)
    : m_window(window)
    , m_services(std::move(services))
{
    handle([this] { readAppearance(); });
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        if (ui::Picture* target = m_window.picture(entry.target))
            target->onClick = [this, &entry] { handle([this, &entry] { m_services.open(entry.windowClass); }); };
    }
    if (ui::Picture* close = m_window.picture(definition.closeTarget)) {
        close->onClick = [this] {
            handle([this] {
                if (ui::Window* prompt = m_services.window(kRestartPrompt))
                    prompt->showModal();
            });
        };
    }
    m_window.find<ui::Button>("Button2")->onClick = [this] { handle([this] { Button2Click(); }); };
    m_window.find<ui::Button>("Button3")->onClick = [this] { handle([this] { Button3Click(); }); };
    m_window.timer("Timer37")->onTick = [this] { handle([this] { Timer37Timer(); }); };
    m_window.onClose = [this] { return FormClose(); };
    handle([this] { FormCreate(); });
}

ui::Label& TForm1::label(const std::string& name) const
{
    if (ui::Label* found = m_window.label(name))
        return *found;
    throw std::logic_error("the main window has no " + name);
}

void TForm1::readAppearance()
{
    const core::TIniFile settings(m_services.settingsPath, m_services.systemCalls);
    m_alphaBlend = settings.ReadInteger(kOkno, chrome::keys::transparency, 0) != 0;
    m_alphaValue = static_cast<std::uint8_t>(settings.ReadInteger(kOkno, chrome::keys::alphaValue, 255) & 0xFF);
    m_autoSize = settings.ReadInteger(kOkno, chrome::keys::autoSizeRead, 0) != 0;
    m_window.setOpacity(m_alphaBlend ? m_alphaValue : 255);
}

void TForm1::FormCreate()
{
    {
        const core::TIniFile settings(m_services.settingsPath, m_services.systemCalls);
        label("Label21").setText(settings.ReadString(kUser, kName, ""));
    }
    label("Label8").setText(registeredFor(label("Label21").text()));

    const core::Clock& clock = m_services.clock;
    const core::LocalTime now = clock.now();
    label("Label3").setText(clock.shortDate(now));
    label("Label4").setText(clock.longTime(now));
    label("Label7").setText(core::dateTimeText(clock, now));

    // The five hints of the information bar and the name are the window's hints, set when it
    // was built.

    // The processor's clock is read once; a machine without it stops the creation here.
    {
        core::TRegistry registry(m_services.registry);
        registry.SetRootKey(core::RootKey::LocalMachine);
        registry.OpenKey(kProcessorKey, false);
        label("Label14").setText(std::to_string(registry.ReadInteger("~MHz")) + " Mhz");
    }

    if (label("Label21").text().empty())
        showFirstRunPanel(true);
}

void TForm1::Timer37Timer()
{
    const core::Clock& clock = m_services.clock;
    label("Label7").setText("Dziś jest : " + core::dateTimeText(clock, clock.now()));

    if (const auto free = core::freeSpace(m_services.driveSpace.driveC()))
        label("Label5").setText(std::to_string(free->percent) + " procent wolnego miejsca na partycji C: (" +
                                std::to_string(free->megabytes) + " MB)");
    else
        label("Label5").setText(kFreeSpaceUnknown);

    const ui::Size screen = m_services.screen.size(m_window);
    label("Label11").setText(std::to_string(screen.height));
    label("Label12").setText(std::to_string(screen.width));
    label("Label6").setText(std::to_string(screen.width) + " x " + std::to_string(screen.height) + " px");
}

void TForm1::Button2Click()
{
    // "start" returns at once; the restore tool runs on its own and the panel stays.
    m_services.shell(core::restoreToolCommand());
}

void TForm1::Button3Click()
{
    ui::Label& name = label("Label21");
    {
        core::TIniFile settings(m_services.settingsPath, m_services.systemCalls);
        settings.WriteString(kUser, kName, m_window.find<ui::EditBox>("Memo1")->text());
        name.setText(settings.ReadString(kUser, kName, name.text()));
    }
    label("Label8").setText(registeredFor(name.text()));
    showFirstRunPanel(false);
}

void TForm1::showFirstRunPanel(bool shown)
{
    for (const std::string& name : app::firstRunPanel())
        m_window.part(name)->setVisible(shown);
}

bool TForm1::FormClose()
{
    // The close goes through only when every write did.
    bool written = false;
    handle([&] {
        core::TIniFile settings(m_services.settingsPath, m_services.systemCalls);
        settings.WriteInteger(kMenu, chrome::keys::transparency, m_alphaBlend ? 1 : 0);
        settings.WriteInteger(kMenu, chrome::keys::alphaValue, m_alphaValue);
        settings.WriteInteger(kMenu, chrome::keys::autoSizeWrite, m_autoSize ? 1 : 0);
        settings.WriteString(kVersionSection, app::kApplicationTitle, label("Label2").text());
        settings.WriteString(kPanel, "Dzień", label("Label3").text());
        settings.WriteString(kPanel, "Godzina", label("Label4").text());
        settings.WriteString(kPanel, "Partycja", "C");
        written = true;
    });
    return written;
}
