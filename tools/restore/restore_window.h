#pragma once

#include "core/restore/registry_changes.h"
#include "core/restore/restore_points.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace restoretool {

// How the window asks the user and tells of failures; tests answer in their place.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual bool confirm(QWidget* parent, const QString& question) = 0;
    virtual void error(QWidget* parent, const QString& message) = 0;
    // The file to save into, `suggested` offered; empty when the user cancels.
    virtual QString saveFile(QWidget* parent, const QString& suggested) = 0;
};

class MessageBoxDialogs final : public Dialogs {
public:
    bool confirm(QWidget* parent, const QString& question) override;
    void error(QWidget* parent, const QString& message) override;
    QString saveFile(QWidget* parent, const QString& suggested) override;
};

// The restore tool's window: the points (newest selected), making, deleting and restoring one,
// and what changed in the registry since the selected point, grouped by key and named by the
// option that makes each change, with check boxes to undo single changes and a way to save them
// as a registry editor file.
class RestoreWindow final : public QWidget {
    Q_OBJECT
public:
    RestoreWindow(core::restore::PointStore& store, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reads the points and the changes again, keeping the selected point when it still exists.
    void refresh();

private:
    // Reads the points and the changes again and selects the point `number`, else the newest.
    void reload(int number);
    void createPoint();
    void deletePoint();
    void restorePoint();
    void undoChosen();
    void exportChanges();
    void showChanges();
    // The number of the selected point, 0 without one.
    int selectedPoint() const;
    void selectPoint(int number);
    // Runs `action`; a failure goes to the error box and leaves the status line as it was.
    bool attempt(const std::function<void()>& action);

    core::restore::PointStore& m_store;
    Dialogs& m_dialogs;
    QTreeWidget* m_points = nullptr;
    QLineEdit* m_description = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_restore = nullptr;
    QTreeWidget* m_changes = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_status = nullptr;
    std::vector<core::restore::KeyChange> m_shown; // what m_changes lists
};

} // namespace restoretool
