#include "app/tform1.h"

#include "app/definitions.h"
#include "app/name_entry.h"
#include "app/tform10.h"
#include "app/window_set.h"
#include "ui/qt/hints.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/section_window.h"
#include "chrome/settings_keys.h"
#include "chrome/skin.h"

#include "core/registry/tregistry.h"
#include "core/settings/ini_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

using chrome::qs;

namespace {
constexpr char kOkno[] = "Okno";
constexpr char kMenu[] = "Menu główne";
constexpr char kVersionSection[] = "Wersja";
constexpr char kPanel[] = "Panel glowny";
constexpr char kUser[] = "Użytkownik";
constexpr char kName[] = "Nazwa";
constexpr char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr char kRestoreTool[] = "start %WinDir%\\System32\\Restore\\rstrui.exe";
// Shown instead of the free share when drive C: cannot be asked or reports no size.
const QString kFreeSpaceUnknown = QStringLiteral("Nie można odczytać ilości wolnego miejsca na partycji C:");

QString registeredFor(const QString& name)
{
    return QStringLiteral("Zarejestrowano dla: ") + name;
}

} // namespace

TForm1::TForm1(chrome::Context& context, const chrome::WindowDefinition& definition, app::WindowSet& windows)
    : chrome::SkinnedWindow(context, definition)
    , m_windows(windows)
    , m_date(label("Label7"))
    , m_freeSpace(label("Label5"))
    , m_resolution(label("Label6"))
    , m_height(label("Label11"))
    , m_width(label("Label12"))
{
    // The bar's fields are narrow for what they show: a point smaller, their texts fit.
    for (chrome::SkinLabel* field : {m_date, m_freeSpace, m_resolution, label("Label14")}) {
        QFont font = field->font();
        font.setPointSize(chrome::skin::fontPointSize - 1);
        field->setFont(font);
    }
    handle([this] { readAppearance(); });
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        connect(picture(QString::fromStdString(entry.target)), &chrome::PictureControl::clicked, this,
                [this, &entry] { handle([this, &entry] { openSection(entry.windowClass); }); });
    }
    buildFirstRunControls();
    connect(timer("Timer37"), &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer37Timer(); }); });
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

void TForm1::buildFirstRunControls()
{
    for (const app::PanelControl& control : app::firstRunControls()) {
        QWidget* widget = nullptr;
        if (control.name == "Memo1") {
            Memo1 = new NameEntry(this, app::kUserNameLength);
            widget = Memo1;
        } else {
            auto* button = new QPushButton(qs(control.text), this);
            // Buttons keep the system's face colour, not the window's colour key, and are
            // written a point smaller to fit their designed width.
            QPalette face = button->palette();
            face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
            button->setPalette(face);
            QFont font = button->font();
            font.setPointSize(chrome::skin::fontPointSize - 1);
            button->setFont(font);
            (control.name == "Button2" ? Button2 : Button3) = button;
            widget = button;
        }
        widget->setObjectName(qs(control.name));
        widget->setGeometry(control.place.x, control.place.y, control.place.width, control.place.height);
        widget->hide();
    }
    connect(Button2, &QPushButton::clicked, this, [this] { handle([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { handle([this] { Button3Click(); }); });
}

void TForm1::FormCreate()
{
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        chrome::installHintSettings(*application);

    {
        const core::TIniFile settings(context().settingsPath, context().systemCalls);
        label("Label21")->setText(qs(settings.ReadString(kUser, kName, "")));
    }
    label("Label8")->setText(registeredFor(label("Label21")->text()));

    const core::Clock& clock = context().clock;
    const core::LocalTime now = clock.now();
    label("Label3")->setText(qs(clock.shortDate(now)));
    label("Label4")->setText(qs(clock.longTime(now)));
    m_date->setText(qs(core::dateTimeText(clock, now)));

    // The five hints of the information bar and the name are the window's hints, set when it
    // was built.

    // The processor's clock is read once; a machine without it stops the creation here.
    {
        core::TRegistry registry(context().registry);
        registry.SetRootKey(core::RootKey::LocalMachine);
        registry.OpenKey(kProcessorKey, false);
        label("Label14")->setText(QString::number(registry.ReadInteger("~MHz")) + QStringLiteral(" Mhz"));
    }

    if (label("Label21")->text().isEmpty())
        showFirstRunPanel(true);
}

void TForm1::Timer37Timer()
{
    const core::Clock& clock = context().clock;
    m_date->setText(QStringLiteral("Dziś jest : ") + qs(core::dateTimeText(clock, clock.now())));

    if (const auto free = core::freeSpace(context().driveSpace.driveC()))
        m_freeSpace->setText(QStringLiteral("%1 procent wolnego miejsca na partycji C: (%2 MB)")
                                 .arg(free->percent)
                                 .arg(free->megabytes));
    else
        m_freeSpace->setText(kFreeSpaceUnknown);

    const ui::Size screen = context().screen.size(parts());
    m_height->setText(QString::number(screen.height));
    m_width->setText(QString::number(screen.width));
    m_resolution->setText(QStringLiteral("%1 x %2 px").arg(screen.width).arg(screen.height));
}

void TForm1::Button2Click()
{
    // "start" returns at once; the restore tool runs on its own and the panel stays.
    context().shell(kRestoreTool);
}

void TForm1::Button3Click()
{
    chrome::SkinLabel* name = label("Label21");
    {
        core::TIniFile settings(context().settingsPath, context().systemCalls);
        settings.WriteString(kUser, kName, Memo1->text().toStdString());
        name->setText(qs(settings.ReadString(kUser, kName, name->text().toStdString())));
    }
    label("Label8")->setText(registeredFor(name->text()));
    showFirstRunPanel(false);
}

void TForm1::showFirstRunPanel(bool shown)
{
    for (const std::string& name : app::firstRunPanel())
        findChild<QWidget*>(qs(name), Qt::FindDirectChildrenOnly)->setVisible(shown);
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
