// Restore points on a machine folder: what a point holds, restoring and undoing a restore, the
// automatic point of a program run, the limit on automatic points, and undoing chosen changes.

#include "core/error.h"
#include "core/registry/wine_registry.h"
#include "core/restore/registry_changes.h"
#include "core/restore/restore_points.h"
#include "tests/support/fake_platform.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using namespace core;
using core::restore::PointKind;
using core::restore::PointStore;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;

namespace {

std::vector<std::uint8_t> dword(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

const std::vector<std::string> Hives{"system.reg", "user.reg", "userdef.reg"};

// Sets values "Software\<key>" of HKEY_CURRENT_USER (and one in HKEY_LOCAL_MACHINE) through a registry.
void write(RegistryApi& registry, const std::string& key, std::uint32_t value, RootKey root = RootKey::CurrentUser)
{
    KeyHandle handle;
    ASSERT_EQ(registry.createKey(rootHandle(root), "Software\\" + key, Access::AllAccess, handle), RegStatus::Success)
        << registry.lastFailure();
    ASSERT_EQ(registry.setValue(handle, "v", RegDword, dword(value)), RegStatus::Success) << registry.lastFailure();
    registry.closeKey(handle);
}

std::optional<std::uint32_t> read(RegistryApi& registry, const std::string& key, const std::string& name = "v")
{
    KeyHandle handle;
    if (registry.openKey(rootHandle(RootKey::CurrentUser), "Software\\" + key, Access::Read, handle) !=
        RegStatus::Success)
        return std::nullopt;
    RegValue value;
    const RegStatus status = registry.queryValue(handle, name, value);
    registry.closeKey(handle);
    if (status != RegStatus::Success)
        return std::nullopt;
    return value.data.size() == 4 ? value.data[0] | value.data[1] << 8 : 0xFFFF;
}

std::map<std::string, std::optional<std::string>> hiveTexts(const std::filesystem::path& folder)
{
    std::map<std::string, std::optional<std::string>> texts;
    for (const auto& hive : Hives)
        texts[hive] = std::filesystem::exists(folder / hive) ? std::optional(readText(folder / hive)) : std::nullopt;
    return texts;
}

ino_t inode(const std::filesystem::path& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

// One run of the program: a registry that makes the automatic point before its first change.
void programRun(const std::filesystem::path& root, PointStore& store, const std::function<void(RegistryApi&)>& work)
{
    WineRegistry registry(root, 1000);
    registry.setBeforeFirstChange([&] { store.createAutomaticLocked("Automatyczny"); });
    work(registry);
}

std::size_t countKind(const PointStore& store, PointKind kind)
{
    std::size_t count = 0;
    for (const auto& point : store.list())
        count += point.kind == kind;
    return count;
}

// A machine folder with its restore points, the clock standing still.
class RestorePoints : public ::testing::Test {
protected:
    TemporaryFolder root;
    testing_support::FakeClock clock;
    PointStore store{root.path(), clock};
};

} // namespace

TEST(RestorePointFiles, APointHoldsTheHivesAsTheyWereLinkedWhereItCanBe)
{
    struct Row {
        const char* name;
        int linkError; // 0: links work
    };
    for (const Row& row : {Row{"links", 0}, Row{"another file system", EXDEV}, Row{"no links at all", EPERM}}) {
        SCOPED_TRACE(row.name);
        TemporaryFolder root;
        WineRegistry registry(root.path(), 1000);
        write(registry, "Zażółć", 1);
        write(registry, "Gęślą", 2, RootKey::LocalMachine);
        testing_support::FaultySystemCalls calls;
        if (row.linkError) // system.reg, the first file, is copied; user.reg is still linked
            calls.failOn("linkat", row.linkError);
        testing_support::FakeClock clock;
        PointStore store(root.path(), clock, calls);

        const auto point = store.create(PointKind::User, "Przed zmianą\nopcji");
        const auto before = hiveTexts(root.path());
        const auto folder = store.pointFolder(1);
        EXPECT_EQ(inode(folder / "system.reg") == inode(root / "system.reg"), row.linkError == 0);
        EXPECT_EQ(inode(folder / "user.reg"), inode(root / "user.reg"));
        write(registry, "Zażółć", 3);

        EXPECT_EQ(point.number, 1);
        const auto listed = store.list();
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].kind, PointKind::User);
        EXPECT_EQ(listed[0].time, "2004-08-15 12:34:56");
        EXPECT_EQ(listed[0].description, "Przed zmianą opcji");
        EXPECT_EQ(folder, root / "drive_c/System Volume Information/_restore/RP1");
        EXPECT_EQ(hiveTexts(folder), before);
        EXPECT_FALSE(std::filesystem::exists(folder / "userdef.reg"));
        // No building folder is left behind.
        for (const auto& entry : std::filesystem::directory_iterator(store.folder()))
            EXPECT_EQ(entry.path().filename(), "RP1");
    }
}

TEST_F(RestorePoints, ARestoreIsSeenAtOnceAndUndoingItGivesTheSameBytes)
{
    WineRegistry registry(root.path(), 1000);
    write(registry, "A", 1);
    const auto atPoint = hiveTexts(root.path());
    store.create(PointKind::User, "punkt");

    write(registry, "A", 2);
    write(registry, "B", 5, RootKey::LocalMachine);
    writeText(root / "userdef.reg", "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n");
    const auto beforeRestore = hiveTexts(root.path());

    const auto saved = store.restore(1);
    EXPECT_EQ(saved.kind, PointKind::BeforeRestore);
    EXPECT_EQ(saved.number, 2);
    EXPECT_EQ(hiveTexts(root.path()), atPoint);
    EXPECT_EQ(read(registry, "A"), 1u); // the same registry object, still open in the program

    store.restore(saved.number);
    EXPECT_EQ(hiveTexts(root.path()), beforeRestore);
    EXPECT_EQ(read(registry, "A"), 2u);
    EXPECT_EQ(store.list().size(), 3u);

    EXPECT_THROW(store.restore(9), Error);
    EXPECT_EQ(store.list().size(), 3u);
}

TEST_F(RestorePoints, AProgramRunMakesOneAutomaticPointBeforeItsFirstChangeAtMostOneADayAndNoneWithoutChanges)
{
    {
        WineRegistry setup(root.path(), 1000);
        write(setup, "Start", 1);
    }
    const auto start = hiveTexts(root.path());
    struct Run {
        const char* name;
        int day;
        std::function<void(RegistryApi&)> work;
        std::size_t automaticAfter;
    };
    const Run runs[] = {
        {"two changes", 15, [](RegistryApi& r) { write(r, "A", 1), write(r, "B", 2, RootKey::LocalMachine); }, 1},
        {"a change later that day", 15, [](RegistryApi& r) { write(r, "A", 2); }, 1},
        {"reads and an existing key only", 16,
         [](RegistryApi& r) {
             read(r, "A");
             KeyHandle key;
             r.createKey(rootHandle(RootKey::CurrentUser), "Software\\A", Access::AllAccess, key);
             r.deleteValue(key, "missing");
         },
         1},
        {"the same value again: only the key's time is new", 16, [](RegistryApi& r) { write(r, "A", 2); }, 1},
        {"the same value first, then a change", 16, [](RegistryApi& r) { write(r, "A", 2), write(r, "A", 3); }, 2},
        {"a user's point, then a change", 17,
         [&](RegistryApi& r) { store.create(PointKind::User, "ręczny"), write(r, "A", 4); }, 2},
        {"a new key alone", 18,
         [](RegistryApi& r) {
             KeyHandle key;
             r.createKey(rootHandle(RootKey::CurrentUser), "Software\\Nowy", Access::AllAccess, key);
         },
         3},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        clock.at.day = run.day;
        programRun(root.path(), store, run.work);
        EXPECT_EQ(countKind(store, PointKind::Automatic), run.automaticAfter);
    }
    // The first automatic point holds the hives from before the first run's first change; the
    // one of the day of "the same value first" those from before its real change.
    EXPECT_EQ(hiveTexts(store.pointFolder(1)), start);
    const auto points = store.list();
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[1].time.substr(0, 10), "2004-08-16");
}

TEST_F(RestorePoints, AtMostTwentyAutomaticPointsStayAndTheUsersAllDo)
{
    store.create(PointKind::User, "pierwszy");
    for (std::uint32_t run = 0; run < 25; ++run) {
        clock.at.day = static_cast<int>(run) + 1;
        programRun(root.path(), store, [&](RegistryApi& r) { write(r, "Licznik", run); });
    }
    store.create(PointKind::User, "ostatni");

    const auto points = store.list();
    ASSERT_EQ(points.size(), 22u);
    EXPECT_EQ(points.front().number, 1);
    EXPECT_EQ(points.front().kind, PointKind::User);
    // The first run found the hives as the user's point holds them; of the points of the other
    // 24 runs, 2 to 5 went first.
    EXPECT_EQ(points[1].number, 6);
    EXPECT_EQ(points[20].number, 25);
    EXPECT_EQ(points.back().kind, PointKind::User);
    EXPECT_EQ(countKind(store, PointKind::Automatic), 20u);
}

TEST_F(RestorePoints, UndoingChosenChangesPutsBackOnlyThose)
{
    WineRegistry registry(root.path(), 1000);
    write(registry, "Zmieniony", 1);
    write(registry, "Usunięty", 7);
    write(registry, "Zostaje", 1);
    store.create(PointKind::User, "punkt");

    write(registry, "Zmieniony", 2);
    write(registry, "Zostaje", 2);
    write(registry, "Nowy\\Głębiej", 3);
    KeyHandle key;
    ASSERT_EQ(registry.openKey(rootHandle(RootKey::CurrentUser), "Software", Access::AllAccess, key),
              RegStatus::Success);
    ASSERT_EQ(registry.deleteKey(key, "Usunięty"), RegStatus::Success);
    registry.closeKey(key);

    const auto changes = restore::changesSince(store, 1);
    std::vector<restore::ChosenChange> chosen;
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const std::string name = restore::keyName(changes[k]);
        if (name == "HKEY_CURRENT_USER\\Software\\Zmieniony")
            chosen.push_back({k, 0});
        if (name == "HKEY_CURRENT_USER\\Software\\Nowy" || name == "HKEY_CURRENT_USER\\Software\\Usunięty")
            chosen.push_back({k, std::nullopt});
    }
    ASSERT_EQ(chosen.size(), 3u);
    const auto before = restore::undoChanges(store, changes, chosen);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->kind, PointKind::BeforeRestore);

    EXPECT_EQ(read(registry, "Zmieniony"), 1u);
    EXPECT_EQ(read(registry, "Usunięty"), 7u);
    EXPECT_EQ(read(registry, "Zostaje"), 2u);
    EXPECT_FALSE(read(registry, "Nowy\\Głębiej"));
    ASSERT_EQ(registry.openKey(rootHandle(RootKey::CurrentUser), "Software\\Nowy", Access::Read, key),
              RegStatus::NotFound);
    const auto left = restore::changesSince(store, 1);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(restore::keyName(left[0]), "HKEY_CURRENT_USER\\Software\\Zostaje");
    // Nothing chosen: nothing written, no point.
    EXPECT_FALSE(restore::undoChanges(store, left, {}));
}

// What another program on the machine may plant among the points: nothing of it is ever read
// through, installed, numbered or reported as a point that list cannot show.
TEST(RestorePointFiles, PlantedFilesAndFoldersAreNeverTakenForPoints)
{
    namespace fs = std::filesystem;
    struct Row {
        const char* name;
        std::function<void(const fs::path& points, const fs::path& host)> plant;
        bool readable;           // changes 1 succeeds
        bool restores;           // restore 1 succeeds
        int nextNumber;          // of the next create; 0: create fails
        std::vector<int> listed; // after that create
    };
    const auto copyPoint = [](const fs::path& points, const char* name) {
        fs::copy(points / "RP1", points / name, fs::copy_options::recursive);
    };
    const Row rows[] = {
        {"a link to a host file as the hive",
         [](const fs::path& points, const fs::path& host) {
             fs::remove(points / "RP1" / "user.reg");
             fs::create_symlink(host / "user.reg", points / "RP1" / "user.reg");
         },
         false,
         false,
         2,
         {1, 2}},
        {"a FIFO as the hive",
         [](const fs::path& points, const fs::path&) {
             fs::remove(points / "RP1" / "user.reg");
             ASSERT_EQ(mkfifo((points / "RP1" / "user.reg").c_str(), 0644), 0);
         },
         false,
         false,
         2,
         {1, 2}},
        {"the point a link to a host folder",
         [](const fs::path& points, const fs::path& host) {
             fs::rename(points / "RP1", host / "RP1");
             fs::create_directory_symlink(host / "RP1", points / "RP1");
         },
         false,
         false,
         2,
         {2}},
        {"an empty folder with the highest number",
         [](const fs::path& points, const fs::path&) { fs::create_directory(points / "RP999999999"); },
         true,
         true,
         2,
         {1, 2}},
        {"a folder that is no point under the next number",
         [](const fs::path& points, const fs::path&) { fs::create_directories(points / "RP2" / "x"); },
         true,
         true,
         3,
         {1, 3}},
        {"a whole point with the highest number",
         [&](const fs::path& points, const fs::path&) { copyPoint(points, "RP999999999"); },
         true,
         false,
         0,
         {1, 999999999}},
        {"names of no number",
         [&](const fs::path& points, const fs::path&) {
             for (const char* name : {"RP-4", "RP+4", "RP04", "RP1000000000", "RP4x", "rp4"})
                 copyPoint(points, name);
         },
         true,
         true,
         2,
         {1, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder root;
        TemporaryFolder host;
        writeText(host / "user.reg", "host");
        {
            WineRegistry registry(root.path(), 1000);
            write(registry, "A", 1);
        }
        testing_support::FakeClock clock;
        PointStore store(root.path(), clock);
        store.create(PointKind::User, "punkt");
        {
            WineRegistry registry(root.path(), 1000);
            write(registry, "A", 2);
        }
        row.plant(store.folder(), host.path());
        const auto machine = hiveTexts(root.path());
        if (row.readable) {
            EXPECT_EQ(restore::changesSince(store, 1).size(), 1u);
        } else {
            EXPECT_THROW(restore::changesSince(store, 1), Error);
        }
        if (row.restores) {
            store.restore(1);
            EXPECT_NE(hiveTexts(root.path()), machine);
            store.remove(store.list().back().number);
        } else {
            EXPECT_THROW(store.restore(1), Error);
            EXPECT_EQ(hiveTexts(root.path()), machine);
        }
        if (row.nextNumber) {
            EXPECT_EQ(store.create(PointKind::User, "nowy").number, row.nextNumber);
        } else {
            EXPECT_THROW(store.create(PointKind::User, "nowy"), Error);
        }
        std::vector<int> listed;
        for (const auto& point : store.list())
            listed.push_back(point.number);
        EXPECT_EQ(listed, row.listed);
        // The machine's hives are its own regular files, and nothing is left beside them.
        for (const auto& entry : fs::directory_iterator(root.path())) {
            EXPECT_FALSE(entry.is_symlink()) << entry.path();
            EXPECT_FALSE(entry.path().filename().string().starts_with('.')) << entry.path();
        }
        EXPECT_EQ(readText(host / "user.reg"), "host");
    }
}
