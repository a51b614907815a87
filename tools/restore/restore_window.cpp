#include "tools/restore/restore_window.h"

#include "ui/qt/placement.h"
#include "chrome/skin.h"
#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/platform/system_calls.h"
#include "core/text/unicode.h"
#include "tools/reg/value_text.h"
#include "tools/restore/change_names.h"
#include "tools/restore/changes_file.h"
#include "tools/restore/restore_command.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace restoretool {
namespace {

using core::restore::KeyState;
using core::restore::PointKind;

const QString Title = QStringLiteral("Przywracanie systemu");

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QColor colour(std::uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QPalette skinPalette()
{
    namespace skin = chrome::skin;
    QPalette palette;
    palette.setColor(QPalette::Window, colour(skin::body));
    palette.setColor(QPalette::WindowText, colour(skin::darkText));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, colour(skin::body));
    palette.setColor(QPalette::Text, colour(skin::darkText));
    palette.setColor(QPalette::Button, colour(skin::silver));
    palette.setColor(QPalette::ButtonText, colour(skin::darkText));
    palette.setColor(QPalette::Highlight, colour(skin::choice));
    palette.setColor(QPalette::HighlightedText, colour(skin::lightText));
    return palette;
}

QLabel* heading(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    return pushButton;
}

// Where a row of the changes list points: its key, and its value or -1 for the key itself.
constexpr int KeyRole = Qt::UserRole;
constexpr int ValueRole = Qt::UserRole + 1;

// A key or value under the name of what in the program changes it, when anything does:
// "Awaria / Automatyczne restartowanie: Włącz — AutoReboot".
QString named(const std::string& name, const std::string& what)
{
    return text(name.empty() ? what : name + " — " + what);
}

QString dataColumn(const std::optional<core::registry::HiveValue>& value)
{
    return value ? text(valueText(*value)) : QStringLiteral("—");
}

} // namespace

bool MessageBoxDialogs::confirm(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, Title, question, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Tak"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QStringLiteral("Nie"), QMessageBox::NoRole));
    chrome::fitTitle(box);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxDialogs::error(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, Title, message, QMessageBox::Ok, parent);
    chrome::fitTitle(box);
    box.exec();
}

QString MessageBoxDialogs::saveFile(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz zmiany jako plik rejestru"),
                                        QDir::home().filePath(suggested),
                                        QStringLiteral("Pliki rejestru (*.reg);;Wszystkie pliki (*)"));
}

RestoreWindow::RestoreWindow(core::restore::PointStore& store, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RestoreWindow"));
    setWindowTitle(Title);
    setPalette(skinPalette());
    setAutoFillBackground(true);
    resize(760, 560);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);

    auto* title = new QLabel(Title, this);
    title->setObjectName(QStringLiteral("TitleStrip"));
    title->setAutoFillBackground(true);
    QPalette strip = title->palette();
    strip.setColor(QPalette::Window, colour(chrome::skin::titleStrip));
    strip.setColor(QPalette::WindowText, colour(chrome::skin::lightText));
    title->setPalette(strip);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 3);
    title->setFont(titleFont);
    title->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(title);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    layout->addLayout(body);
    auto* intro = new QLabel(
        QStringLiteral("Punkt przywracania zapamiętuje cały rejestr maszyny. Wybierz punkt, aby zobaczyć, co "
                       "zmieniło się od tamtej chwili; zaznacz zmiany i cofnij tylko je albo przywróć cały punkt. "
                       "Przed każdym przywróceniem powstaje nowy punkt, więc i ono da się cofnąć."),
        this);
    intro->setWordWrap(true);
    body->addWidget(intro);

    body->addWidget(heading(QStringLiteral("Punkty przywracania"), this));
    m_points = new QTreeWidget(this);
    m_points->setObjectName(QStringLiteral("Points"));
    m_points->setHeaderLabels(
        {QStringLiteral("Nr"), QStringLiteral("Data i godzina"), QStringLiteral("Rodzaj"), QStringLiteral("Opis")});
    m_points->setRootIsDecorated(false);
    m_points->setAlternatingRowColors(true);
    m_points->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_points->header()->setStretchLastSection(true);
    body->addWidget(m_points, 2);

    auto* pointRow = new QHBoxLayout;
    pointRow->addWidget(new QLabel(QStringLiteral("Opis nowego punktu:"), this));
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("Description"));
    pointRow->addWidget(m_description, 1);
    m_create = button("CreatePoint", QStringLiteral("Utwórz punkt"), this);
    pointRow->addWidget(m_create);
    m_delete = button("DeletePoint", QStringLiteral("Usuń punkt"), this);
    pointRow->addWidget(m_delete);
    m_restore = button("RestorePoint", QStringLiteral("Przywróć ten punkt"), this);
    pointRow->addWidget(m_restore);
    body->addLayout(pointRow);

    body->addWidget(heading(QStringLiteral("Zmiany od wybranego punktu"), this));
    m_changes = new QTreeWidget(this);
    m_changes->setObjectName(QStringLiteral("Changes"));
    m_changes->setHeaderLabels({QStringLiteral("Klucz i wartość"), QStringLiteral("Zmiana"),
                                QStringLiteral("Dane w punkcie"), QStringLiteral("Dane teraz")});
    m_changes->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_changes->setColumnWidth(0, 300);
    m_changes->setColumnWidth(1, 110);
    m_changes->setColumnWidth(2, 150);
    body->addWidget(m_changes, 3);

    auto* undoRow = new QHBoxLayout;
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    undoRow->addWidget(m_status, 1);
    m_undo = button("UndoChanges", QStringLiteral("Cofnij zaznaczone zmiany"), this);
    undoRow->addWidget(m_undo);
    m_export = button("ExportChanges", QStringLiteral("Zapisz zmiany jako plik .reg"), this);
    undoRow->addWidget(m_export);
    auto* refreshButton = button("Refresh", QStringLiteral("Odśwież"), this);
    undoRow->addWidget(refreshButton);
    body->addLayout(undoRow);

    connect(m_points, &QTreeWidget::itemSelectionChanged, this, &RestoreWindow::showChanges);
    connect(m_create, &QPushButton::clicked, this, &RestoreWindow::createPoint);
    connect(m_description, &QLineEdit::returnPressed, this, &RestoreWindow::createPoint);
    connect(m_delete, &QPushButton::clicked, this, &RestoreWindow::deletePoint);
    connect(m_restore, &QPushButton::clicked, this, &RestoreWindow::restorePoint);
    connect(m_undo, &QPushButton::clicked, this, &RestoreWindow::undoChosen);
    connect(m_export, &QPushButton::clicked, this, &RestoreWindow::exportChanges);
    connect(refreshButton, &QPushButton::clicked, this, &RestoreWindow::refresh);

    refresh();
}

void RestoreWindow::refresh()
{
    reload(selectedPoint());
}

void RestoreWindow::reload(int selected)
{
    const QSignalBlocker blocker(m_points);
    m_points->clear();
    std::vector<core::restore::RestorePoint> points;
    attempt([&] { points = m_store.list(); });
    for (const auto& point : points) {
        auto* item = new QTreeWidgetItem(m_points, {QString::number(point.number), text(point.time),
                                                    text(std::string(core::restore::kindName(point.kind))),
                                                    text(point.description)});
        item->setData(0, Qt::UserRole, point.number);
    }
    selectPoint(selected);
    showChanges();
}

int RestoreWindow::selectedPoint() const
{
    const auto items = m_points->selectedItems();
    return items.isEmpty() ? 0 : items.front()->data(0, Qt::UserRole).toInt();
}

void RestoreWindow::selectPoint(int number)
{
    const QSignalBlocker blocker(m_points);
    const int count = m_points->topLevelItemCount();
    QTreeWidgetItem* chosen = count > 0 ? m_points->topLevelItem(count - 1) : nullptr;
    for (int i = 0; i < count; ++i)
        if (m_points->topLevelItem(i)->data(0, Qt::UserRole).toInt() == number)
            chosen = m_points->topLevelItem(i);
    m_points->clearSelection();
    if (chosen) {
        chosen->setSelected(true);
        m_points->setCurrentItem(chosen);
    }
}

void RestoreWindow::showChanges()
{
    m_changes->clear();
    m_shown.clear();
    const int number = selectedPoint();
    m_delete->setEnabled(number > 0);
    m_restore->setEnabled(number > 0);
    m_undo->setEnabled(false);
    m_export->setEnabled(number > 0);
    if (number == 0)
        return;
    if (!attempt([&] { m_shown = core::restore::changesSince(m_store, number); }))
        return;
    const ChangeNames& names = programChangeNames();
    for (std::size_t k = 0; k < m_shown.size(); ++k) {
        const auto& change = m_shown[k];
        auto* keyItem = new QTreeWidgetItem(
            m_changes, {named(names.keyName(change), core::restore::keyName(change)), text(stateText(change.state))});
        keyItem->setFirstColumnSpanned(false);
        keyItem->setCheckState(0, Qt::Unchecked);
        keyItem->setData(0, KeyRole, static_cast<qulonglong>(k));
        keyItem->setData(0, ValueRole, -1);
        for (std::size_t v = 0; v < change.values.size(); ++v) {
            const auto& value = change.values[v];
            const QString what = !value.before  ? QStringLiteral("dodana")
                                 : !value.after ? QStringLiteral("usunięta")
                                                : QStringLiteral("zmieniona");
            const std::string name = regtool::shownName(core::text::toUtf8(value.name));
            auto* valueItem = new QTreeWidgetItem(keyItem, {named(names.valueName(change, value), name), what,
                                                            dataColumn(value.before), dataColumn(value.after)});
            valueItem->setCheckState(0, Qt::Unchecked);
            valueItem->setData(0, KeyRole, static_cast<qulonglong>(k));
            valueItem->setData(0, ValueRole, static_cast<int>(v));
        }
    }
    m_changes->expandAll();
    m_undo->setEnabled(!m_shown.empty());
    if (m_shown.empty())
        new QTreeWidgetItem(m_changes, {QStringLiteral("Od tego punktu rejestr się nie zmienił.")});
}

void RestoreWindow::createPoint()
{
    QString description = m_description->text().trimmed();
    if (description.isEmpty())
        description = QStringLiteral("Punkt utworzony przez użytkownika");
    core::restore::RestorePoint point;
    if (!attempt([&] { point = m_store.create(PointKind::User, description.toStdString()); }))
        return;
    m_description->clear();
    reload(point.number);
    m_status->setText(QStringLiteral("Utworzono punkt przywracania %1.").arg(point.number));
}

void RestoreWindow::deletePoint()
{
    const int number = selectedPoint();
    if (number == 0 || !m_dialogs.confirm(this, QStringLiteral("Usunąć punkt przywracania %1?").arg(number)))
        return;
    if (!attempt([&] { m_store.remove(number); }))
        return;
    reload(0);
    m_status->setText(QStringLiteral("Usunięto punkt przywracania %1.").arg(number));
}

void RestoreWindow::restorePoint()
{
    const int number = selectedPoint();
    if (number == 0 ||
        !m_dialogs.confirm(this, QStringLiteral("Przywrócić cały rejestr maszyny do stanu z punktu %1? Obecny stan "
                                                "zostanie zapisany jako nowy punkt, więc przywrócenie można cofnąć.")
                                     .arg(number)))
        return;
    core::restore::RestorePoint before;
    if (!attempt([&] { before = m_store.restore(number); }))
        return;
    refresh();
    m_status->setText(
        QStringLiteral("Przywrócono punkt %1. Stan sprzed przywrócenia to punkt %2.").arg(number).arg(before.number));
}

void RestoreWindow::undoChosen()
{
    std::vector<core::restore::ChosenChange> chosen;
    for (int k = 0; k < m_changes->topLevelItemCount(); ++k) {
        QTreeWidgetItem* keyItem = m_changes->topLevelItem(k);
        const auto key = static_cast<std::size_t>(keyItem->data(0, KeyRole).toULongLong());
        if (keyItem->checkState(0) == Qt::Checked) {
            chosen.push_back({key, std::nullopt});
            continue;
        }
        for (int v = 0; v < keyItem->childCount(); ++v)
            if (keyItem->child(v)->checkState(0) == Qt::Checked)
                chosen.push_back({key, static_cast<std::size_t>(keyItem->child(v)->data(0, ValueRole).toInt())});
    }
    if (chosen.empty()) {
        m_status->setText(QStringLiteral("Zaznacz zmiany, które mają zostać cofnięte."));
        return;
    }
    const int number = selectedPoint();
    std::optional<core::restore::RestorePoint> before;
    if (!attempt([&] { before = core::restore::undoChanges(m_store, m_shown, chosen); }))
        return;
    reload(number);
    if (before)
        m_status->setText(
            QStringLiteral("Cofnięto zaznaczone zmiany. Stan sprzed cofnięcia to punkt %1.").arg(before->number));
}

void RestoreWindow::exportChanges()
{
    const int number = selectedPoint();
    if (number == 0)
        return;
    const QString file = m_dialogs.saveFile(this, QStringLiteral("zmiany-od-punktu-%1.reg").arg(number));
    if (file.isEmpty())
        return;
    if (!attempt([&] {
            const std::string bytes = changesRegFile(core::restore::changesSince(m_store, number));
            if (const auto error = core::io::replaceFile(core::posixSystemCalls(), file.toStdString(), bytes))
                throw core::Error("Nie można zapisać pliku " + file.toStdString() + ": " + core::io::describe(error) +
                                  ".");
        }))
        return;
    m_status->setText(QStringLiteral("Zapisano zmiany od punktu %1 w pliku %2.").arg(number).arg(file));
}

bool RestoreWindow::attempt(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const core::Error& error) {
        m_dialogs.error(this, QString::fromUtf8(error.what()));
    } catch (const std::bad_alloc&) {
        m_dialogs.error(this, QStringLiteral("Za mało pamięci."));
    } catch (const std::exception& error) {
        m_dialogs.error(this, QString::fromUtf8(error.what()));
    }
    return false;
}

} // namespace restoretool
