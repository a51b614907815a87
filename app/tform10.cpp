#include "app/tform10.h"

#include "app/tform1.h"
#include "app/window_set.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TForm10::TForm10(chrome::Context& context, app::WindowSet& windows)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_context(context)
    , m_windows(windows)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("System Windows"));
    setFixedSize(329, 81);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    Label1 = new QLabel(QStringLiteral("Niektóre funkcje programu Kwintor Dostrojnik wymagają ponownego uruchomienia "
                                       "komputera. Czy chcesz to zrobić teraz?"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 310, 26);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    Button1 = new QPushButton(QStringLiteral("Nie"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 48, 153, 25);
    Button2 = new QPushButton(QStringLiteral("Tak"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(168, 48, 153, 25);
    setTabOrder(Button1, Button2);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, [this] { chrome::guarded(m_context.errors, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { chrome::guarded(m_context.errors, [this] { Button2Click(); }); });
}

void TForm10::ask()
{
    setWindowModality(Qt::ApplicationModal);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        move(desktop.x() + (desktop.width() - width()) / 2, desktop.y() + (desktop.height() - height()) / 2);
    }
    show();
    raise();
    activateWindow();
    Button1->setFocus();
}

void TForm10::Button1Click()
{
    closeMainWindow();
}

void TForm10::Button2Click()
{
    // The restart command returns first; only then does the program end.
    m_context.shell("shutdown -r -t 0");
    closeMainWindow();
}

void TForm10::closeMainWindow()
{
    // A main window that cannot write its settings stays, and so does the prompt.
    if (m_windows.main().close())
        hide();
}
