#include "sections/removal/tform6.h"

#include "chrome/file_list_box.h"
#include "sections/removal/picture_files.h"
#include "sections/removal/preview.h"

#include <QCheckBox>
#include <QPushButton>

#include <sys/stat.h>

namespace {

constexpr char kWallpaperFolder[] = "C:\\Windows\\Web\\Wallpaper";

} // namespace

TForm6::TForm6(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , FileListBox1(new chrome::FileListBox(this,
                                            [&context](const std::filesystem::path& folder) {
                                                if (context.machine) {
                                                    if (auto name = context.machine->windowsPath(folder))
                                                        return QString::fromStdString(*name);
                                                }
                                                return QString::fromStdString(folder.string());
                                            }))
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
    const auto wallpapers = context().machine->hostPath(kWallpaperFolder);
    struct stat info {};
    if (wallpapers && context().systemCalls.stat(wallpapers->c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        FileListBox1->setDirectory(*wallpapers);
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
    const QImage picture = removal::loadPictureFile(FileListBox1->hostFileName());
    Image6->setPicture(picture);
    setLabelText(*Label5, FileListBox1->fileName());
}

void TForm6::Button1Click()
{
    // No question and no message; a file that cannot be deleted simply stays listed.
    context().systemCalls.unlink(FileListBox1->hostFileName().c_str());
    FileListBox1->fill();
}

void TForm6::Timer1Timer()
{
    Image6->setStretch(CheckBox1->isChecked());
}
