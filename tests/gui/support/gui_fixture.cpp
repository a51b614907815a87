#include "tests/gui/support/gui_fixture.h"

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

QWidget* component(QWidget& window, const QString& name)
{
    return window.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

GuiFixture::GuiFixture()
    : m_settingsPath(m_folder / "dostrojnik.ini")
    , m_registry(m_folder / "machine", 2400)
{
    std::filesystem::create_directories(m_folder / "machine");
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
                                        m_cursor,
                                        m_clock,
                                        m_driveSpace,
                                        m_screen,
                                        m_pictures,
                                        m_messages,
                                        *m_desktop,
                                        *m_processes,
                                        {}});
    m_windows = std::make_unique<app::WindowSet>(*m_context, m_idlePace);
    m_windows->main().show();
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

void GuiFixture::click(QWidget& window, const QString& name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toStdString();
    sendMouse(*target, QEvent::MouseButtonPress);
    sendMouse(*target, QEvent::MouseButtonRelease);
}

void GuiFixture::pressOn(QWidget& window, const QString& name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toStdString();
    sendMouse(*target, QEvent::MouseButtonPress);
}

void GuiFixture::releaseOn(QWidget& window, const QString& name)
{
    QWidget* target = component(window, name);
    ASSERT_NE(target, nullptr) << name.toStdString();
    sendMouse(*target, QEvent::MouseButtonRelease);
}

} // namespace gui_testing
