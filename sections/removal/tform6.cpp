#include "sections/removal/tform6.h"

#include "ui/qt/file_list_box.h"
#include "sections/removal/picture_files.h"
#include "sections/removal/preview.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

constexpr char kWallpaperFolder[] = "C:\\Windows\\Web\\Wallpaper";

} // namespace

TForm6::TForm6(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , FileListBox1(new chrome::FileListBox(this, context.systemCalls, context.machine))
    , Button1(new QPushButton(QStringLiteral("Usuń"), this))
    , Image6(new removal::Preview(this))
    , CheckBox1(new QCheckBox(QStringLiteral("Skalowanie obrazów"), this))
    , Label5(label(QStringLiteral("Label5")))
{
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(128, 160, 105, 177);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(128, 344, 105, 17);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->setGeometry(240, 160, 209, 153);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(240, 322, 121, 17);
    CheckBox1->setChecked(true);
    CheckBox1->setAutoFillBackground(true);
    QPalette white = CheckBox1->palette();
    white.setColor(QPalette::Window, Qt::white);
    CheckBox1->setPalette(white);

    connect(FileListBox1, &chrome::FileListBox::fileClicked, this, [this] { handle([this] { FileListBox1Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { handle([this] { Button1Click(); }); });
    connect(timer(QStringLiteral("Timer1")), &chrome::DesignTimer::timeout, this,
            [this] { handle([this] { Timer1Timer(); }); });
    handle([this] { FormCreate(); });
}

void TForm6::FormCreate()
{
    if (!context().machine)
        return;
    // A link in the wallpaper folder's place is no folder: the list keeps its default folder.
    core::DrivePath wallpapers;
    core::DrivePath real;
    int error = 0;
    if (core::parseWindowsPath(kWallpaperFolder, {}, wallpapers) == core::PathProblem::None &&
        core::Drive(context().systemCalls, context().machine->driveC()).openFolder(wallpapers, error, &real))
        FileListBox1->setDirectory(std::move(real));
}

void TForm6::showEvent(QShowEvent* event)
{
    chrome::SectionWindow::showEvent(event);
    // The list reads its folder when it is first shown.
    if (!FileListBox1->filled())
        handle([this] { FileListBox1->fill(); });
}

void TForm6::FileListBox1Click()
{
    const auto file = FileListBox1->selectedFile();
    const QImage picture =
        file && context().machine
            ? removal::loadPictureFile(core::Drive(context().systemCalls, context().machine->driveC()), *file)
            : QImage();
    Image6->setPicture(picture);
    setLabelText(*Label5, FileListBox1->fileName());
}

void TForm6::Button1Click()
{
    // No question and no message; a file that cannot be deleted simply stays listed.
    if (const auto file = FileListBox1->selectedFile(); file && context().machine)
        core::Drive(context().systemCalls, context().machine->driveC()).removeFile(*file);
    FileListBox1->fill();
}

void TForm6::Timer1Timer()
{
    Image6->setStretch(CheckBox1->isChecked());
}
