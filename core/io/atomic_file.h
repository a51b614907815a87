#pragma once

#include "core/io/file_text.h"
#include "core/platform/system_calls.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace core::io {

enum class Links { Follow, Refuse };

// What readFile gives for something that is no regular file: a FIFO, a device, a socket, and
// with Links::Refuse a symbolic link. A folder gives std::errc::is_a_directory.
std::error_code notARegularFile();
// The words for an error of readFile or replaceFile, "not a regular file" among them.
std::string describe(std::error_code error);

// What readFile gives for a file larger than the caller takes: std::errc::file_too_large.
std::error_code tooLarge();

// Reads the whole regular file into `contents`; nothing else is opened for long, so a FIFO in
// its place can never make the reader wait. A missing file gives
// std::errc::no_such_file_or_directory.
// `identity`, when given, receives what fstat tells of the file that was read.
// A file of more than `largest` bytes gives tooLarge(): told by fstat before anything is read,
// or when the file grows past it while it is read.
std::error_code readFile(SystemCalls& calls, const std::filesystem::path& path, std::string& contents,
                         Links links = Links::Follow, struct stat* identity = nullptr,
                         std::uint64_t largest = std::numeric_limits<std::uint64_t>::max());
// The same into a FileText: a file that is not empty is mapped where the system allows, else read.
std::error_code readFile(SystemCalls& calls, const std::filesystem::path& path, FileText& contents,
                         Links links = Links::Follow, struct stat* identity = nullptr,
                         std::uint64_t largest = std::numeric_limits<std::uint64_t>::max());

// A name for a temporary file beside `target` that nobody can guess: ".NAME.XXXXXXXX". Created
// only with O_CREAT | O_EXCL | O_NOFOLLOW, so a file or link planted under it is never used.
// Whether this system tells a file rewritten in place from the one that was read (its times to the
// nanosecond); where it cannot, the untouched pieces of a change are always written from memory.
bool systemTellsRewrittenFiles();

std::string temporaryName(std::string_view target);

// True when this process may replace `path`: the folder is writable, and so is the file when
// it exists. A read-only file or folder (or a read-only mount) says no, as it would on Windows.
bool canReplace(SystemCalls& calls, const std::filesystem::path& path);

// Replaces the file's contents so that a crash at any moment leaves either the old or the new
// file: a new temporary file beside it (see temporaryName) is written, flushed and renamed over
// it, then the folder is flushed. The file keeps its permission bits. Callers that share the file with other processes
// hold a FolderLock around the read-modify-write.
std::error_code replaceFile(SystemCalls& calls, const std::filesystem::path& path, std::string_view contents);
// A file the new contents may be copied from: `text` is what was read from it, `identity` what
// fstat told of it then.
struct CopySource {
    std::filesystem::path path;
    struct stat identity;
    std::string_view text;
};
// The same with the contents given as pieces written one after the other. Large pieces that lie
// in `source->text` are copied from that file within the kernel while it is still the file that
// was read; otherwise, and where the copy is refused, they are written from memory.
// `beforeReplace`, when given, is asked once the new file is written and flushed, just before it
// takes the old one's place: an error it gives leaves the old file as it was and is returned.
std::error_code replaceFile(SystemCalls& calls, const std::filesystem::path& path,
                            std::span<const std::string_view> pieces, const CopySource* source = nullptr,
                            const std::function<std::error_code()>& beforeReplace = {});

// An exclusive lock on a folder, held for the life of the object, that serialises the
// read-modify-write of the files in it among the processes of this program and its tools.
class FolderLock {
public:
    FolderLock() = default;
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Waits until the lock is free.
    static std::error_code acquire(SystemCalls& calls, const std::filesystem::path& folder, FolderLock& lock);
    void release();

private:
    SystemCalls* m_calls = nullptr;
    int m_fd = -1;
};

} // namespace core::io
