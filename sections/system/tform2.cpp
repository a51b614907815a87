#include "sections/system/tform2.h"

#include "sections/system/spin_edit.h"
#include "sections/system/window_list.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

TForm2::TForm2(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , Label7(label(QStringLiteral("Label7")))
    , Label9(label(QStringLiteral("Label9")))
    , Timer1(timer(QStringLiteral("Timer1")))
    , Timer2(timer(QStringLiteral("Timer2")))
    , Button1(addButton("Button1", QStringLiteral("Odśwież"), {132, 325, 59, 17}))
    , Button2(addButton("Button2", QStringLiteral("Czyść listę"), {196, 325, 59, 17}))
    , Button3(addButton("Button3", QStringLiteral("Zakończ"), {259, 325, 59, 17}))
    , CSpinEdit1(new SpinEdit(this, 1, 9, 5))
    , ListBox1(new QListWidget(this))
{
    CSpinEdit1->setObjectName(QStringLiteral("CSpinEdit1"));
    CSpinEdit1->setGeometry(408, 323, 33, 22);
    CSpinEdit1->setPalette(QApplication::palette());
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(136, 362, 305, 71);
    ListBox1->setPalette(QApplication::palette());
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    // The markers show which of "Włącz" and "Wyłącz" is in force: to assistive technology the
    // two are switches, and the markers are decoration.
    chrome::makeDecorative(*Label7);
    chrome::makeDecorative(*Label9);
    chrome::makeToggle(*label(QStringLiteral("Label4")), *Label7);
    chrome::makeToggle(*label(QStringLiteral("Label5")), *Label9);

    connect(Button1, &QPushButton::clicked, this, [this] { handle([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { handle([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { handle([this] { Button3Click(); }); });
    connect(label(QStringLiteral("Label4")), &chrome::SkinLabel::clicked, this, [this] { handle([this] { Label4Click(); }); });
    connect(label(QStringLiteral("Label5")), &chrome::SkinLabel::clicked, this, [this] { handle([this] { Label5Click(); }); });
    // Timer1Timer is a click of "Odśwież".
    connect(Timer1, &chrome::DesignTimer::timeout, this, [this] { handle([this] { Button1Click(); }); });
    connect(Timer2, &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer2Timer(); }); });

    // FormCreate: the first fill, with the automatic refresh off.
    handle([this] {
        Button1Click();
        Label9->show();
    });
}

QPushButton* TForm2::addButton(const char* name, const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    // The system's face colour, not the colour key, and a point smaller to fit the button.
    button->setPalette(QApplication::palette());
    QFont font = button->font();
    font.setPointSize(font.pointSize() - 1);
    button->setFont(font);
    return button;
}

void TForm2::Button1Click()
{
    ListBox1->clear();
    QStringList lines;
    for (const core::TopLevelWindow& window : context().desktop.topLevelWindows())
        lines.push_back(sections::windowListLine(window));
    sections::sortWindowList(lines);
    ListBox1->addItems(lines);
}

void TForm2::Button2Click()
{
    ListBox1->clear();
}

void TForm2::Button3Click()
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) {
        context().messageBoxes.message("Nie zaznaczono procesu");
        return;
    }
    // The line stays until the next refill, whatever became of its process.
    switch (context().processes.end(sections::processIdOfLine(selected.front()->text()))) {
    case core::EndProcess::Ended:
        context().messageBoxes.message("Proces zamknięty.");
        break;
    case core::EndProcess::NotOpened:
        context().messageBoxes.message("Nie można otworzyć procesu.");
        break;
    case core::EndProcess::NotEnded:
        context().messageBoxes.message("Nie można zamknąć procesu.");
        break;
    }
}

void TForm2::Label4Click()
{
    Label9->hide();
    Label7->show();
}

void TForm2::Label5Click()
{
    Label7->hide();
    Label9->show();
}

void TForm2::Timer2Timer()
{
    if (!Label7->isHidden()) {
        Timer1->start();
        // A value outside the range, typed and not yet put back, leaves the period as it was.
        const int seconds = CSpinEdit1->value();
        if (seconds >= 1 && seconds <= 9)
            Timer1->setInterval(seconds * 1000);
    }
    if (!Label9->isHidden())
        Timer1->stop();
}
