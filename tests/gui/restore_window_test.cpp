// The restore tool's window on a temporary machine: making a point, the changes since it as
// rows, undoing a checked one, and restoring the whole point after the user's yes.

#include "core/registry/wine_registry.h"
#include "tests/support/fake_platform.h"
#include "tests/support/temporary_folder.h"
#include "tools/restore/restore_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace core;

namespace {

class AnsweringDialogs final : public restoretool::Dialogs {
public:
    bool confirm(QWidget*, const QString& question) override
    {
        questions.push_back(question);
        return answer;
    }
    void error(QWidget*, const QString& message) override { errors.push_back(message); }
    QString saveFile(QWidget*, const QString&) override { return file; }

    bool answer = false;
    QString file;
    QStringList questions;
    QStringList errors;
};

void setDword(const std::filesystem::path& root, const std::string& key, const std::string& name, std::uint8_t value,
              RootKey top = RootKey::CurrentUser)
{
    WineRegistry registry(root, 0);
    KeyHandle handle;
    ASSERT_EQ(registry.createKey(rootHandle(top), key, Access::AllAccess, handle), RegStatus::Success);
    ASSERT_EQ(registry.setValue(handle, name, RegDword, std::vector<std::uint8_t>{value, 0, 0, 0}), RegStatus::Success);
}

std::optional<std::uint8_t> dword(const std::filesystem::path& root, const std::string& key, const std::string& name)
{
    WineRegistry registry(root, 0);
    KeyHandle handle;
    RegValue value;
    if (registry.openKey(rootHandle(RootKey::CurrentUser), key, Access::Read, handle) != RegStatus::Success ||
        registry.queryValue(handle, name, value) != RegStatus::Success)
        return std::nullopt;
    return value.data.at(0);
}

// Every row of a tree, one line each: its columns joined by " | ", children indented.
QStringList rows(const QTreeWidget& tree)
{
    QStringList out;
    const std::function<void(QTreeWidgetItem*, const QString&)> add = [&](QTreeWidgetItem* item,
                                                                          const QString& indent) {
        QStringList columns;
        for (int c = 0; c < tree.columnCount(); ++c)
            if (!item->text(c).isEmpty())
                columns << item->text(c);
        out << indent + columns.join(QStringLiteral(" | "));
        for (int i = 0; i < item->childCount(); ++i)
            add(item->child(i), indent + QStringLiteral("  "));
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        add(tree.topLevelItem(i), {});
    return out;
}

} // namespace

TEST(RestoreWindow, MakesAPointListsTheChangesUndoesTheCheckedOneAndRestores)
{
    testing_support::TemporaryFolder root;
    setDword(root.path(), "Software\\Opcje", "Animacja", 1);
    setDword(root.path(), "Software\\Opcje", "Dźwięk", 1);
    testing_support::FakeClock clock;
    restore::PointStore store(root.path(), clock);
    AnsweringDialogs dialogs;
    restoretool::RestoreWindow window(store, dialogs);
    auto* points = window.findChild<QTreeWidget*>(QStringLiteral("Points"));
    auto* changes = window.findChild<QTreeWidget*>(QStringLiteral("Changes"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("Status"));
    auto click = [&](const char* name) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    };
    ASSERT_TRUE(points && changes && status);

    window.findChild<QLineEdit*>(QStringLiteral("Description"))->setText(QStringLiteral("Przed opcjami"));
    click("CreatePoint");
    EXPECT_EQ(rows(*points), QStringList{QStringLiteral("1 | 2004-08-15 12:34:56 | ręczny | Przed opcjami")});
    EXPECT_EQ(status->text(), QStringLiteral("Utworzono punkt przywracania 1."));

    setDword(root.path(), "Software\\Opcje", "Animacja", 0);
    setDword(root.path(), "Software\\Opcje", "Dźwięk", 0);
    setDword(root.path(), "Software\\Opcje\\Nowe", "Pasek", 2);
    click("Refresh");
    EXPECT_EQ(rows(*changes),
              (QStringList{QStringLiteral("HKEY_CURRENT_USER\\Software\\Opcje | Klucz zmieniony"),
                           QStringLiteral("  Animacja | zmieniona | REG_DWORD    0x1 | REG_DWORD    0x0"),
                           QStringLiteral("  Dźwięk | zmieniona | REG_DWORD    0x1 | REG_DWORD    0x0"),
                           QStringLiteral("HKEY_CURRENT_USER\\Software\\Opcje\\Nowe | Klucz dodany"),
                           QStringLiteral("  Pasek | dodana | — | REG_DWORD    0x2")}));

    changes->topLevelItem(0)->child(1)->setCheckState(0, Qt::Checked);
    changes->topLevelItem(1)->setCheckState(0, Qt::Checked);
    click("UndoChanges");
    EXPECT_EQ(dword(root.path(), "Software\\Opcje", "Dźwięk"), 1);
    EXPECT_EQ(dword(root.path(), "Software\\Opcje", "Animacja"), 0);
    EXPECT_FALSE(dword(root.path(), "Software\\Opcje\\Nowe", "Pasek"));
    EXPECT_EQ(rows(*changes).size(), 2);
    EXPECT_EQ(points->topLevelItemCount(), 2);
    EXPECT_EQ(points->selectedItems().value(0)->text(0), QStringLiteral("1"));

    dialogs.answer = false;
    click("RestorePoint");
    EXPECT_EQ(dword(root.path(), "Software\\Opcje", "Animacja"), 0);
    dialogs.answer = true;
    click("RestorePoint");
    EXPECT_EQ(dword(root.path(), "Software\\Opcje", "Animacja"), 1);
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(status->text(), QStringLiteral("Przywrócono punkt 1. Stan sprzed przywrócenia to punkt 3."));
    EXPECT_EQ(rows(*changes), QStringList{QStringLiteral("Od tego punktu rejestr się nie zmienił.")});
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QStringLiteral("\n")).toStdString();
}

TEST(RestoreWindow, NamesEachChangeByItsOptionAndSavesTheChangesAsARegFile)
{
    testing_support::TemporaryFolder root;
    const std::string crash = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";
    setDword(root.path(), crash, "AutoReboot", 1, RootKey::LocalMachine);
    setDword(root.path(), "Software\\Opcje", "Animacja", 0);
    testing_support::FakeClock clock;
    restore::PointStore store(root.path(), clock);
    store.create(restore::PointKind::User, "przed");
    setDword(root.path(), crash, "AutoReboot", 0, RootKey::LocalMachine);
    setDword(root.path(), "Software\\Opcje", "Animacja", 1);
    AnsweringDialogs dialogs;
    restoretool::RestoreWindow window(store, dialogs);
    EXPECT_EQ(rows(*window.findChild<QTreeWidget*>(QStringLiteral("Changes"))),
              (QStringList{QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\CrashControl | "
                                          "Klucz zmieniony"),
                           QStringLiteral("  Awaria / Automatyczne restartowanie: Wyłącz — AutoReboot | zmieniona | "
                                          "REG_DWORD    0x1 | REG_DWORD    0x0"),
                           QStringLiteral("HKEY_CURRENT_USER\\Software\\Opcje | Klucz zmieniony"),
                           QStringLiteral("  Animacja | zmieniona | REG_DWORD    0x0 | REG_DWORD    0x1")}));

    dialogs.file = QString::fromStdString((root.path() / "zmiany.reg").string());
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("ExportChanges")), Qt::LeftButton);
    const std::string file = testing_support::readText(root.path() / "zmiany.reg");
    EXPECT_TRUE(file.starts_with(std::string_view("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0", 16))) << file;
    EXPECT_NE(file.find(std::string_view("A\0u\0t\0o\0R\0e\0b\0o\0o\0t\0", 20)), std::string::npos);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Status"))->text(),
              QStringLiteral("Zapisano zmiany od punktu 1 w pliku ") + dialogs.file + QStringLiteral("."));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QStringLiteral("\n")).toStdString();
}
