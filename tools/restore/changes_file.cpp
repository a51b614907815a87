#include "tools/restore/changes_file.h"

#include "core/registry/machine_hives.h"
#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"

#include <algorithm>

namespace restoretool {

using core::restore::KeyChange;
using core::restore::KeyState;

std::string changesRegFile(const std::vector<KeyChange>& changes)
{
    regtool::RegFileWriter writer;
    const KeyChange* removed = nullptr; // the last key written as removed
    for (const auto& change : changes) {
        std::u16string path = core::text::toUtf16(core::registry::MachineHives.at(change.hive).rootName);
        for (const auto& component : change.path)
            path += u'\\' + component;
        if (change.state == KeyState::Removed) {
            const bool below = removed && removed->hive == change.hive && removed->path.size() < change.path.size() &&
                               std::equal(removed->path.begin(), removed->path.end(), change.path.begin());
            if (!below) {
                writer.removeKey(path);
                removed = &change;
            }
            continue;
        }
        writer.beginKey(path);
        for (const auto& value : change.values) {
            if (value.after)
                writer.addValue(value.name, value.after->type, value.after->data);
            else
                writer.removeValue(value.name);
        }
        writer.endKey();
    }
    return writer.bytes();
}

} // namespace restoretool
