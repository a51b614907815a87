#pragma once

#include "core/io/file_text.h"
#include "core/registry/hive_file.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace regtool {

// The largest registry editor file imported: about what `export` writes of a hive at its
// limit, two bytes of UTF-16 for each character of the hive's text. A larger file is refused
// before it is read.
inline constexpr std::uint64_t kLargestRegFile = 2 * core::registry::kLargestHiveFile;

// One value line of a registry editor file: a value to set, or ("name"=-) one to delete. Its
// name and data lie in the RegFile it was read into, and last as long as that.
struct RegFileValue {
    std::string_view name; // in UTF-8; empty for the default value "@"
    bool remove = false;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> data; // as the registry keeps it: REG_SZ is UTF-16LE with its zero
};

// One [key] block; [-key] removes the key with everything below it.
struct RegFileKey {
    std::string_view path; // as written, in UTF-8, root included: "HKEY_CURRENT_USER\Software\x"
    std::size_t line = 0;
    bool remove = false;
    std::span<const RegFileValue> values;
};

// A file as read: a hundred thousand keys cost a few large buffers rather than an allocation
// for every name and every value.
struct RegFile {
    std::vector<RegFileKey> keys;
    std::vector<std::string> warnings; // what was read with a guess, for the user to see

    // What the keys and values view (apart, so that it stays where it is when the RegFile moves):
    // the file's text in UTF-8, or the text of a file in UTF-16 and its names in UTF-8; the names
    // that held escapes; the values and their data.
    std::unique_ptr<core::io::FileText> source;
    std::unique_ptr<std::u16string> wide;
    std::deque<std::string> names;
    std::vector<RegFileValue> values;
    std::vector<std::uint8_t> data;
};

// Parses a registry editor file: "Windows Registry Editor Version 5.00" or "REGEDIT4", in
// UTF-16LE with its byte-order mark as Windows and Wine write it, or in UTF-8, or else in
// Windows-1250 (the code page of the machine's Windows). The whole file is read before anything
// is applied, so a file with a fault changes nothing; `error` then tells the line and the fault.
bool parseRegFile(std::string_view bytes, RegFile& file, std::string& error);
// The same, the file's bytes kept by the RegFile, whose keys and values view them where they can.
bool parseRegFileText(core::io::FileText bytes, RegFile& file, std::string& error);

// Writes a registry editor file as Windows' registry editor and Wine's `reg export` do: UTF-16LE
// with a byte-order mark, CR LF line ends, hex lists wrapped before column 80. Every value
// comes back byte for byte when the file is imported: where the short forms ("text",
// dword:) would lose something, the value is written as hex(N).
class RegFileWriter {
public:
    RegFileWriter();

    void beginKey(std::u16string_view fullPath);
    void addValue(std::u16string_view name, std::uint32_t type, std::span<const std::uint8_t> data);
    // "name"=-: the value is removed from the key begun last.
    void removeValue(std::u16string_view name);
    void endKey();
    // [-path]: the key is removed with everything below it.
    void removeKey(std::u16string_view fullPath);

    std::string bytes() const;

private:
    std::u16string m_text;
};

} // namespace regtool
