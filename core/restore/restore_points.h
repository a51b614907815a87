#pragma once

#include "core/machine/drive.h"
#include "core/platform/clock.h"
#include "core/platform/environment.h"
#include "core/platform/system_calls.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core::restore {

enum class PointKind { User, Automatic, BeforeRestore };

struct RestorePoint {
    int number = 0;
    PointKind kind = PointKind::User;
    std::string time;        // local time, "yyyy-MM-dd HH:mm:ss"
    std::string description; // one line of UTF-8
};

// The kind as the tool names it: "ręczny", "automatyczny", "przed przywróceniem".
std::string_view kindName(PointKind kind);

// Automatic points beyond this many go, oldest first; the others stay until the user deletes them.
inline constexpr std::size_t MaxAutomaticPoints = 20;
// The highest number a point can have: "RP" and at most nine digits.
inline constexpr int MaxPointNumber = 999'999'999;

// The restore points of a machine, each a folder `RP<number>` under
// `drive_c/System Volume Information/_restore/` holding the registry files of the machine's
// root as they were (those that existed) and `point.ini` with its kind, time and description.
//
// A hive file is only ever replaced by a rename, never written in place, so a point holds hard
// links to the files and costs next to nothing; it copies only where the file system cannot link.
// A point is built in a hidden folder and renamed into place, so a crash leaves it whole or
// absent; it is taken under the machine's lock, so the hives are those of one moment. The
// points lie on drive C:, so they are reached only through the drive's walk: a link planted
// among them is never followed, and a point's files are copied back, never linked.
class PointStore {
public:
    // `environment` tells where Wine's server would keep its lock.
    PointStore(std::filesystem::path machineRoot, const Clock& clock, SystemCalls& calls = posixSystemCalls(),
               EnvironmentLookup environment = hostEnvironment());

    const std::filesystem::path& machineRoot() const { return m_root; }
    const std::filesystem::path& folder() const { return m_folder; }
    SystemCalls& systemCalls() const { return m_calls; }
    std::filesystem::path pointFolder(int number) const;

    // Oldest first. A folder that is not a whole point (no readable point.ini) is none.
    std::vector<RestorePoint> list() const;
    // The text of one of the point's files; none when the point was taken without it. Throws
    // core::Error when there is no such point, or the file is no regular file or cannot be read.
    std::optional<std::string> readPointFile(int number, std::string_view file) const;
    // Throws core::Error when there is no such point.
    RestorePoint find(int number) const;

    // Takes the machine's lock. Throws core::Error when the point cannot be made.
    RestorePoint create(PointKind kind, std::string_view description);
    // For a caller that holds the machine's lock, before its first change of the registry: an
    // automatic point, unless one was made today or the hives are still those of the newest point.
    std::optional<RestorePoint> createAutomaticLocked(std::string_view description);
    void remove(int number);

    // Runs `change`, which rewrites hive files, under the machine's lock, after making sure that
    // Wine's server does not hold them and that `files` may be replaced, and after keeping a
    // "before restore" point. Returns that point; throws core::Error and changes nothing when
    // any of it fails.
    RestorePoint changeHives(const std::vector<std::string_view>& files, std::string_view description,
                             const std::function<void()>& change);
    // Puts the machine's registry back to the point's, each file replaced at once.
    RestorePoint restore(int number);

private:
    RestorePoint createLocked(PointKind kind, std::string_view description);
    Drive drive() const;
    // The folder of the points, open; made when `create` says so, else none when it is missing.
    Descriptor openStore(bool create) const;
    std::optional<RestorePoint> readPoint(int store, int number) const;
    // Clears what makers killed midway left behind; returns the lowest free number above every
    // point's.
    int tidyAndNumber(int store);
    // Gives the file in the machine's root a second name in `folder`, or copies it; false when
    // it is absent.
    bool linkOrCopy(std::string_view file, int folder);
    bool sameAsNewest(const std::vector<RestorePoint>& points) const;
    void removeHidden(int store, const std::string& name);
    void pruneAutomatic();
    static std::string uniqueHiddenName(std::string_view prefix);

    std::filesystem::path m_root;
    std::filesystem::path m_folder;
    const Clock& m_clock;
    SystemCalls& m_calls;
    EnvironmentLookup m_environment;
};

} // namespace core::restore
