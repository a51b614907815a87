#pragma once

#include <QIcon>
#include <QListView>
#include <QString>
#include <QStringList>

#include "core/io/drive_files.h"

#include <optional>

namespace chrome {

// The names a file list shows for `folder` of drive C: (chrome::folderFiles).
QStringList readFolder(const core::DriveFiles& drive, const core::DrivePath& folder);

// Whether a name carries the executable glyph: ".exe", ".com", ".bat" or ".pif", any case.
bool isExecutableName(const QString& name);

// A file list box: the files of one folder of the machine's drive C:, one name per line with a
// small glyph, single selection. It is filled only when fill() is called, and filling makes its
// folder the process's current folder. Without a drive it lists nothing.
class FileListBox : public QListView {
    Q_OBJECT
public:
    FileListBox(QWidget* parent, const core::DriveFiles* drive);
    ~FileListBox() override;

    // At creation the list's folder is the program's current folder on the machine: the
    // process's current folder when it lies on drive C:, else the user's profile there.
    const core::DrivePath& directory() const { return m_directory; }
    // Points the list at another folder; a list that was filled already is filled again.
    void setDirectory(core::DrivePath folder);
    // Reads the folder again, so that the list shows its present content; nothing is selected.
    void fill();
    bool filled() const { return m_filled; }

    QStringList names() const;
    // Shows these names, read by the window's behaviour; nothing is selected.
    void setNames(const QStringList& names);
    // The selected file: the folder's name, a backslash and the file's name; empty when no line
    // is selected.
    QString fileName() const;
    // The selected file on drive C:; none when no line is selected.
    std::optional<core::DrivePath> selectedFile() const;

signals:
    // The user picked a line, with the mouse or the keyboard.
    void fileClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Model;

    Model* m_model;
    const core::DriveFiles* m_drive;
    core::DrivePath m_directory;
    bool m_filled = false;
};

} // namespace chrome
