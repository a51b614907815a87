#include "core/registry/registry_api.h"

namespace core {
namespace {

// One key's subkeys, each visited and walked in turn; false when the walk is to end.
bool walkHandles(RegistryApi& registry, KeyHandle key, std::string& path, const KeyVisitor& visit, RegStatus& status)
{
    std::vector<std::string> names;
    if ((status = registry.enumKeys(key, names)) != RegStatus::Success)
        return false;
    std::vector<RegValue> values;
    for (const std::string& name : names) {
        KeyHandle subkey;
        status = registry.openKey(key, name, Access::Read, subkey);
        if (status == RegStatus::NotFound)
            continue;
        if (status != RegStatus::Success)
            return false;
        const std::size_t length = path.size();
        path += (length ? "\\" : "") + name;
        bool goOn = (status = registry.enumValues(subkey, values)) == RegStatus::Success;
        if (goOn) {
            const WalkStep step = visit(path, values);
            goOn = step != WalkStep::Stop &&
                   (step == WalkStep::Over || walkHandles(registry, subkey, path, visit, status));
        }
        registry.closeKey(subkey);
        path.resize(length);
        if (!goOn)
            return false;
    }
    return true;
}

} // namespace

RegStatus RegistryApi::walkBelow(KeyHandle key, const KeyVisitor& visit)
{
    std::string path;
    RegStatus status = RegStatus::Success;
    walkHandles(*this, key, path, visit, status);
    return status;
}

} // namespace core
