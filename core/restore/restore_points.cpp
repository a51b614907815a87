#include "core/restore/restore_points.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/registry/hive_file.h"
#include "core/registry/machine_hives.h"
#include "core/registry/wine_server.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <random>
#include <system_error>

namespace core::restore {
namespace {

constexpr std::string_view InfoFile = "point.ini";
constexpr std::string_view NewPrefix = ".new-";
constexpr std::string_view OldPrefix = ".old-";

[[noreturn]] void fail(const std::string& message)
{
    throw Error(message);
}

std::string systemMessage(int error)
{
    return std::generic_category().message(error);
}

struct KindWords {
    PointKind kind;
    std::string_view key;  // in point.ini
    std::string_view name; // shown to the user
};
constexpr KindWords Kinds[] = {
    {PointKind::User, "user", "ręczny"},
    {PointKind::Automatic, "automatic", "automatyczny"},
    {PointKind::BeforeRestore, "before-restore", "przed przywróceniem"},
};

// "RP12" gives 12; anything else nothing.
std::optional<int> pointNumber(std::string_view name)
{
    if (name.size() < 3 || name.size() > 11 || name.substr(0, 2) != "RP" || name[2] == '0')
        return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(name.data() + 2, name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size())
        return std::nullopt;
    return number;
}

std::optional<RestorePoint> readInfo(SystemCalls& calls, const std::filesystem::path& folder, int number)
{
    std::string text;
    if (io::readFile(calls, folder / InfoFile, text))
        return std::nullopt;
    RestorePoint point;
    point.number = number;
    bool haveKind = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "kind") {
            for (const auto& words : Kinds)
                if (words.key == value) {
                    point.kind = words.kind;
                    haveKind = true;
                }
        } else if (key == "time") {
            point.time = value;
        } else if (key == "description") {
            point.description = value;
        }
    }
    if (!haveKind)
        return std::nullopt;
    return point;
}

// Line breaks would end the description's line in point.ini.
std::string oneLine(std::string_view text)
{
    std::string line(text);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}

bool linkImpossible(int error)
{
    return error == EXDEV || error == EPERM || error == EMLINK || error == ENOTSUP || error == EOPNOTSUPP;
}

// A folder of ours, never a symbolic link that leads elsewhere.
bool isRealFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::directory;
}

} // namespace

std::string_view kindName(PointKind kind)
{
    for (const auto& words : Kinds)
        if (words.kind == kind)
            return words.name;
    return {};
}

PointStore::PointStore(std::filesystem::path machineRoot, const Clock& clock, SystemCalls& calls,
                       EnvironmentLookup environment)
    : m_root(std::move(machineRoot)),
      m_folder(m_root / "drive_c" / "System Volume Information" / "_restore"),
      m_clock(clock),
      m_calls(calls),
      m_environment(std::move(environment))
{
}

std::filesystem::path PointStore::pointFolder(int number) const
{
    return m_folder / ("RP" + std::to_string(number));
}

std::vector<RestorePoint> PointStore::list() const
{
    std::vector<RestorePoint> points;
    if (!isRealFolder(m_folder))
        return points;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const auto number = pointNumber(entry.path().filename().string());
        if (!number || !isRealFolder(entry.path()))
            continue;
        if (auto point = readInfo(m_calls, entry.path(), *number))
            points.push_back(std::move(*point));
    }
    std::sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return points;
}

RestorePoint PointStore::find(int number) const
{
    if (number > 0 && isRealFolder(pointFolder(number)))
        if (auto point = readInfo(m_calls, pointFolder(number), number))
            return *point;
    fail("Nie ma punktu przywracania " + std::to_string(number) + ".");
}

RestorePoint PointStore::create(PointKind kind, std::string_view description)
{
    io::FolderLock lock;
    if (const auto error = io::FolderLock::acquire(m_calls, m_root, lock))
        fail("Nie można zablokować rejestru maszyny " + m_root.string() + ": " + error.message() + ".");
    return createLocked(kind, description);
}

std::optional<RestorePoint> PointStore::createAutomaticLocked(std::string_view description)
{
    if (sameAsNewest(list()))
        return std::nullopt;
    RestorePoint point = createLocked(PointKind::Automatic, description);
    pruneAutomatic();
    return point;
}

void PointStore::remove(int number)
{
    find(number);
    io::FolderLock lock;
    if (const auto error = io::FolderLock::acquire(m_calls, m_root, lock))
        fail("Nie można zablokować rejestru maszyny " + m_root.string() + ": " + error.message() + ".");
    // Out of the list at once by a rename; what is left of it after a crash goes at the next point.
    const auto doomed = uniqueHiddenName(OldPrefix);
    if (m_calls.rename(pointFolder(number).c_str(), doomed.c_str()) != 0)
        fail("Nie można usunąć punktu przywracania " + std::to_string(number) + ": " + systemMessage(errno) + ".");
    syncFolder(m_folder);
    std::error_code ignored;
    std::filesystem::remove_all(doomed, ignored);
}

RestorePoint PointStore::changeHives(const std::vector<std::string_view>& files, std::string_view description,
                                     const std::function<void()>& change)
{
    io::FolderLock lock;
    if (const auto error = io::FolderLock::acquire(m_calls, m_root, lock))
        fail("Nie można zablokować rejestru maszyny " + m_root.string() + ": " + error.message() + ".");
    if (const auto reason = wineServerHolds(m_calls, m_environment, m_root))
        fail("Rejestr tej maszyny jest teraz w rękach serwera Wine, który nadpisałby każdą zmianę (" + *reason +
             "). Zakończ programy Wine (wineserver -k) i spróbuj ponownie.");
    for (const auto file : files)
        if (!io::canReplace(m_calls, m_root / file))
            fail("Brak uprawnień do zapisu pliku " + (m_root / file).string() + ".");
    RestorePoint before = createLocked(PointKind::BeforeRestore, description);
    change();
    return before;
}

RestorePoint PointStore::restore(int number)
{
    const RestorePoint point = find(number);
    const auto source = pointFolder(number);
    std::vector<std::string_view> files;
    for (const auto& hive : registry::MachineHives)
        files.push_back(hive.file);
    return changeHives(files, "Przed przywróceniem punktu " + std::to_string(number), [&] {
        for (const auto file : files) {
            const auto from = source / file;
            const auto to = m_root / file;
            struct stat info {};
            if (m_calls.stat(from.c_str(), &info) != 0) {
                // The point was taken without this file, so the machine goes back to having none.
                if (m_calls.unlink(to.c_str()) != 0 && errno != ENOENT)
                    fail("Nie można usunąć pliku " + to.string() + ": " + systemMessage(errno) + ".");
                continue;
            }
            auto hidden = m_root / ("." + std::string(file) + ".restore");
            m_calls.unlink(hidden.c_str());
            if (m_calls.link(from.c_str(), hidden.c_str()) == 0) {
                if (m_calls.rename(hidden.c_str(), to.c_str()) != 0) {
                    const int error = errno;
                    m_calls.unlink(hidden.c_str());
                    fail("Nie można zastąpić pliku " + to.string() + ": " + systemMessage(error) + ".");
                }
                continue;
            }
            if (!linkImpossible(errno))
                fail("Nie można odczytać pliku " + from.string() + ": " + systemMessage(errno) + ".");
            std::string text;
            if (const auto error = registry::readHiveFile(m_calls, from, text))
                fail("Nie można odczytać pliku " + from.string() + ": " + error.message() + ".");
            if (const auto error = io::replaceFile(m_calls, to, text))
                fail("Nie można zapisać pliku " + to.string() + ": " + error.message() + ".");
        }
        syncFolder(m_root);
    });
}

RestorePoint PointStore::createLocked(PointKind kind, std::string_view description)
{
    ensureFolder();
    RestorePoint point;
    point.number = tidyAndNumber();
    point.kind = kind;
    const LocalTime now = m_clock.now();
    point.time = m_clock.shortDate(now) + " " + m_clock.longTime(now);
    point.description = oneLine(description);

    std::filesystem::path building;
    do {
        building = uniqueHiddenName(NewPrefix);
    } while (m_calls.mkdir(building.c_str(), 0755) != 0 && errno == EEXIST);
    if (!isRealFolder(building))
        fail("Nie można utworzyć folderu " + building.string() + ": " + systemMessage(errno) + ".");
    try {
        for (const auto& hive : registry::MachineHives)
            linkOrCopy(m_root / hive.file, building / hive.file);
        std::string info;
        for (const auto& words : Kinds)
            if (words.kind == kind)
                info = "kind=" + std::string(words.key) + "\n";
        info += "time=" + point.time + "\ndescription=" + point.description + "\n";
        writeNewFile(building / InfoFile, info);
        if (m_calls.rename(building.c_str(), pointFolder(point.number).c_str()) != 0)
            fail("Nie można utworzyć punktu przywracania " + std::to_string(point.number) + ": " +
                 systemMessage(errno) + ".");
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(building, ignored);
        throw;
    }
    return point;
}

// No fsync: the point's folder is renamed into place only when whole, so a crash leaves it whole
// or absent, and its hive files are links to files already on disk. A point.ini lost to a power
// failure reads as no point.
void PointStore::writeNewFile(const std::filesystem::path& path, std::string_view text)
{
    const int fd = m_calls.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = m_calls.write(fd, text.data() + done, text.size() - done);
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    const int error = errno;
    if (fd >= 0 && m_calls.close(fd) != 0 && written)
        fail("Nie można zapisać pliku " + path.string() + ": " + systemMessage(errno) + ".");
    if (!written)
        fail("Nie można zapisać pliku " + path.string() + ": " + systemMessage(error) + ".");
}

void PointStore::ensureFolder()
{
    for (const auto& folder : {m_folder.parent_path().parent_path(), m_folder.parent_path(), m_folder}) {
        if (m_calls.mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            fail("Nie można utworzyć folderu " + folder.string() + ": " + systemMessage(errno) + ".");
        if (!isRealFolder(folder))
            fail(folder.string() + " nie jest folderem, więc nie może przechowywać punktów przywracania.");
    }
}

int PointStore::tidyAndNumber()
{
    int highest = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(NewPrefix) || name.starts_with(OldPrefix)) {
            std::error_code ignored;
            std::filesystem::remove_all(entry.path(), ignored);
        } else if (const auto number = pointNumber(name)) {
            highest = std::max(highest, *number);
        }
    }
    return highest + 1;
}

bool PointStore::linkOrCopy(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (m_calls.link(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    if (!linkImpossible(errno))
        fail("Nie można dołączyć pliku " + from.string() + " do punktu przywracania: " + systemMessage(errno) + ".");
    std::string text;
    if (const auto error = registry::readHiveFile(m_calls, from, text)) {
        if (error == std::errc::no_such_file_or_directory)
            return false;
        fail("Nie można odczytać pliku " + from.string() + ": " + error.message() + ".");
    }
    if (const auto error = io::replaceFile(m_calls, to, text))
        fail("Nie można zapisać pliku " + to.string() + ": " + error.message() + ".");
    return true;
}

namespace {

std::string_view nextLine(std::string_view text, std::size_t& pos)
{
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

// Two hive texts that differ only in the times their keys were last written. The program writes
// the same values at every start, which renews those times; a point for that alone would crowd
// the points worth keeping out of the list.
bool sameButForTimes(std::string_view a, std::string_view b)
{
    std::size_t posA = 0;
    std::size_t posB = 0;
    while (posA < a.size() && posB < b.size()) {
        std::string_view lineA = nextLine(a, posA);
        std::string_view lineB = nextLine(b, posB);
        if (lineA.starts_with("#time=") && lineB.starts_with("#time="))
            continue;
        if (lineA.starts_with('[') && lineB.starts_with('[')) {
            lineA = lineA.substr(0, lineA.rfind(']') + 1);
            lineB = lineB.substr(0, lineB.rfind(']') + 1);
        }
        if (lineA != lineB)
            return false;
    }
    return posA >= a.size() && posB >= b.size();
}

} // namespace

bool PointStore::sameAsNewest(const std::vector<RestorePoint>& points) const
{
    if (points.empty())
        return false;
    const auto newest = pointFolder(points.back().number);
    for (const auto& hive : registry::MachineHives) {
        struct stat now {};
        struct stat then {};
        const bool haveNow = m_calls.stat((m_root / hive.file).c_str(), &now) == 0;
        const bool haveThen = m_calls.stat((newest / hive.file).c_str(), &then) == 0;
        if (haveNow != haveThen)
            return false;
        if (!haveNow || (now.st_dev == then.st_dev && now.st_ino == then.st_ino))
            continue;
        std::string textNow;
        std::string textThen;
        if (registry::readHiveFile(m_calls, m_root / hive.file, textNow) ||
            registry::readHiveFile(m_calls, newest / hive.file, textThen) ||
            !sameButForTimes(textNow, textThen))
            return false;
    }
    return true;
}

void PointStore::pruneAutomatic()
{
    std::vector<int> automatic;
    for (const auto& point : list())
        if (point.kind == PointKind::Automatic)
            automatic.push_back(point.number);
    for (std::size_t i = 0; i + MaxAutomaticPoints < automatic.size(); ++i) {
        const auto doomed = uniqueHiddenName(OldPrefix);
        if (m_calls.rename(pointFolder(automatic[i]).c_str(), doomed.c_str()) == 0) {
            std::error_code ignored;
            std::filesystem::remove_all(doomed, ignored);
        }
    }
    syncFolder(m_folder);
}

void PointStore::syncFolder(const std::filesystem::path& folder)
{
    const int fd = m_calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        m_calls.fsync(fd);
        m_calls.close(fd);
    }
}

std::filesystem::path PointStore::uniqueHiddenName(std::string_view prefix) const
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::random_device random;
    std::string name(prefix);
    for (int i = 0; i < 12; ++i)
        name += Digits[random() % 16];
    return m_folder / name;
}

} // namespace core::restore
