#include "tests/gui/support/gui_fixture.h"

#include "app/definitions.h"
#include "core/registry/tregistry.h"
#include "core/text/cp1250.h"

#include <QApplication>
#include <QMouseEvent>

namespace gui_testing {

namespace {

void sendMouse(QWidget& target, QEvent::Type type)
{
    const QPointF inside(target.width() / 2.0, target.height() / 2.0);
    QMouseEvent event(type, inside, target.mapToGlobal(inside), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

} // namespace

QWidget* component(QWidget& window, QAnyStringView name)
{
    if (auto* skinned = qobject_cast<chrome::SkinnedWindow*>(&window))
        skinned->buildWidgets();
    return window.findChild<QWidget*>(name.toString(), Qt::FindDirectChildrenOnly);
}

GuiFixture::GuiFixture()
    : m_settingsPath(m_folder / "dostrojnik.ini")
    , m_registry(m_folder / "machine", 2400)
    , m_machine(m_folder / "machine", core::hostUserName())
{
    std::filesystem::create_directories(m_folder / "machine");
    // Every machine has the key that the Protection window writes its policy switch into at
    // start; a test of a machine without it deletes it before start().
    core::TRegistry(m_registry).CreateKey(kPolicyKey);
}

GuiFixture::~GuiFixture()
{
    m_windows.reset();
}

void GuiFixture::writeSettings(const std::string& utf8Text)
{
    testing_support::writeText(m_settingsPath, core::text::cp1250FromUtf8(utf8Text));
}

std::string GuiFixture::settingsText() const
{
    if (!settingsExist())
        return {};
    return core::text::utf8FromCp1250(testing_support::readText(m_settingsPath));
}

void GuiFixture::start()
{
    m_context.reset(new chrome::Context{*m_registryApi,
                                        m_settingsPath,
                                        *m_calls,
                                        [this](const std::string& line) {
                                            m_commands.push_back(line);
                                            if (m_onCommand)
                                                m_onCommand(line);
                                        },
                                        m_errors,
                                        m_messageBoxes,
                                        m_cursor,
                                        m_clock,
                                        m_driveSpace,
                                        m_screen,
                                        m_pictures,
                                        *m_desktop,
                                        *m_processes,
                                        {}});
    m_context->machine = &m_machine;
    m_driveFiles = std::make_unique<core::MachineDriveFiles>(*m_calls, m_machine);
    m_context->drive = m_driveFiles.get();
    m_context->showOptionState = m_showOptionState;
    m_windows = std::make_unique<app::WindowSet>(*m_context, m_idlePace);
    m_windows->main().show();
}

std::optional<Values> GuiFixture::keyValues(core::RootKey root, const std::string& path)
{
    return testing_support::keyValues(m_registry, root, path);
}

void GuiFixture::seed(core::RootKey root, const std::string& path, const Values& values)
{
    testing_support::seed(m_registry, root, path, values);
}

void GuiFixture::runTimers(int milliseconds)
{
    // What the event loop has waiting (showing, painting) comes first, as between real ticks.
    QCoreApplication::processEvents();
    m_timerClock.advance(std::chrono::milliseconds(milliseconds));
    QCoreApplication::processEvents();
}

void GuiFixture::idleFor(std::chrono::milliseconds quiet)
{
    m_timerClock.advance(quiet);
}

chrome::SectionWindow& GuiFixture::section(const char* className)
{
    auto* window = qobject_cast<chrome::SectionWindow*>(m_windows->byClass(className));
    if (!window)
        throw std::logic_error(std::string("no section window ") + className);
    return *window;
}

chrome::SectionWindow& GuiFixture::openSection(const char* className)
{
    if (!m_windows)
        start();
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        if (entry.windowClass == className)
            click(mainWindow(), QString::fromStdString(entry.target));
    }
    runTimers();
    return section(className);
}

void GuiFixture::click(QWidget& window, QAnyStringView name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toString().toStdString();
    sendMouse(*target, QEvent::MouseButtonPress);
    sendMouse(*target, QEvent::MouseButtonRelease);
}

void GuiFixture::pressOn(QWidget& window, QAnyStringView name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toString().toStdString();
    sendMouse(*target, QEvent::MouseButtonPress);
}

void GuiFixture::releaseOn(QWidget& window, QAnyStringView name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toString().toStdString();
    sendMouse(*target, QEvent::MouseButtonRelease);
}

} // namespace gui_testing
