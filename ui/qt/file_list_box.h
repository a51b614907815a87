#pragma once

#include <QIcon>
#include <QListView>
#include <QString>
#include <QStringList>

#include "core/machine/drive.h"
#include "core/machine/machine.h"

#include <optional>

namespace chrome {

// The names a file list shows for `folder` of drive C:: its files (mask "*.*"), no folders and
// no hidden files (a leading dot), sorted by name without regard to case. The folder is reached
// through the drive's walk, never through a link, and becomes the process's current folder.
// Throws core::Error when the folder cannot be opened or read; a machine without drive C: lists
// nothing.
QStringList readFolder(const core::Drive& drive, const core::DrivePath& folder);

// Whether a name carries the executable glyph: ".exe", ".com", ".bat" or ".pif", any case.
bool isExecutableName(const QString& name);

// A file list box: the files of one folder of the machine's drive C:, one name per line with a
// small glyph, single selection. It is filled only when fill() is called, and filling makes its
// folder the process's current folder. Without a machine it lists nothing.
class FileListBox : public QListView {
    Q_OBJECT
public:
    FileListBox(QWidget* parent, core::SystemCalls& calls, const core::Machine* machine);
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
    core::SystemCalls& m_calls;
    const core::Machine* m_machine;
    core::DrivePath m_directory;
    bool m_filled = false;
};

} // namespace chrome
