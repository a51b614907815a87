// The .reg import parser: any file either parses or is refused as a whole, and what parses,
// written back by the export writer, parses again into the same keys and values.

#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    regtool::RegFile file;
    std::string error;
    if (!regtool::parseRegFile(std::string_view(reinterpret_cast<const char*>(data), size), file, error))
        return 0;

    regtool::RegFileWriter writer;
    std::size_t expectedKeys = 0;
    for (const auto& key : file.keys) {
        if (key.remove)
            continue;
        ++expectedKeys;
        writer.beginKey(core::text::toUtf16(key.path));
        for (const auto& value : key.values)
            if (!value.remove)
                writer.addValue(core::text::toUtf16(value.name), value.type, value.data);
        writer.endKey();
    }

    regtool::RegFile again;
    if (!regtool::parseRegFile(writer.bytes(), again, error) || !again.warnings.empty() ||
        again.keys.size() != expectedKeys)
        std::abort();
    std::size_t index = 0;
    for (const auto& key : file.keys) {
        if (key.remove)
            continue;
        const auto& copy = again.keys[index++];
        if (copy.remove || copy.path != key.path)
            std::abort();
        std::size_t valueIndex = 0;
        for (const auto& value : key.values) {
            if (value.remove)
                continue;
            if (valueIndex >= copy.values.size())
                std::abort();
            const auto& written = copy.values[valueIndex++];
            if (written.name != value.name || written.type != value.type ||
                !std::ranges::equal(written.data, value.data))
                std::abort();
        }
        if (valueIndex != copy.values.size())
            std::abort();
    }
    return 0;
}
