#pragma once

#include <QIcon>
#include <QListView>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>

namespace chrome {

// The names a file list shows for `folder`: its files (mask "*.*"), no folders and no hidden
// files (a leading dot), sorted by name without regard to case. The folder is opened once and
// becomes the process's current folder; the names come from reading it, and only entries
// whose kind the read does not tell (links, file systems without types) cost a stat each.
// Throws core::Error when the folder cannot be opened or read.
QStringList readFolder(const std::filesystem::path& folder);

// Whether a name carries the executable glyph: ".exe", ".com", ".bat" or ".pif", any case.
bool isExecutableName(const QString& name);

// A file list box: the files of one folder, one name per line with a small glyph, single
// selection. It is filled only when fill() is called, and filling makes its folder the process's
// current folder.
class FileListBox : public QListView {
    Q_OBJECT
public:
    // Names the folder for the path texts (Windows' spelling of a folder of the machine).
    using FolderName = std::function<QString(const std::filesystem::path& folder)>;

    FileListBox(QWidget* parent, FolderName folderName);
    ~FileListBox() override;

    // At creation the list's folder is the process's current folder.
    const std::filesystem::path& directory() const { return m_directory; }
    // Points the list at another folder; a list that was filled already is filled again.
    void setDirectory(const std::filesystem::path& folder);
    // Reads the folder again, so that the list shows its present content; nothing is selected.
    void fill();
    bool filled() const { return m_filled; }

    QStringList names() const;
    // The selected file: the folder's name, a backslash and the file's name; empty when no line
    // is selected.
    QString fileName() const;
    // The selected file on this machine's file system; empty when no line is selected.
    std::filesystem::path hostFileName() const;

signals:
    // The user picked a line, with the mouse or the keyboard.
    void fileClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Model;

    Model* m_model;
    FolderName m_folderName;
    std::filesystem::path m_directory;
    bool m_filled = false;
};

} // namespace chrome
