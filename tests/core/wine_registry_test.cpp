#include "core/registry/hive_text.h"
#include "core/registry/wine_registry.h"
#include "tests/support/fake_environment.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <tuple>

using namespace core;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;

namespace {

const KeyHandle HKLM = rootHandle(RootKey::LocalMachine);
const KeyHandle HKCU = rootHandle(RootKey::CurrentUser);
const KeyHandle HKCR = rootHandle(RootKey::ClassesRoot);

std::vector<std::uint8_t> sz(char c)
{
    return {static_cast<std::uint8_t>(c), 0, 0, 0};
}

std::vector<std::uint8_t> dword(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

KeyHandle create(RegistryApi& registry, KeyHandle parent, std::string_view path)
{
    KeyHandle key;
    EXPECT_EQ(registry.createKey(parent, path, Access::AllAccess, key), RegStatus::Success) << path;
    return key;
}

struct FileIdentity {
    ino_t inode = 0;
    timespec modified{};
    bool operator==(const FileIdentity& o) const
    {
        return inode == o.inode && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

FileIdentity identity(const std::filesystem::path& file)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return {info.st_ino, info.st_mtim};
}

std::vector<std::string> subkeys(RegistryApi& registry, KeyHandle key)
{
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; registry.enumKey(key, i, name) == RegStatus::Success; ++i)
        names.push_back(name);
    return names;
}

} // namespace

TEST(WineRegistry, HandlesOpenReadWriteAndClose)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    KeyHandle missing;
    EXPECT_EQ(registry.openKey(HKCU, "Software\\Test", Access::Read, missing), RegStatus::NotFound);
    EXPECT_FALSE(missing);

    // A missing hive file is an empty hive, created by the first write.
    const KeyHandle key = create(registry, HKCU, "Software\\Test");
    EXPECT_TRUE(std::filesystem::exists(root / "user.reg"));
    EXPECT_FALSE(std::filesystem::exists(root / "system.reg"));
    EXPECT_EQ(readText(root / "user.reg")
                  .rfind("WINE REGISTRY Version 2\n;; All keys relative to "
                         "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n"
                         "[Software\\\\Test] ",
                         0),
              0u);

    ASSERT_EQ(registry.setValue(key, "Count", RegDword, dword(7)), RegStatus::Success);
    RegValue value;
    ASSERT_EQ(registry.queryValue(key, "count", value), RegStatus::Success);
    EXPECT_EQ(value.name, "Count");
    EXPECT_EQ(value.type, RegDword);
    EXPECT_EQ(value.data, dword(7));
    EXPECT_EQ(registry.queryValue(key, "other", value), RegStatus::NotFound);

    // A second object (another process, say) sees the same file.
    WineRegistry other(root.path(), 2400);
    KeyHandle same;
    ASSERT_EQ(other.openKey(HKCU, "SOFTWARE\\test", Access::Read, same), RegStatus::Success);
    ASSERT_EQ(other.queryValue(same, "COUNT", value), RegStatus::Success);
    EXPECT_EQ(value.data, dword(7));
    EXPECT_EQ(other.setValue(same, "x", RegDword, dword(1)), RegStatus::AccessDenied); // opened for reading

    KeyInfo info;
    ASSERT_EQ(registry.queryInfoKey(key, info), RegStatus::Success);
    EXPECT_EQ(info.values, 1u);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_GT(info.lastWriteTime, 116444736000000000ull);

    EXPECT_EQ(registry.closeKey(key), RegStatus::Success);
    EXPECT_EQ(registry.closeKey(key), RegStatus::InvalidHandle);
    EXPECT_EQ(registry.setValue(key, "Count", RegDword, dword(8)), RegStatus::InvalidHandle);
    EXPECT_EQ(registry.closeKey(HKCU), RegStatus::Success);

    // A key deleted by someone else turns an open handle stale.
    ASSERT_EQ(registry.deleteKey(HKCU, "Software\\Test"), RegStatus::Success);
    EXPECT_EQ(other.queryValue(same, "Count", value), RegStatus::KeyDeleted);
    KeyHandle child;
    EXPECT_EQ(other.createKey(same, "Child", Access::AllAccess, child), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.deleteKey(HKCU, "Software\\Test"), RegStatus::NotFound);
}

TEST(WineRegistry, AKeyDeletedMeanwhileFailsEveryCallOnItsHandle)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    WineRegistry other(root.path(), 2400);
    const KeyHandle key = create(registry, HKCU, "Software\\Gone");
    ASSERT_EQ(registry.setValue(key, "v", RegDword, dword(1)), RegStatus::Success);
    ASSERT_EQ(other.deleteKey(HKCU, "Software\\Gone"), RegStatus::Success);
    const std::string before = readText(root / "user.reg");

    KeyHandle child;
    RegValue value;
    std::string name;
    KeyInfo info;
    EXPECT_EQ(registry.openKey(key, "Child", Access::Read, child), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.setValue(key, "v", RegDword, dword(2)), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.deleteValue(key, "v"), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.enumKey(key, 0, name), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.enumValue(key, 0, value), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.queryInfoKey(key, info), RegStatus::KeyDeleted);
    std::vector<std::string> names;
    std::vector<RegValue> values;
    EXPECT_EQ(registry.enumKeys(key, names), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.enumValues(key, values), RegStatus::KeyDeleted);
    EXPECT_EQ(registry.lastFailure(), "the open key was deleted meanwhile");
    EXPECT_EQ(readText(root / "user.reg"), before);
    // A later call that succeeds has nothing to tell.
    EXPECT_EQ(registry.openKey(HKCU, "Software", Access::Read, child), RegStatus::Success);
    EXPECT_EQ(registry.lastFailure(), "");
}

TEST(WineRegistry, AnEmptyPathDeletesTheOpenKeyButNeverAPredefinedOne)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const KeyHandle key = create(registry, HKCU, "Software\\Leaf");
    for (const KeyHandle predefined : {HKCU, HKLM, HKCR}) {
        EXPECT_EQ(registry.deleteKey(predefined, ""), RegStatus::AccessDenied);
        EXPECT_EQ(registry.lastFailure(), "a predefined key cannot be deleted");
    }
    EXPECT_EQ(registry.deleteKey(key, ""), RegStatus::Success);
    KeyHandle again;
    EXPECT_EQ(registry.openKey(HKCU, "Software\\Leaf", Access::Read, again), RegStatus::NotFound);
    EXPECT_EQ(registry.lastFailure(), "the key does not exist");
}

TEST(WineRegistry, NamesAreCaseInsensitiveAndKeepTheirCase)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const KeyHandle key = create(registry, HKLM, "Software\\Mixed\\CaseKey");
    KeyHandle again;
    ASSERT_EQ(registry.createKey(HKLM, "SOFTWARE\\MIXED\\casekey\\New", Access::AllAccess, again), RegStatus::Success);
    KeyHandle parent;
    ASSERT_EQ(registry.openKey(HKLM, "software\\mixed", Access::Read, parent), RegStatus::Success);
    EXPECT_EQ(subkeys(registry, parent), std::vector<std::string>{"CaseKey"});
    EXPECT_EQ(subkeys(registry, key), std::vector<std::string>{"New"});

    ASSERT_EQ(registry.setValue(key, "Name", RegSz, sz('a')), RegStatus::Success);
    ASSERT_EQ(registry.setValue(key, "NAME", RegSz, sz('b')), RegStatus::Success);
    ASSERT_EQ(registry.setValue(key, "zeta", RegDword, dword(1)), RegStatus::Success);
    ASSERT_EQ(registry.setValue(key, "Alpha", RegDword, dword(2)), RegStatus::Success);
    std::vector<std::string> names;
    RegValue value;
    for (std::uint32_t i = 0; registry.enumValue(key, i, value) == RegStatus::Success; ++i)
        names.push_back(value.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Name", "zeta"}));
    ASSERT_EQ(registry.queryValue(key, "name", value), RegStatus::Success);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'b', 0, 0, 0}));
    EXPECT_EQ(registry.deleteKey(HKLM, "Software\\Mixed\\CaseKey"), RegStatus::HasSubkeys);
    EXPECT_EQ(registry.deleteValue(key, "ALPHA"), RegStatus::Success);
    EXPECT_EQ(registry.deleteValue(key, "ALPHA"), RegStatus::NotFound);
}

TEST(WineRegistry, AnyCharacterButBackslashMakesAName)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const std::string names[] = {"..",
                                 ".",
                                 "a/b",
                                 "Zażółć gęślą",
                                 "\xf0\x9f\x8c\x8e",
                                 "\xf4\x8f\xbf\xbd",
                                 "[x]\"q\"",
                                 std::string(255, 'n'),
                                 "tab\there"};
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const KeyHandle key = create(registry, HKCU, "Names\\" + name);
        ASSERT_EQ(registry.setValue(key, name, RegDword, dword(1)), RegStatus::Success);
        registry.closeKey(key);
    }
    WineRegistry reread(root.path(), 2400);
    KeyHandle parent;
    ASSERT_EQ(reread.openKey(HKCU, "Names", Access::Read, parent), RegStatus::Success);
    EXPECT_EQ(subkeys(reread, parent).size(), std::size(names));
    for (const auto& name : names) {
        KeyHandle key;
        ASSERT_EQ(reread.openKey(parent, name, Access::Read, key), RegStatus::Success) << name;
        RegValue value;
        EXPECT_EQ(reread.queryValue(key, name, value), RegStatus::Success) << name;
        EXPECT_EQ(value.name, name);
    }

    KeyHandle key;
    for (const char* bad : {"Names\\", "\\Names", "a\\\\b"})
        EXPECT_EQ(registry.createKey(HKCU, bad, Access::AllAccess, key), RegStatus::InvalidParameter) << bad;
    EXPECT_EQ(registry.createKey(HKCU, std::string(256, 'n'), Access::AllAccess, key), RegStatus::InvalidParameter);
    EXPECT_EQ(registry.createKey(HKCU, std::string("nul\0x", 5), Access::AllAccess, key), RegStatus::InvalidParameter);
    EXPECT_EQ(registry.setValue(HKCU, std::string("nul\0x", 5), RegDword, dword(1)), RegStatus::InvalidParameter);
    EXPECT_FALSE(registry.lastFailure().empty());
}

TEST(WineRegistry, ClassesRootIsSoftwareClassesOfTheMachine)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const KeyHandle key = create(registry, HKCR, ".txt");
    ASSERT_EQ(registry.setValue(key, "", RegSz, sz('t')), RegStatus::Success);
    KeyHandle same;
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Classes\\.TXT", Access::Read, same), RegStatus::Success);
    RegValue value;
    ASSERT_EQ(registry.queryValue(same, "", value), RegStatus::Success);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'t', 0, 0, 0}));
    EXPECT_NE(readText(root / "system.reg").find("\n[Software\\\\Classes\\\\.txt] "), std::string::npos);
    EXPECT_EQ(registry.deleteKey(HKCR, ""), RegStatus::AccessDenied);
    EXPECT_EQ(subkeys(registry, HKCR), std::vector<std::string>{".txt"});
}

TEST(WineRegistry, HardwareLivesInMemoryOnly)
{
    TemporaryFolder root;
    writeText(root / "system.reg",
              "WINE REGISTRY Version 2\n\n[HARDWARE\\\\DESCRIPTION\\\\System\\\\CentralProcessor\\\\0] 1\n"
              "\"~MHz\"=dword:00000001\n\"Stale\"=\"x\"\n\n[Software] 1\n");
    WineRegistry registry(root.path(), 2400);
    KeyHandle cpu;
    ASSERT_EQ(registry.openKey(HKLM, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", Access::Read, cpu),
              RegStatus::Success);
    RegValue value;
    ASSERT_EQ(registry.queryValue(cpu, "~MHz", value), RegStatus::Success);
    EXPECT_EQ(value.type, RegDword);
    EXPECT_EQ(value.data, dword(2400));
    EXPECT_EQ(registry.queryValue(cpu, "Stale", value), RegStatus::NotFound);
    EXPECT_EQ(subkeys(registry, HKLM), (std::vector<std::string>{"HARDWARE", "Software"}));

    const std::string before = readText(root / "system.reg");
    const KeyHandle scratch = create(registry, HKLM, "hardware\\Scratch");
    ASSERT_EQ(registry.setValue(scratch, "v", RegDword, dword(1)), RegStatus::Success);
    EXPECT_EQ(readText(root / "system.reg"), before);
    WineRegistry fresh(root.path(), 1000);
    KeyHandle gone;
    EXPECT_EQ(fresh.openKey(HKLM, "HARDWARE\\Scratch", Access::Read, gone), RegStatus::NotFound);
}

// Finding the processor's speed is slow on some machines: only a read of HARDWARE asks for it, once.
TEST(WineRegistry, TheProcessorSpeedIsAskedForWhenHardwareIsRead)
{
    TemporaryFolder root;
    writeText(root / "system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Wine] 1\n\"v\"=\"x\"\n");
    int asked = 0;
    WineRegistry registry(root.path(), std::function<std::uint32_t()>([&asked] {
                              ++asked;
                              return 1800u;
                          }));
    KeyHandle key;
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Wine", Access::Read, key), RegStatus::Success);
    RegValue value;
    ASSERT_EQ(registry.queryValue(key, "v", value), RegStatus::Success);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(subkeys(registry, HKLM), (std::vector<std::string>{"HARDWARE", "Software"}));
    KeyHandle cpu;
    ASSERT_EQ(registry.openKey(HKLM, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", Access::Read, cpu),
              RegStatus::Success);
    ASSERT_EQ(registry.queryValue(cpu, "~MHz", value), RegStatus::Success);
    EXPECT_EQ(value.data, dword(1800));
    EXPECT_EQ(asked, 1);
}

TEST(WineRegistry, AFileThatIsNotChangedIsNotRewritten)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const KeyHandle key = create(registry, HKCU, "Software\\Keep");
    ASSERT_EQ(registry.setValue(key, "v", RegDword, dword(1)), RegStatus::Success);
    const auto before = identity(root / "user.reg");
    KeyHandle again;
    ASSERT_EQ(registry.createKey(HKCU, "Software\\Keep", Access::AllAccess, again), RegStatus::Success);
    EXPECT_EQ(registry.deleteValue(key, "missing"), RegStatus::NotFound);
    EXPECT_EQ(registry.deleteKey(HKCU, "Software\\Missing"), RegStatus::NotFound);
    RegValue value;
    EXPECT_EQ(registry.queryValue(key, "v", value), RegStatus::Success);
    EXPECT_EQ(identity(root / "user.reg"), before);
}

TEST(WineRegistry, AnUnreadableHiveIsNeverOverwritten)
{
    TemporaryFolder root;
    const std::string broken = "WINE REGISTRY Version 2\n\n[Software\\\\Good] 1\n\"v\"=dword:1\n\n[Software\\\\Bad] 1\n"
                               "\"cut\"=\"no end\n";
    writeText(root / "system.reg", broken);
    WineRegistry registry(root.path(), 2400);
    KeyHandle key;
    // A read looks at the lines of its key alone; anything that may write, at all of them.
    RegValue value;
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Good", Access::Read, key), RegStatus::Success);
    EXPECT_EQ(registry.queryValue(key, "v", value), RegStatus::Success);
    EXPECT_EQ(registry.openKey(HKLM, "Software\\Good", Access::AllAccess, key), RegStatus::BadHive);
    EXPECT_EQ(registry.openKey(HKLM, "Software\\Bad", Access::Read, key), RegStatus::BadHive);
    EXPECT_EQ(registry.lastFailure(),
              "cannot parse " + (root / "system.reg").string() + " line 7: the text has no closing quote");
    EXPECT_EQ(registry.createKey(HKLM, "Software\\New", Access::AllAccess, key), RegStatus::BadHive);
    EXPECT_EQ(registry.setValue(HKLM, "v", RegDword, dword(1)), RegStatus::BadHive);
    EXPECT_EQ(registry.deleteKey(HKLM, "Software\\Good"), RegStatus::BadHive);
    EXPECT_EQ(readText(root / "system.reg"), broken);
    // The other hive is not affected, and the same goes for garbage and a missing header.
    EXPECT_EQ(registry.createKey(HKCU, "Software\\Fine", Access::AllAccess, key), RegStatus::Success);
    for (const std::string& text :
         {std::string("\x89PNG\r\n\x1a\n\0\0", 10), std::string(), std::string("[Software\\\\x] 1\n")}) {
        writeText(root / "system.reg", text);
        EXPECT_EQ(registry.setValue(HKLM, "v", RegDword, dword(1)), RegStatus::BadHive);
        EXPECT_EQ(readText(root / "system.reg"), text);
    }
    // Once repaired, the file is read again.
    writeText(root / "system.reg", "WINE REGISTRY Version 2\n");
    EXPECT_EQ(registry.setValue(HKLM, "v", RegDword, dword(1)), RegStatus::Success);
}

TEST(WineRegistry, ABatchChecksTheLinesBesideItsKeyBeforeReplacingTheFile)
{
    TemporaryFolder root;
    const std::string broken = "WINE REGISTRY Version 2\n\n[Software\\\\Good] 1\n\"v\"=dword:1\n\n"
                               "[Software\\\\Other] 1\n\"cut\"=\"no end\n";
    writeText(root / "system.reg", broken);
    WineRegistry registry(root.path(), 2400);
    // No copy is kept of a registry that is not to change.
    int copies = 0;
    registry.setBeforeFirstChange([&copies] { ++copies; });
    registry.beginBatch();
    KeyHandle key;
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Good", Access::AllAccess, key), RegStatus::Success);
    ASSERT_EQ(registry.setValue(key, "v", RegDword, dword(2)), RegStatus::Success);
    EXPECT_EQ(registry.endBatch(true), RegStatus::BadHive);
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(registry.lastFailure(),
              "cannot parse " + (root / "system.reg").string() + " line 7: the text has no closing quote");
    EXPECT_EQ(readText(root / "system.reg"), broken);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.path()), {}), 1);
    // Repaired by somebody else after the batch read it, and before its first change: the check
    // of the text read first no longer counts. The file is replaced whole, as Wine replaces it.
    registry.beginBatch();
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Good", Access::AllAccess, key), RegStatus::Success);
    writeText(root / "repaired.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Good] 1\n\"v\"=dword:1\n");
    std::filesystem::rename(root / "repaired.reg", root / "system.reg");
    ASSERT_EQ(registry.setValue(HKLM, "v", RegDword, dword(3)), RegStatus::Success);
    EXPECT_EQ(registry.endBatch(true), RegStatus::Success) << registry.lastFailure();
    EXPECT_NE(readText(root / "system.reg").find("\"v\"=dword:00000003"), std::string::npos);
}

TEST(WineRegistry, AFailedWriteLeavesFileAndMemoryAsTheyWere)
{
    TemporaryFolder root;
    testing_support::FaultySystemCalls calls;
    WineRegistry registry(root.path(), 2400, calls);
    const KeyHandle key = create(registry, HKCU, "Software\\Faults");
    ASSERT_EQ(registry.setValue(key, "kept", RegDword, dword(1)), RegStatus::Success);
    const std::string before = readText(root / "user.reg");

    calls.failOn("rename", EIO);
    EXPECT_EQ(registry.setValue(key, "lost", RegDword, dword(2)), RegStatus::BadHive);
    EXPECT_NE(registry.lastFailure().find("cannot write"), std::string::npos);
    EXPECT_EQ(readText(root / "user.reg"), before);
    RegValue value;
    EXPECT_EQ(registry.queryValue(key, "lost", value), RegStatus::NotFound);

    calls.failOn("fsync", ENOSPC);
    EXPECT_EQ(registry.setValue(key, "lost", RegDword, dword(2)), RegStatus::BadHive);
    // A file the system will not map is read instead, and a failed read is told.
    calls.failOn("mapFile", ENODEV);
    EXPECT_EQ(registry.queryValue(key, "kept", value), RegStatus::Success);
    calls.failOn("mapFile", ENOMEM);
    calls.failOn("read", EIO);
    EXPECT_EQ(registry.queryValue(key, "kept", value), RegStatus::BadHive);
    calls.failOn("flock", ENOLCK);
    EXPECT_EQ(registry.setValue(key, "lost", RegDword, dword(2)), RegStatus::BadHive);
    EXPECT_EQ(readText(root / "user.reg"), before);

    // A hive this process may not replace is read-only: an open for all access is refused.
    calls.failOn("access", EACCES);
    KeyHandle denied;
    EXPECT_EQ(registry.openKey(HKCU, "Software\\Faults", Access::AllAccess, denied), RegStatus::AccessDenied);
    EXPECT_NE(registry.lastFailure().find("may not be written"), std::string::npos);

    EXPECT_EQ(registry.setValue(key, "later", RegDword, dword(3)), RegStatus::Success);
    EXPECT_EQ(registry.queryValue(key, "kept", value), RegStatus::Success);
}

namespace {

// A process that holds Wine's server lock for a prefix, as a running wineserver does.
class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& lockFile)
    {
        std::filesystem::create_directories(lockFile.parent_path());
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(m_stop), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(m_stop[1]);
            const int fd = ::open(lockFile.c_str(), O_CREAT | O_WRONLY, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_len = 1;
            const char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(m_stop[0], &c, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(m_stop[0]);
        char ok = 0;
        EXPECT_EQ(::read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, '1');
        ::close(ready[0]);
    }
    ~LockHolder()
    {
        ::close(m_stop[1]);
        ::waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
    int m_stop[2] = {-1, -1};
};

std::string serverFolderName(const std::filesystem::path& prefix)
{
    struct stat info {};
    EXPECT_EQ(::stat(prefix.c_str(), &info), 0);
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    return name;
}

} // namespace

TEST(WineRegistry, WritesWaitForWinesServerToLetGo)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 2400);
    const KeyHandle key = create(registry, HKCU, "Software\\Shared");
    ASSERT_EQ(registry.setValue(key, "before", RegDword, dword(1)), RegStatus::Success);
    const std::string before = readText(root / "user.reg");

    // Debian's layout: the prefix names its server's folder in /tmp.
    TemporaryFolder serverRoot;
    writeText(root / "wineserver", serverRoot.path().filename().string());
    {
        LockHolder server(serverRoot / serverFolderName(root.path()) / "lock");
        EXPECT_EQ(registry.setValue(key, "during", RegDword, dword(2)), RegStatus::BadHive);
        EXPECT_NE(registry.lastFailure().find("in use by Wine's server"), std::string::npos);
        KeyHandle other;
        EXPECT_EQ(registry.createKey(HKCU, "Software\\New", Access::AllAccess, other), RegStatus::BadHive);
        RegValue value;
        EXPECT_EQ(registry.queryValue(key, "before", value), RegStatus::Success);
        EXPECT_EQ(readText(root / "user.reg"), before);
    }
    EXPECT_EQ(registry.setValue(key, "after", RegDword, dword(3)), RegStatus::Success);

    // Upstream's layout: /tmp/.wine-<uid>/server-<dev>-<inode>.
    std::filesystem::remove(root / "wineserver");
    const std::filesystem::path upstream = "/tmp/.wine-" + std::to_string(::getuid());
    const bool madeUpstream = !std::filesystem::exists(upstream);
    if (madeUpstream) {
        std::filesystem::create_directory(upstream);
        std::filesystem::permissions(upstream, std::filesystem::perms::owner_all);
    }
    const auto serverFolder = upstream / serverFolderName(root.path());
    {
        LockHolder server(serverFolder / "lock");
        EXPECT_EQ(registry.setValue(key, "during", RegDword, dword(2)), RegStatus::BadHive);
    }
    // A lock file left behind by a server that ended holds nobody back.
    EXPECT_EQ(registry.setValue(key, "after", RegDword, dword(4)), RegStatus::Success);
    std::filesystem::remove_all(serverFolder);
    if (madeUpstream)
        std::filesystem::remove(upstream);
}

TEST(WineRegistry, WinesServerIsLookedForWhereTheEnvironmentAndTheUserSay)
{
    TemporaryFolder root;
    TemporaryFolder temporary;
    testing_support::FaultySystemCalls calls;
    calls.pretendUserId(4242);
    WineRegistry registry(root.path(), 0, calls,
                          testing_support::environmentOf({{"TMPDIR", temporary.path().string()}}));
    const KeyHandle key = create(registry, HKCU, "Software\\Shared");
    LockHolder server(temporary / ".wine-4242" / serverFolderName(root.path()) / "lock");
    EXPECT_EQ(registry.setValue(key, "during", RegDword, dword(2)), RegStatus::BadHive);
    EXPECT_NE(registry.lastFailure().find("in use by Wine's server"), std::string::npos);
}

TEST(WineRegistry, ABatchReadsEachHiveOnceAndWritesItOnceOrNotAtAll)
{
    TemporaryFolder root;
    {
        WineRegistry setup(root.path(), 0);
        create(setup, HKLM, "Software\\Old");
        create(setup, HKCU, "Software\\Old");
    }
    const std::string machineBefore = readText(root / "system.reg");
    testing_support::FaultySystemCalls calls;
    WineRegistry registry(root.path(), 0, calls);
    registry.beginBatch();
    for (int i = 0; i < 50; ++i) {
        const KeyHandle key = create(registry, HKCU, "Software\\New\\K" + std::to_string(i));
        EXPECT_EQ(registry.setValue(key, "v", RegDword, dword(std::uint32_t(i))), RegStatus::Success);
        registry.closeKey(key);
        EXPECT_EQ(subkeys(registry, HKLM), std::vector<std::string>({"HARDWARE", "Software"}));
    }
    EXPECT_EQ(calls.count("rename"), 0);
    EXPECT_EQ(registry.endBatch(true), RegStatus::Success);
    EXPECT_EQ(calls.count("rename"), 1); // user.reg alone, once
    EXPECT_LE(calls.count("open"), 8);   // each hive read once, the lock, Wine's server, the new file
    EXPECT_EQ(readText(root / "system.reg"), machineBefore);
    WineRegistry reader(root.path(), 0);
    KeyHandle key;
    EXPECT_EQ(reader.openKey(HKCU, "Software\\New\\K49", Access::Read, key), RegStatus::Success);

    // A batch that is not kept leaves the files as they were.
    const std::string userBefore = readText(root / "user.reg");
    registry.beginBatch();
    create(registry, HKCU, "Software\\Dropped");
    EXPECT_EQ(registry.endBatch(false), RegStatus::Success);
    EXPECT_EQ(readText(root / "user.reg"), userBefore);
    EXPECT_EQ(registry.openKey(HKCU, "Software\\Dropped", Access::Read, key), RegStatus::NotFound);
}

TEST(WineRegistry, AReadBatchToldItsKeysReadsThoseAndAnyOther)
{
    TemporaryFolder root;
    struct Row {
        KeyHandle root;
        RootKey told;
        const char* path;
        std::uint32_t value; // 0: the key does not exist
    };
    const Row rows[] = {{HKLM, RootKey::LocalMachine, "Software\\A\\Deep", 1},
                        {HKLM, RootKey::LocalMachine, "Software\\A", 2},
                        {HKCR, RootKey::ClassesRoot, "B", 3},
                        {HKCU, RootKey::CurrentUser, "Software\\C", 4},
                        {HKLM, RootKey::LocalMachine, "Software\\Missing", 0},
                        {HKLM, RootKey::LocalMachine, "Software\\Untold", 5}};
    {
        WineRegistry setup(root.path(), 0);
        for (const Row& row : rows) {
            if (row.value) {
                EXPECT_EQ(setup.setValue(create(setup, row.root, row.path), "v", RegDword, dword(row.value)),
                          RegStatus::Success);
            }
        }
    }
    std::vector<KeyName> told;
    for (const Row& row : rows)
        if (std::string_view(row.path) != "Software\\Untold")
            told.push_back({row.told, row.path});
    WineRegistry registry(root.path(), 0);
    registry.beginReadBatchOf(told);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        KeyHandle key;
        ASSERT_EQ(registry.openKey(row.root, row.path, Access::Read, key),
                  row.value ? RegStatus::Success : RegStatus::NotFound);
        if (!row.value)
            continue;
        RegValue value;
        ASSERT_EQ(registry.queryValue(key, "v", value), RegStatus::Success);
        EXPECT_EQ(value.data, dword(row.value));
        registry.closeKey(key);
    }
    EXPECT_EQ(subkeys(registry, rootHandle(RootKey::ClassesRoot)), std::vector<std::string>({"B"}));
    EXPECT_EQ(registry.endBatch(false), RegStatus::Success);
}

TEST(WineRegistry, ABatchKeepsTheUntouchedTextOfALargeHiveWhetherCopiedOrWritten)
{
    TemporaryFolder root;
    {
        WineRegistry setup(root.path(), 0);
        setup.beginBatch();
        for (int i = 0; i < 3000; ++i) {
            const KeyHandle key = create(setup, HKLM, "Software\\Many\\K" + std::to_string(i));
            EXPECT_EQ(setup.setValue(key, "v", RegDword, dword(std::uint32_t(i))), RegStatus::Success);
            setup.closeKey(key);
        }
        EXPECT_EQ(setup.endBatch(true), RegStatus::Success);
    }
    for (const int refused : {0, EXDEV}) {
        SCOPED_TRACE(refused);
        const std::string before = readText(root / "system.reg");
        testing_support::FaultySystemCalls calls;
        if (refused)
            calls.failOn("copyFileRange", refused);
        WineRegistry registry(root.path(), 0, calls);
        registry.beginBatch();
        const KeyHandle key = create(registry, HKLM, "Software\\Many\\K1500");
        EXPECT_EQ(registry.setValue(key, "v", RegDword, dword(1500)), RegStatus::Success);
        EXPECT_EQ(registry.endBatch(true), RegStatus::Success);
        EXPECT_GE(calls.count("copyFileRange"), 1);
        EXPECT_TRUE(registry::sameButForTimes(before, readText(root / "system.reg")));
    }
}

TEST(WineRegistry, AWalkOverAHiveLargerThanWhatStaysInMemoryReadsEveryKey)
{
    TemporaryFolder root;
    constexpr int Keys = 60000; // about 9 MB
    std::string text = "WINE REGISTRY Version 2\n";
    char line[200];
    for (int i = 0; i < Keys; ++i) {
        std::snprintf(line, sizeof line, "\n[Software\\\\Big\\\\K%06d] 1\n\"v\"=dword:%08x\n\"pad\"=\"%0100d\"\n", i, i,
                      i);
        text += line;
    }
    writeText(root / "system.reg", text);
    testing_support::FaultySystemCalls calls;
    WineRegistry registry(root.path(), 0, calls);
    KeyHandle big;
    ASSERT_EQ(registry.openKey(HKLM, "Software\\Big", Access::Read, big), RegStatus::Success);
    int seen = 0;
    EXPECT_EQ(registry.walkBelow(big,
                                 [&](const std::string& path, std::vector<RegValue>& values) {
                                     char name[16];
                                     std::snprintf(name, sizeof name, "K%06d", seen);
                                     EXPECT_EQ(path, name);
                                     EXPECT_TRUE(values.size() == 2 && values[1].data == dword(std::uint32_t(seen)));
                                     ++seen;
                                     return WalkStep::Into;
                                 }),
              RegStatus::Success);
    EXPECT_EQ(seen, Keys);
    EXPECT_GE(calls.count("forgetMapped"), 2); // by the parse and by the walk
}

TEST(WineRegistry, AHandleFollowsItsKeyThroughDeletionsAndNewReads)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 0);
    WineRegistry other(root.path(), 0);
    registry.beginBatch();
    const KeyHandle parent = create(registry, HKCU, "Software\\A");
    const KeyHandle key = create(registry, parent, "B");
    KeyHandle below;
    ASSERT_EQ(registry.openKey(parent, "b", Access::AllAccess, below), RegStatus::Success);
    ASSERT_EQ(registry.setValue(key, "v", RegDword, dword(1)), RegStatus::Success);
    // Deleted and made again, in the same batch: the handles find the new key by their path.
    ASSERT_EQ(registry.deleteKey(parent, "B"), RegStatus::Success);
    RegValue value;
    EXPECT_EQ(registry.queryValue(below, "v", value), RegStatus::KeyDeleted);
    for (int i = 0; i < 20; ++i)
        registry.closeKey(create(registry, parent, "Sibling" + std::to_string(i)));
    create(registry, parent, "B");
    const KeyHandle made = create(registry, parent, "Made");
    EXPECT_EQ(registry.queryValue(key, "v", value), RegStatus::NotFound);
    ASSERT_EQ(registry.setValue(below, "w", RegDword, dword(2)), RegStatus::Success);
    std::vector<RegValue> values;
    ASSERT_EQ(registry.enumValues(key, values), RegStatus::Success);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "w");
    ASSERT_EQ(registry.endBatch(true), RegStatus::Success);

    // Another process replaces the file: the next call reads it anew.
    ASSERT_EQ(other.deleteKey(HKCU, "Software\\A\\B"), RegStatus::Success);
    EXPECT_EQ(registry.enumValues(key, values), RegStatus::KeyDeleted);
    KeyHandle child;
    EXPECT_EQ(registry.openKey(parent, "Sibling3", Access::Read, child), RegStatus::Success);
    create(other, HKCU, "Software\\A\\B");
    EXPECT_EQ(registry.setValue(key, "v", RegDword, dword(4)), RegStatus::Success);
    // A key made below another in the batch is found by its path in the file read anew.
    EXPECT_EQ(registry.setValue(made, "m", RegDword, dword(5)), RegStatus::Success);
    KeyHandle seen;
    ASSERT_EQ(other.openKey(HKCU, "Software\\A\\Made", Access::Read, seen), RegStatus::Success);
    EXPECT_EQ(other.queryValue(seen, "m", value), RegStatus::Success);
}

TEST(WineRegistry, BulkWalksListWhatEnumerationDoes)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 0);
    const KeyHandle key = create(registry, HKLM, "Software\\Walk");
    for (const char* name : {"b", "A", "c"}) {
        registry.closeKey(create(registry, key, name));
        ASSERT_EQ(registry.setValue(key, name, RegSz, sz(name[0])), RegStatus::Success);
    }
    const KeyHandle deep = create(registry, key, "A\\Deep");
    ASSERT_EQ(registry.setValue(deep, "d", RegSz, sz('d')), RegStatus::Success);
    for (const KeyHandle walked : {HKLM, key, HKCR}) {
        // A walk over the parsed keys sees what a walk through handles sees.
        for (const WalkStep step : {WalkStep::Into, WalkStep::Over, WalkStep::Stop}) {
            std::vector<std::string> fast, slow;
            const auto record = [step](std::vector<std::string>& into) {
                return [&into, step](const std::string& path, std::vector<RegValue>& values) {
                    into.push_back(path);
                    for (const RegValue& value : values)
                        into.back() += " " + value.name + "=" + std::to_string(value.data.size());
                    return step;
                };
            };
            ASSERT_EQ(registry.walkBelow(walked, record(fast)), RegStatus::Success);
            ASSERT_EQ(registry.RegistryApi::walkBelow(walked, record(slow)), RegStatus::Success);
            EXPECT_EQ(fast, slow);
            EXPECT_LE(fast.size(), step == WalkStep::Stop ? 1u : 99u);
        }
        std::vector<std::string> names;
        ASSERT_EQ(registry.enumKeys(walked, names), RegStatus::Success);
        EXPECT_EQ(names, subkeys(registry, walked));
        std::vector<RegValue> values;
        ASSERT_EQ(registry.enumValues(walked, values), RegStatus::Success);
        RegValue value;
        for (std::uint32_t i = 0; i < values.size(); ++i) {
            ASSERT_EQ(registry.enumValue(walked, i, value), RegStatus::Success);
            EXPECT_EQ(std::tie(values[i].name, values[i].type, values[i].data),
                      std::tie(value.name, value.type, value.data));
        }
        EXPECT_EQ(registry.enumValue(walked, std::uint32_t(values.size()), value), RegStatus::NoMoreItems);
    }
    std::vector<std::string> names;
    ASSERT_EQ(registry.enumKeys(key, names), RegStatus::Success);
    EXPECT_EQ(names, std::vector<std::string>({"A", "b", "c"}));
    ASSERT_EQ(registry.enumKeys(HKLM, names), RegStatus::Success);
    EXPECT_EQ(names, std::vector<std::string>({"HARDWARE", "Software"}));
}

TEST(WineRegistry, KeysKeepWindowsLimitsAndOnlyARegularFileIsAHive)
{
    TemporaryFolder root;
    WineRegistry registry(root.path(), 0);
    std::string deep = "k";
    for (int i = 1; i < 512; ++i)
        deep += "\\k";
    KeyHandle key;
    EXPECT_EQ(registry.createKey(HKCU, deep, Access::AllAccess, key), RegStatus::Success);
    EXPECT_EQ(registry.createKey(key, "k", Access::AllAccess, key), RegStatus::InvalidParameter);
    EXPECT_EQ(registry.createKey(HKCR, deep, Access::AllAccess, key), RegStatus::InvalidParameter);
    EXPECT_EQ(registry.createKey(HKCU, std::string(256, 'n'), Access::AllAccess, key), RegStatus::InvalidParameter);

    // A FIFO in place of a hive would make every reader wait for a writer that never comes.
    std::filesystem::remove(root / "user.reg");
    ASSERT_EQ(::mkfifo((root / "user.reg").c_str(), 0600), 0);
    EXPECT_EQ(registry.openKey(HKCU, "k", Access::Read, key), RegStatus::BadHive);
    EXPECT_NE(registry.lastFailure().find("user.reg: it is not a regular file"), std::string::npos)
        << registry.lastFailure();
    EXPECT_EQ(registry.createKey(HKCU, "x", Access::AllAccess, key), RegStatus::BadHive);
}
