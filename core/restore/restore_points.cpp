#include "core/restore/restore_points.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/registry/hive_file.h"
#include "core/registry/hive_text.h"
#include "core/registry/machine_hives.h"
#include "core/registry/wine_server.h"
#include "core/restore/failure.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <random>
#include <system_error>

namespace core::restore {
namespace {

constexpr std::string_view InfoFile = "point.ini";
constexpr std::string_view NewPrefix = ".new-";
constexpr std::string_view OldPrefix = ".old-";
// Where the points lie below C:\.
const DrivePath StorePath = {"System Volume Information", "_restore"};
// A point.ini is a few lines; anything larger is none of ours.
constexpr std::size_t LargestInfo = 64 * 1024;
// A point holds hives, so it is read with the hives' own limit.
constexpr std::size_t LargestHive = registry::kLargestHiveFile;

[[noreturn]] void fail(Message message, std::vector<std::string> arguments)
{
    throw Failure(message, std::move(arguments));
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

// "RP12" gives 12; anything else (a sign, a leading zero, more than MaxPointNumber) nothing.
std::optional<int> pointNumber(std::string_view name)
{
    if (name.size() < 3 || name.size() > 11 || name.substr(0, 2) != "RP" || name[2] == '0')
        return std::nullopt;
    int number = 0;
    for (const char c : name.substr(2)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string pointName(int number)
{
    return "RP" + std::to_string(number);
}

std::optional<RestorePoint> parseInfo(const std::string& text, int number)
{
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
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}

bool linkImpossible(int error)
{
    return error == EXDEV || error == EPERM || error == EMLINK || error == ENOTSUP || error == EOPNOTSUPP;
}

// A regular file in the open folder, open for reading, never through a link; ENOENT when absent,
// ELOOP for a link, EINVAL for anything else that is no regular file.
Descriptor openRegular(SystemCalls& calls, int folder, const std::string& name, int& error)
{
    Descriptor file(calls, calls.openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!file || calls.fstat(file.get(), &info) != 0) {
        error = errno;
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
        return {};
    }
    error = 0;
    return file;
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
    : m_root(std::move(machineRoot))
    , m_folder(m_root / "drive_c" / "System Volume Information" / "_restore")
    , m_clock(clock)
    , m_calls(calls)
    , m_environment(std::move(environment))
{
}

std::filesystem::path PointStore::pointFolder(int number) const
{
    return m_folder / pointName(number);
}

Drive PointStore::drive() const
{
    return Drive(m_calls, m_root / "drive_c");
}

Descriptor PointStore::openStore(bool create) const
{
    int error = 0;
    if (!create)
        return drive().openFolder(StorePath, error);
    const auto driveC = m_root / "drive_c";
    if (m_calls.mkdir(driveC.c_str(), 0755) != 0 && errno != EEXIST)
        fail(Message("Unable to create the folder %1: %2.", "Nie można utworzyć folderu %1: %2."),
             {driveC.string(), systemMessage(errno)});
    Descriptor folder = drive().openFolder({}, error);
    if (!folder)
        fail(Message("Unable to open drive C: of the machine %1: %2.", "Nie można otworzyć dysku C: maszyny %1: %2."),
             {m_root.string(), systemMessage(error)});
    std::filesystem::path shown = m_root / "drive_c";
    for (const auto& name : StorePath) {
        shown /= name;
        if (m_calls.mkdirat(folder.get(), name.c_str(), 0755) != 0 && errno != EEXIST)
            fail(Message("Unable to create the folder %1: %2.", "Nie można utworzyć folderu %1: %2."),
                 {shown.string(), systemMessage(errno)});
        Descriptor next = openSubfolder(m_calls, folder.get(), name, error);
        if (!next && (error == ELOOP || error == ENOTDIR))
            fail(Message("%1 is not a folder, so it cannot hold restore points.",
                         "%1 nie jest folderem, więc nie może przechowywać punktów przywracania."),
                 {shown.string()});
        if (!next)
            fail(Message("Unable to open the folder %1: %2.", "Nie można otworzyć folderu %1: %2."),
                 {shown.string(), systemMessage(error)});
        folder = std::move(next);
    }
    return folder;
}

std::optional<RestorePoint> PointStore::readPoint(int store, int number) const
{
    if (number < 1 || number > MaxPointNumber)
        return std::nullopt;
    int error = 0;
    const Descriptor folder = openSubfolder(m_calls, store, pointName(number), error);
    if (!folder)
        return std::nullopt;
    const Descriptor info = openRegular(m_calls, folder.get(), std::string(InfoFile), error);
    std::string text;
    if (!info || readAll(m_calls, info.get(), text, LargestInfo) != 0)
        return std::nullopt;
    return parseInfo(text, number);
}

std::vector<RestorePoint> PointStore::list() const
{
    std::vector<RestorePoint> points;
    const Descriptor store = openStore(false);
    std::vector<std::string> names;
    if (!store || m_calls.listFolder(store.get(), names) != 0)
        return points;
    for (const auto& name : names)
        if (const auto number = pointNumber(name))
            if (auto point = readPoint(store.get(), *number))
                points.push_back(std::move(*point));
    std::sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return points;
}

RestorePoint PointStore::find(int number) const
{
    if (const Descriptor store = openStore(false))
        if (auto point = readPoint(store.get(), number))
            return *point;
    fail(Message("There is no restore point %1.", "Nie ma punktu przywracania %1."), {std::to_string(number)});
}

std::optional<std::string> PointStore::readPointFile(int number, std::string_view file) const
{
    find(number);
    int error = 0;
    const Descriptor store = openStore(false);
    const Descriptor folder = store ? openSubfolder(m_calls, store.get(), pointName(number), error) : Descriptor();
    const std::string name(file);
    const auto shown = pointFolder(number) / name;
    Descriptor opened = folder ? openRegular(m_calls, folder.get(), name, error) : Descriptor();
    if (!folder || error == ENOENT)
        return std::nullopt;
    if (error == ELOOP || error == EINVAL)
        fail(Message("The file %1 is not a regular file, so it does not belong to a restore point.",
                     "Plik %1 nie jest zwykłym plikiem, więc nie należy do punktu przywracania."),
             {shown.string()});
    std::string text;
    if (!error)
        error = readAll(m_calls, opened.get(), text, LargestHive);
    if (error == EFBIG)
        fail(Message("Unable to read the file %1: the file is larger than %2.",
                     "Nie można odczytać pliku %1: plik jest większy niż %2."),
             {shown.string(), registry::sizeText(registry::kLargestHiveFile)});
    if (error)
        fail(Message("Unable to read the file %1: %2.", "Nie można odczytać pliku %1: %2."),
             {shown.string(), systemMessage(error)});
    return text;
}

RestorePoint PointStore::create(PointKind kind, std::string_view description)
{
    io::FolderLock lock;
    if (const auto error = io::FolderLock::acquire(m_calls, m_root, lock))
        fail(Message("Unable to lock the registry of the machine %1: %2.",
                     "Nie można zablokować rejestru maszyny %1: %2."),
             {m_root.string(), error.message()});
    return createLocked(kind, description);
}

std::optional<RestorePoint> PointStore::createAutomaticLocked(std::string_view description)
{
    // One automatic point a day is enough to go back to; the first of the day holds the
    // registry as it was before that day's changes.
    const std::vector<RestorePoint> points = list();
    const std::string today = m_clock.shortDate(m_clock.now()) + " ";
    const bool madeToday = std::any_of(points.begin(), points.end(), [&](const RestorePoint& point) {
        return point.kind == PointKind::Automatic && point.time.starts_with(today);
    });
    if (madeToday || sameAsNewest(points))
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
        fail(Message("Unable to lock the registry of the machine %1: %2.",
                     "Nie można zablokować rejestru maszyny %1: %2."),
             {m_root.string(), error.message()});
    // Out of the list at once by a rename; what is left of it after a crash goes at the next point.
    const Descriptor store = openStore(false);
    const std::string doomed = uniqueHiddenName(OldPrefix);
    if (!store || m_calls.renameat(store.get(), pointName(number).c_str(), store.get(), doomed.c_str()) != 0)
        fail(Message("Unable to delete restore point %1: %2.", "Nie można usunąć punktu przywracania %1: %2."),
             {std::to_string(number), systemMessage(errno)});
    m_calls.fsync(store.get());
    removeHidden(store.get(), doomed);
}

RestorePoint PointStore::changeHives(const std::vector<std::string_view>& files, std::string_view description,
                                     const std::function<void()>& change)
{
    io::FolderLock lock;
    if (const auto error = io::FolderLock::acquire(m_calls, m_root, lock))
        fail(Message("Unable to lock the registry of the machine %1: %2.",
                     "Nie można zablokować rejestru maszyny %1: %2."),
             {m_root.string(), error.message()});
    if (const auto reason = wineServerHolds(m_calls, m_environment, m_root))
        fail(Message("The machine's registry is now held by Wine's server, which would overwrite any change (%1). End "
                     "the Wine programs (wineserver -k) and try again.",
                     "Rejestr tej maszyny jest teraz w rękach serwera Wine, który nadpisałby każdą zmianę (%1). "
                     "Zakończ programy Wine (wineserver -k) i spróbuj ponownie."),
             {*reason});
    for (const auto file : files)
        if (!io::canReplace(m_calls, m_root / file))
            fail(Message("No permission to write the file %1.", "Brak uprawnień do zapisu pliku %1."),
                 {(m_root / file).string()});
    RestorePoint before = createLocked(PointKind::BeforeRestore, description);
    change();
    return before;
}

RestorePoint PointStore::restore(int number)
{
    find(number);
    std::vector<std::string_view> files;
    for (const auto& hive : registry::MachineHives)
        files.push_back(hive.file);
    // Every file of the point is opened, and found a regular file, before anything changes.
    int error = 0;
    const Descriptor store = openStore(false);
    const Descriptor folder = store ? openSubfolder(m_calls, store.get(), pointName(number), error) : Descriptor();
    if (!folder)
        fail(Message("There is no restore point %1.", "Nie ma punktu przywracania %1."), {std::to_string(number)});
    std::vector<Descriptor> sources;
    for (const auto file : files) {
        const std::string name(file);
        Descriptor source = openRegular(m_calls, folder.get(), name, error);
        if (error == ELOOP || error == EINVAL)
            fail(Message("The file %1 is not a regular file, so it does not belong to a restore point.",
                         "Plik %1 nie jest zwykłym plikiem, więc nie należy do punktu przywracania."),
                 {(pointFolder(number) / name).string()});
        if (error && error != ENOENT)
            fail(Message("Unable to read the file %1: %2.", "Nie można odczytać pliku %1: %2."),
                 {(pointFolder(number) / name).string(), systemMessage(error)});
        sources.push_back(std::move(source));
    }
    return changeHives(files, "Przed przywróceniem punktu " + std::to_string(number), [&] {
        const Descriptor root(m_calls, m_calls.open(m_root.c_str(), O_RDONLY | O_DIRECTORY));
        if (!root)
            fail(Message("Unable to open the folder %1: %2.", "Nie można otworzyć folderu %1: %2."),
                 {m_root.string(), systemMessage(errno)});
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string name(files[i]);
            const auto to = m_root / name;
            if (!sources[i]) {
                // The point was taken without this file, so the machine goes back to having none.
                if (m_calls.unlinkat(root.get(), name.c_str(), 0) != 0 && errno != ENOENT)
                    fail(Message("Unable to delete the file %1: %2.", "Nie można usunąć pliku %1: %2."),
                         {to.string(), systemMessage(errno)});
                continue;
            }
            // A copy, never a second name: the hive stays the machine's own file, whatever
            // happens to the point, and keeps its permission bits.
            mode_t mode = 0644;
            struct stat existing {};
            if (m_calls.fstatat(root.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(existing.st_mode))
                mode = existing.st_mode & 07777;
            if (const int failure = copyFile(m_calls, sources[i].get(), root.get(), name, mode))
                fail(Message("Unable to replace the file %1: %2.", "Nie można zastąpić pliku %1: %2."),
                     {to.string(), systemMessage(failure)});
        }
    });
}

RestorePoint PointStore::createLocked(PointKind kind, std::string_view description)
{
    const Descriptor store = openStore(true);
    RestorePoint point;
    point.number = tidyAndNumber(store.get());
    point.kind = kind;
    const LocalTime now = m_clock.now();
    point.time = m_clock.shortDate(now) + " " + m_clock.longTime(now);
    point.description = oneLine(description);

    std::string building;
    int error = 0;
    do {
        building = uniqueHiddenName(NewPrefix);
        error = m_calls.mkdirat(store.get(), building.c_str(), 0755) == 0 ? 0 : errno;
    } while (error == EEXIST);
    const Descriptor folder = error ? Descriptor() : openSubfolder(m_calls, store.get(), building, error);
    if (!folder)
        fail(Message("Unable to create the folder %1: %2.", "Nie można utworzyć folderu %1: %2."),
             {(m_folder / building).string(), systemMessage(error)});
    try {
        for (const auto& hive : registry::MachineHives)
            linkOrCopy(hive.file, folder.get());
        std::string info;
        for (const auto& words : Kinds)
            if (words.kind == kind)
                info = "kind=" + std::string(words.key) + "\n";
        info += "time=" + point.time + "\ndescription=" + point.description + "\n";
        // No fsync: the point's folder is renamed into place only when whole, so a crash leaves
        // it whole or absent, and its hive files are links to files already on disk. A point.ini
        // lost to a power failure reads as no point.
        const auto infoPath = m_folder / building / InfoFile;
        const Descriptor file(m_calls, m_calls.openat(folder.get(), std::string(InfoFile).c_str(),
                                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644));
        bool written = static_cast<bool>(file);
        for (std::size_t done = 0; written && done < info.size();) {
            const ssize_t n = m_calls.write(file.get(), info.data() + done, info.size() - done);
            written = n > 0;
            done += written ? static_cast<std::size_t>(n) : 0;
        }
        if (!written)
            fail(Message("Unable to write the file %1: %2.", "Nie można zapisać pliku %1: %2."),
                 {infoPath.string(), systemMessage(errno)});
        if (m_calls.renameat(store.get(), building.c_str(), store.get(), pointName(point.number).c_str()) != 0)
            fail(Message("Unable to create restore point %1: %2.", "Nie można utworzyć punktu przywracania %1: %2."),
                 {std::to_string(point.number), systemMessage(errno)});
    } catch (...) {
        removeHidden(store.get(), building);
        throw;
    }
    return point;
}

int PointStore::tidyAndNumber(int store)
{
    std::vector<std::string> names;
    if (m_calls.listFolder(store, names) != 0)
        fail(Message("Unable to read the folder %1: %2.", "Nie można odczytać folderu %1: %2."),
             {m_folder.string(), systemMessage(errno)});
    int highest = 0;
    for (const auto& name : names) {
        if (name.starts_with(NewPrefix) || name.starts_with(OldPrefix))
            removeHidden(store, name);
        else if (const auto number = pointNumber(name); number && *number > highest && readPoint(store, *number))
            highest = *number;
    }
    // A folder under a point's name that is no point is left alone, and its name not taken.
    int number = highest + 1;
    struct stat info {};
    while (number <= MaxPointNumber &&
           m_calls.fstatat(store, pointName(number).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        ++number;
    if (number > MaxPointNumber)
        fail(Message("Unable to create a restore point: point %1 has the highest possible number. Delete it to create "
                     "new points.",
                     "Nie można utworzyć punktu przywracania: punkt %1 ma najwyższy możliwy numer. Usuń go, aby "
                     "tworzyć nowe punkty."),
             {std::to_string(highest)});
    return number;
}

bool PointStore::linkOrCopy(std::string_view file, int folder)
{
    const std::string name(file);
    const auto from = m_root / name;
    if (m_calls.linkat(AT_FDCWD, from.c_str(), folder, name.c_str()) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    if (!linkImpossible(errno))
        fail(Message("Unable to add the file %1 to the restore point: %2.",
                     "Nie można dołączyć pliku %1 do punktu przywracania: %2."),
             {from.string(), systemMessage(errno)});
    const Descriptor input(m_calls, m_calls.open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
    if (!input) {
        if (errno == ENOENT)
            return false;
        fail(Message("Unable to read the file %1: %2.", "Nie można odczytać pliku %1: %2."),
             {from.string(), systemMessage(errno)});
    }
    if (const int error = copyFile(m_calls, input.get(), folder, name, 0644))
        fail(Message("Unable to write the file %1 into the restore point: %2.",
                     "Nie można zapisać pliku %1 w punkcie przywracania: %2."),
             {from.string(), systemMessage(error)});
    return true;
}

bool PointStore::sameAsNewest(const std::vector<RestorePoint>& points) const
{
    if (points.empty())
        return false;
    int error = 0;
    const Descriptor store = openStore(false);
    const Descriptor newest =
        store ? openSubfolder(m_calls, store.get(), pointName(points.back().number), error) : Descriptor();
    if (!newest)
        return false;
    for (const auto& hive : registry::MachineHives) {
        const std::string name(hive.file);
        struct stat now {};
        struct stat then {};
        const bool haveNow = m_calls.stat((m_root / name).c_str(), &now) == 0;
        const Descriptor file = openRegular(m_calls, newest.get(), name, error);
        if (!file && error != ENOENT)
            return false;
        const bool haveThen = file && m_calls.fstat(file.get(), &then) == 0;
        if (haveNow != haveThen)
            return false;
        if (!haveNow || (now.st_dev == then.st_dev && now.st_ino == then.st_ino))
            continue;
        std::string textNow;
        std::string textThen;
        // Times alone are no change: a point for them would crowd the points worth keeping out.
        if (registry::readHiveFile(m_calls, m_root / name, textNow) ||
            readAll(m_calls, file.get(), textThen, LargestHive) || !registry::sameButForTimes(textNow, textThen))
            return false;
    }
    return true;
}

void PointStore::removeHidden(int store, const std::string& name)
{
    int error = 0;
    if (Descriptor folder = openSubfolder(m_calls, store, name, error)) {
        removeContents(m_calls, std::move(folder));
        m_calls.unlinkat(store, name.c_str(), AT_REMOVEDIR);
    } else {
        m_calls.unlinkat(store, name.c_str(), 0);
    }
}

void PointStore::pruneAutomatic()
{
    std::vector<int> automatic;
    for (const auto& point : list())
        if (point.kind == PointKind::Automatic)
            automatic.push_back(point.number);
    const Descriptor store = openStore(false);
    if (!store)
        return;
    for (std::size_t i = 0; i + MaxAutomaticPoints < automatic.size(); ++i) {
        const std::string doomed = uniqueHiddenName(OldPrefix);
        if (m_calls.renameat(store.get(), pointName(automatic[i]).c_str(), store.get(), doomed.c_str()) == 0)
            removeHidden(store.get(), doomed);
    }
    m_calls.fsync(store.get());
}

std::string PointStore::uniqueHiddenName(std::string_view prefix)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::random_device random;
    std::string name(prefix);
    for (int i = 0; i < 12; ++i)
        name += Digits[random() % 16];
    return name;
}

} // namespace core::restore
