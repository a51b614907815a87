#include "app/tform1.h"

#include "app/definitions.h"
#include "app/tform10.h"
#include "app/window_set.h"
#include "chrome/hints.h"
#include "chrome/section_window.h"
#include "chrome/settings_keys.h"

#include "core/settings/ini_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLocale>

namespace {
constexpr char kOkno[] = "Okno";
constexpr char kMenu[] = "Menu główne";
constexpr char kVersionSection[] = "Wersja";
constexpr char kPanel[] = "Panel glowny";
constexpr char kUser[] = "Użytkownik";
} // namespace

TForm1::TForm1(chrome::Context& context, app::WindowSet& windows)
    : chrome::SkinnedWindow(context, app::mainDefinition())
    , m_windows(windows)
{
    handle([this] { readAppearance(); });
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        connect(picture(QString::fromStdString(entry.target)), &chrome::PictureControl::clicked, this,
                [this, &entry] { handle([this, &entry] { openSection(entry.windowClass); }); });
    }
    handle([this] { FormCreate(); });
}

void TForm1::readAppearance()
{
    const core::TIniFile settings(context().settingsPath, context().systemCalls);
    const bool blend = settings.ReadInteger(kOkno, chrome::keys::transparency, 0) != 0;
    const auto alpha = static_cast<std::uint8_t>(settings.ReadInteger(kOkno, chrome::keys::alphaValue, 255) & 0xFF);
    m_autoSize = settings.ReadInteger(kOkno, chrome::keys::autoSizeRead, 0) != 0;
    setAlpha(blend, alpha);
}

void TForm1::FormCreate()
{
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        chrome::installHintSettings(*application);

    const core::TIniFile settings(context().settingsPath, context().systemCalls);
    label("Label21")->setText(QString::fromStdString(settings.ReadString(kUser, "Nazwa", "")));
    label("Label8")->setText(QStringLiteral("Zarejestrowano dla: ") + label("Label21")->text());

    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    const QString time = locale.toString(now.time(), QLocale::LongFormat);
    label("Label3")->setText(date);
    label("Label4")->setText(time);
    label("Label7")->setText(now.time() == QTime(0, 0) ? date : date + QLatin1Char(' ') + time);
}

void TForm1::openSection(const std::string& windowClass)
{
    QWidget* window = m_windows.byClass(windowClass);
    if (auto* section = qobject_cast<chrome::SectionWindow*>(window)) {
        section->openingSequence();
        return;
    }
    // The About window is shown as it is: no settings.
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm1::closeClicked()
{
    m_windows.get<TForm10>().ask();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The close goes through only when every write did.
    event->ignore();
    handle([&] {
        core::TIniFile settings(context().settingsPath, context().systemCalls);
        settings.WriteInteger(kMenu, chrome::keys::transparency, alphaBlend() ? 1 : 0);
        settings.WriteInteger(kMenu, chrome::keys::alphaValue, alphaValue());
        settings.WriteInteger(kMenu, chrome::keys::autoSizeWrite, m_autoSize ? 1 : 0);
        settings.WriteString(kVersionSection, app::kApplicationTitle, label("Label2")->text().toStdString());
        settings.WriteString(kPanel, "Dzień", label("Label3")->text().toStdString());
        settings.WriteString(kPanel, "Godzina", label("Label4")->text().toStdString());
        settings.WriteString(kPanel, "Partycja", "C");
        event->accept();
        emit closed();
    });
}
