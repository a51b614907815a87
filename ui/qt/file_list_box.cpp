#include "ui/qt/file_list_box.h"

#include "chrome/folder_listing.h"

#include "core/error.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace chrome {

namespace {

constexpr int kItemHeight = 16;

// The two glyphs of the list: a sheet of paper, and a window for programs.
QIcon drawGlyph(bool executable)
{
    QPixmap pixmap(kItemHeight, kItemHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    if (executable) {
        painter.setBrush(Qt::white);
        painter.drawRect(1, 3, 13, 10);
        painter.fillRect(2, 4, 12, 3, QColor(10, 36, 106));
    } else {
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
        painter.drawLine(10, 1, 10, 4);
        painter.drawLine(10, 4, 13, 4);
    }
    return QIcon(pixmap);
}

} // namespace

QStringList readFolder(const core::DriveFiles& drive, const core::DrivePath& folder)
{
    QStringList names;
    for (const std::string& name : folderFiles(drive, folder))
        names.push_back(QString::fromStdString(name));
    return names;
}

bool isExecutableName(const QString& name)
{
    for (const char* extension : {".exe", ".com", ".bat", ".pif"}) {
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

class FileListBox::Model : public QAbstractListModel {
public:
    explicit Model(QObject* parent) : QAbstractListModel(parent), m_file(drawGlyph(false)), m_program(drawGlyph(true))
    {
    }

    void setNames(QStringList names)
    {
        beginResetModel();
        m_names = std::move(names);
        endResetModel();
    }
    const QStringList& names() const { return m_names; }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_names.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_names.size())
            return {};
        const QString& name = m_names[index.row()];
        switch (role) {
        case Qt::DisplayRole: return name;
        case Qt::DecorationRole: return isExecutableName(name) ? m_program : m_file;
        case Qt::SizeHintRole: return QSize(0, kItemHeight);
        default: return {};
        }
    }

private:
    QStringList m_names;
    QIcon m_file;
    QIcon m_program;
};

FileListBox::FileListBox(QWidget* parent, const core::DriveFiles* drive)
    : QListView(parent)
    , m_model(new Model(this))
    , m_drive(drive)
{
    if (m_drive)
        m_directory = m_drive->currentFolder();
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setIconSize(QSize(kItemHeight, kItemHeight));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

FileListBox::~FileListBox() = default;

void FileListBox::setDirectory(core::DrivePath folder)
{
    m_directory = std::move(folder);
    if (m_filled)
        fill();
}

void FileListBox::fill()
{
    m_filled = true;
    QStringList names;
    try {
        if (m_drive)
            names = readFolder(*m_drive, m_directory);
    } catch (const core::Error&) {
        // A folder that cannot be read shows as empty.
        m_model->setNames({});
        throw;
    }
    m_model->setNames(std::move(names));
}

void FileListBox::setNames(const QStringList& names)
{
    m_model->setNames(names);
}

QStringList FileListBox::names() const
{
    return m_model->names();
}

QString FileListBox::fileName() const
{
    const auto file = selectedFile();
    return file ? QString::fromStdString(core::windowsName(*file)) : QString();
}

std::optional<core::DrivePath> FileListBox::selectedFile() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return std::nullopt;
    core::DrivePath file = m_directory;
    file.push_back(m_model->names()[current.row()].toStdString());
    return file;
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit fileClicked();
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid())
        emit fileClicked();
}

} // namespace chrome
