#include "chrome/file_list_box.h"

#include "core/error.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chrome {

namespace {

constexpr int kItemHeight = 16;

[[noreturn]] void failOn(const std::filesystem::path& folder, int error)
{
    throw core::Error("Cannot read the folder " + folder.string() + ": " + std::strerror(error));
}

bool lessByName(const QString& a, const QString& b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

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

QStringList readFolder(const std::filesystem::path& folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        failOn(folder, errno);
    // fdopendir takes the descriptor over.
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(descriptor), ::closedir);
    if (!entries) {
        const int error = errno;
        ::close(descriptor);
        failOn(folder, error);
    }
    if (::fchdir(descriptor) != 0)
        failOn(folder, errno);

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries.get());
        if (!entry) {
            if (errno != 0)
                failOn(folder, errno);
            break;
        }
        if (entry->d_name[0] == '.')
            continue; // ".", ".." and hidden files
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // A link lists as what it leads to; a broken one as a file, as Windows shows it.
            struct stat info {};
            regular = ::fstatat(descriptor, entry->d_name, &info, 0) != 0 || !S_ISDIR(info.st_mode);
        }
        if (regular)
            names.push_back(QString::fromUtf8(entry->d_name));
    }
    std::sort(names.begin(), names.end(), lessByName);
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
    explicit Model(QObject* parent)
        : QAbstractListModel(parent)
        , m_file(drawGlyph(false))
        , m_program(drawGlyph(true))
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
        case Qt::DisplayRole:
            return name;
        case Qt::DecorationRole:
            return isExecutableName(name) ? m_program : m_file;
        case Qt::SizeHintRole:
            return QSize(0, kItemHeight);
        default:
            return {};
        }
    }

private:
    QStringList m_names;
    QIcon m_file;
    QIcon m_program;
};

FileListBox::FileListBox(QWidget* parent, FolderName folderName)
    : QListView(parent)
    , m_model(new Model(this))
    , m_folderName(std::move(folderName))
{
    // A current folder that has been removed meanwhile has no name: the list then reads ".", and
    // finds nothing.
    std::error_code unnamed;
    m_directory = std::filesystem::current_path(unnamed);
    if (unnamed)
        m_directory = ".";
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setIconSize(QSize(kItemHeight, kItemHeight));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

FileListBox::~FileListBox() = default;

void FileListBox::setDirectory(const std::filesystem::path& folder)
{
    m_directory = folder;
    if (m_filled)
        fill();
}

void FileListBox::fill()
{
    m_filled = true;
    QStringList names;
    try {
        names = readFolder(m_directory);
    } catch (const core::Error&) {
        // A folder that cannot be read shows as empty.
        m_model->setNames({});
        throw;
    }
    m_model->setNames(std::move(names));
}

QStringList FileListBox::names() const
{
    return m_model->names();
}

QString FileListBox::fileName() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return {};
    const QString folder = m_folderName ? m_folderName(m_directory) : QString::fromStdString(m_directory.string());
    return folder + QLatin1Char('\\') + m_model->names()[current.row()];
}

std::filesystem::path FileListBox::hostFileName() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return {};
    return m_directory / m_model->names()[current.row()].toStdString();
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
