#include "app/tform10.h"

#include "app/tform1.h"
#include "app/window_set.h"
#include "ui/qt/placement.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

TForm10::TForm10(chrome::Context& context, app::WindowSet& windows)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
    , m_context(context)
    , m_windows(windows)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("System Windows"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    Label1 = new QLabel(QStringLiteral("Niektóre funkcje programu Kwintor Dostrojnik wymagają ponownego uruchomienia "
                                       "komputera. Czy chcesz to zrobić teraz?"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    // The question takes as many lines as the font at hand needs; the buttons and the window
    // grow down with it.
    const int textHeight = std::max(26, Label1->heightForWidth(310));
    const int growth = textHeight - 26;
    Label1->setGeometry(8, 8, 310, textHeight);
    setFixedSize(329, 81 + growth);

    Button1 = new QPushButton(QStringLiteral("Nie"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 48 + growth, 153, 25);
    Button2 = new QPushButton(QStringLiteral("Tak"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(168, 48 + growth, 153, 25);
    setTabOrder(Button1, Button2);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this,
            [this] { chrome::guarded(m_context.errors, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { chrome::guarded(m_context.errors, [this] { Button2Click(); }); });
}

void TForm10::ask()
{
    setWindowModality(Qt::ApplicationModal);
    chrome::placeOnScreen(*this, chrome::screenOf(&m_windows.main()));
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
