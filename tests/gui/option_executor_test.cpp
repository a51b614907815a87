// Option rows: a window wires each row to its target, and one executor runs every kind of row
// through one short-lived registry object (created, root set, key opened with or without
// creating it, steps in order, freed on every path) or through the shell command.

#include "tests/gui/support/gui_fixture.h"

#include "chrome/option_executor.h"
#include "ui/qt/skinned_window.h"

#include "core/error.h"
#include "core/registry/tregistry.h"
#include "tests/support/forwarding_registry.h"

#include <set>

using namespace gui_testing;
using chrome::PictureLook;
using core::RootKey;

namespace {

constexpr char kCrashControl[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";
const chrome::RegistryKey kCreated{RootKey::LocalMachine, kCrashControl, true};
const chrome::RegistryKey kMissing{RootKey::CurrentUser, "Software\\No\\Such\\Key", false};

chrome::WindowDefinition testWindow()
{
    chrome::WindowDefinition w;
    w.className = "TTestForm";
    w.componentName = "TestForm";
    w.caption = "Test";
    w.width = 200;
    w.height = 100;
    w.components = {chrome::picture("Image1", {0, 0, 200, 100}, PictureLook::Background),
                    chrome::picture("Image7", {0, 0, 160, 30}, PictureLook::OptionCaption, "Automatyczne"),
                    chrome::target("Image8", {0, 30, 80, 30}, PictureLook::TargetOn, "Włącz"),
                    chrome::target("Image9", {80, 30, 80, 30}, PictureLook::TargetOff, "Wyłącz"),
                    chrome::target("Image10", {0, 60, 80, 30}, PictureLook::TargetChoice, "Czyść"),
                    chrome::target("Image11", {80, 60, 80, 30}, PictureLook::TargetChoice, "Usuń"),
                    chrome::timer("Timer1", 1, false)};
    w.dragTimer = "Timer1";
    w.dragSurfaces = {"Image1"};
    w.options = {
        {"Image8", chrome::writeValue(kCreated, "AutoReboot", chrome::Dword{1})},
        {"Image9", chrome::writeValue(kMissing, "Overwrite", chrome::Dword{0})},
        {"Image10", chrome::commandLines({"rd /s /q %TMP%", "md %TMP%"})},
        {"Image11", chrome::onKey(kCreated, {chrome::deleteValue("AutoReboot"), chrome::deleteValue("AutoReboot"),
                                             chrome::writeValue("Dump", chrome::Text{"tak"})})}};
    return w;
}

// Passes every call on to the real registry and notes the calls that shape a key's life.
class RecordingRegistry final : public testing_support::ForwardingRegistry {
public:
    using ForwardingRegistry::ForwardingRegistry;

    std::vector<std::string> log;
    std::set<std::uint32_t> open;

    core::RegStatus createKey(core::KeyHandle parent, std::string_view path, core::Access access,
                              core::KeyHandle& opened) override
    {
        return note("create " + where(parent, path, access), m_inner.createKey(parent, path, access, opened), opened);
    }
    core::RegStatus openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                            core::KeyHandle& opened) override
    {
        return note("open " + where(parent, path, access), m_inner.openKey(parent, path, access, opened), opened);
    }
    core::RegStatus closeKey(core::KeyHandle key) override
    {
        log.push_back("close");
        open.erase(key.id);
        return m_inner.closeKey(key);
    }
    core::RegStatus setValue(core::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) override
    {
        log.push_back("set " + std::string(name) + (type == core::RegDword ? " dword" : " sz"));
        return m_inner.setValue(key, name, type, data);
    }
    core::RegStatus deleteValue(core::KeyHandle key, std::string_view name) override
    {
        log.push_back("delete value " + std::string(name));
        return m_inner.deleteValue(key, name);
    }
    core::RegStatus deleteKey(core::KeyHandle parent, std::string_view path) override
    {
        log.push_back("delete key " + std::string(path));
        return m_inner.deleteKey(parent, path);
    }

private:
    static std::string where(core::KeyHandle parent, std::string_view path, core::Access access)
    {
        std::string root = "key";
        if (parent == core::rootHandle(RootKey::LocalMachine))
            root = "HKLM";
        else if (parent == core::rootHandle(RootKey::CurrentUser))
            root = "HKCU";
        else if (parent == core::rootHandle(RootKey::ClassesRoot))
            root = "HKCR";
        return root + "\\" + std::string(path) + (access == core::Access::AllAccess ? "" : " (read)");
    }
    core::RegStatus note(std::string call, core::RegStatus status, core::KeyHandle opened)
    {
        log.push_back(std::move(call) + (status == core::RegStatus::Success ? "" : " failed"));
        if (status == core::RegStatus::Success)
            open.insert(opened.id);
        return status;
    }
};

class OptionExecutorTest : public GuiFixture {
protected:
    void SetUp() override
    {
        m_registryApi = &m_recording;
        start();
        m_window = std::make_unique<chrome::SkinnedWindow>(*m_context, m_definition);
    }
    void TearDown() override { m_window.reset(); }

    std::optional<std::int32_t> autoReboot()
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::LocalMachine);
        if (!registry.OpenKey(kCrashControl, false) || !registry.ValueExists("AutoReboot"))
            return std::nullopt;
        return registry.ReadInteger("AutoReboot");
    }
    bool keyExists(RootKey root, const std::string& path)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(root);
        return registry.OpenKey(path, false);
    }
    void makeKey(RootKey root, const std::string& path)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(root);
        registry.CreateKey(path);
    }

    // Runs an action straight through the executor; the message of what escaped, if anything.
    std::string runRecorded(const chrome::Action& action)
    {
        m_recording.log.clear();
        std::string escaped;
        try {
            chrome::runOption(action, *m_context);
        } catch (const core::Error& error) {
            escaped = error.what();
        }
        m_log = m_recording.log;
        m_leftOpen = m_recording.open.size();
        return escaped;
    }

    RecordingRegistry m_recording{m_registry};
    const chrome::WindowDefinition m_definition = testWindow();
    std::unique_ptr<chrome::SkinnedWindow> m_window;
    std::vector<std::string> m_log;
    std::size_t m_leftOpen = 0;
};

TEST_F(OptionExecutorTest, AClickWritesTheRowsValueCreatingTheKey)
{
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    EXPECT_TRUE(m_errors.messages.empty());
    // The caption picture does nothing.
    click(*m_window, "Image7");
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(OptionExecutorTest, AKeyThatDoesNotOpenMakesTheWriteFailAndTheWindowStaysUsable)
{
    click(*m_window, "Image9");
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Failed to set data for 'Overwrite'");
    EXPECT_FALSE(keyExists(RootKey::CurrentUser, "Software\\No"));
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(OptionExecutorTest, CommandLinesRunInOrder)
{
    click(*m_window, "Image10");
    EXPECT_EQ(m_commands, (std::vector<std::string>{"rd /s /q %TMP%", "md %TMP%"}));
}

TEST_F(OptionExecutorTest, StepsRunInOrderAndDeletingWhatIsAbsentIsSilent)
{
    click(*m_window, "Image8");
    click(*m_window, "Image11");
    EXPECT_EQ(autoReboot(), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
    core::TRegistry registry(m_registry);
    registry.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey(kCrashControl, false));
    EXPECT_EQ(registry.ReadString("Dump"), "tak");
}

TEST_F(OptionExecutorTest, TheRegistryObjectLivesForOneClickAndIsFreedOnEveryPath)
{
    EXPECT_EQ(runRecorded(chrome::writeValue(kCreated, "AutoReboot", chrome::Dword{1})), "");
    EXPECT_EQ(m_log, (std::vector<std::string>{"create HKLM\\" + std::string(kCrashControl), "set AutoReboot dword",
                                               "close"}));
    EXPECT_EQ(m_leftOpen, 0u);

    // Without creating: the open fails unnoticed, the write raises, the steps after it are skipped.
    const chrome::Action refused =
        chrome::onKey(kMissing, {chrome::writeValue("Start Page", chrome::Text{"x"}), chrome::deleteValue("y")});
    EXPECT_EQ(runRecorded(refused), "Failed to set data for 'Start Page'");
    EXPECT_EQ(m_log, (std::vector<std::string>{"open HKCU\\Software\\No\\Such\\Key failed"}));

    // A write refused after the key opened still closes it.
    makeKey(RootKey::CurrentUser, "Software\\Firma");
    const chrome::Action badName = chrome::onKey({RootKey::CurrentUser, "Software\\Firma", false},
                                                 {chrome::writeValue("", chrome::Text{"domyślna"}),
                                                  chrome::writeValue(std::string(16384, 'x'), chrome::Dword{1})});
    EXPECT_NE(runRecorded(badName), "");
    EXPECT_EQ(m_log.front(), "open HKCU\\Software\\Firma");
    EXPECT_EQ(m_log.back(), "close");
    EXPECT_EQ(m_leftOpen, 0u);
}

TEST_F(OptionExecutorTest, KeysAreDeletedFromTheOpenedKeyOrFromTheRootWithTheirSubkeys)
{
    const std::string ie = "Software\\Microsoft\\Internet Explorer";
    makeKey(RootKey::CurrentUser, ie + "\\TypedURLs\\Deeper");
    EXPECT_EQ(runRecorded(chrome::onKey({RootKey::CurrentUser, ie, false}, {chrome::deleteKey("TypedURLs")})), "");
    EXPECT_FALSE(keyExists(RootKey::CurrentUser, ie + "\\TypedURLs"));
    EXPECT_TRUE(keyExists(RootKey::CurrentUser, ie));
    EXPECT_EQ(m_leftOpen, 0u);

    // The key a click opened (creating it) is deleted again by its path from the root; its
    // parents stay, and a second delete of what is gone is silent.
    const std::string handler = ".mpg\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C2}";
    const chrome::Action remove =
        chrome::onKey({RootKey::ClassesRoot, handler, true}, {chrome::deleteKey("\\" + handler)});
    EXPECT_EQ(runRecorded(remove), "");
    EXPECT_FALSE(keyExists(RootKey::ClassesRoot, handler));
    EXPECT_TRUE(keyExists(RootKey::ClassesRoot, ".mpg\\ShellEx"));
    EXPECT_EQ(runRecorded(chrome::onKey({RootKey::ClassesRoot, ".mpg", false}, {chrome::deleteKey("\\" + handler)})),
              "");
    EXPECT_EQ(m_leftOpen, 0u);
}

} // namespace
