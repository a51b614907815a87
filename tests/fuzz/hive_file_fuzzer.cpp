// The registry hive parser: any text either parses or is refused, and what parses can be read
// key by key, changed, and written back into a text that parses again.

#include "core/registry/hive_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace core::registry;
    Hive hive;
    HiveParseError error;
    if (!Hive::parse(std::string(reinterpret_cast<const char*>(data), size), hive, error))
        return 0;

    // Every key's values, without recursion: a hive may nest deeper than the stack.
    std::vector<HiveKey*> pending{&hive.root()};
    while (!pending.empty()) {
        HiveKey* key = pending.back();
        pending.pop_back();
        hive.load(*key);
        for (const auto& subkey : key->subkeys)
            pending.push_back(subkey.get());
    }

    const std::vector<std::u16string> path{u"Software", u"Fuzz"};
    bool created = false;
    HiveKey& key = hive.create(path, 1, created);
    hive.setValue(key, HiveValue{u"name", 1, {'x', 0, 0, 0}}, 2);
    std::string text = hive.serialize();
    Hive again;
    if (!Hive::parse(text, again, error))
        std::abort(); // a text the writer made must parse
    HiveKey* found = again.find(path);
    if (!found)
        std::abort();
    again.load(*found);
    if (found->findValue(u"name") < 0)
        std::abort();
    return 0;
}
