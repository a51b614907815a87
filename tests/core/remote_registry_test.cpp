#include "core/registry/remote_registry.h"

#include "core/registry/wine_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace core;
using testing_support::TemporaryFolder;

namespace {

// The other process, here: each request answered by a registry of files at once. A transport
// can be cut, or made to answer with too little.
class Loopback final : public RegistryTransport {
public:
    explicit Loopback(RegistryApi& registry) : m_registry(registry) {}
    bool exchange(const std::string& request, std::string& answer, std::string& failure) override
    {
        if (cut) {
            failure = "the helper ended";
            return false;
        }
        answer = answerRegistryRequest(m_registry, request);
        if (truncate)
            answer.resize(3);
        return true;
    }
    bool cut = false;
    bool truncate = false;

private:
    RegistryApi& m_registry;
};

} // namespace

TEST(RemoteRegistry, EveryCallCarriesItsArgumentsResultsAndFailures)
{
    TemporaryFolder root;
    WineRegistry files(root.path(), 2400);
    Loopback loopback(files);
    RemoteRegistry remote(loopback);

    KeyHandle key;
    ASSERT_EQ(remote.createKey(rootHandle(RootKey::LocalMachine), "Software\\A\\B", Access::AllAccess, key),
              RegStatus::Success);
    const struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    } values[] = {{"", RegSz, {'x', 0, 0, 0}}, {"b", RegBinary, {}}, {"d", RegDword, {1, 0, 0, 0}}};
    for (const auto& v : values)
        ASSERT_EQ(remote.setValue(key, v.name, v.type, v.data), RegStatus::Success);
    for (std::uint32_t i = 0; i < std::size(values); ++i) {
        RegValue direct;
        RegValue listed;
        ASSERT_EQ(remote.queryValue(key, values[i].name, direct), RegStatus::Success);
        EXPECT_EQ(direct.type, values[i].type);
        EXPECT_EQ(direct.data, values[i].data);
        ASSERT_EQ(remote.enumValue(key, i, listed), RegStatus::Success);
        EXPECT_EQ(listed.name, values[i].name);
    }
    KeyInfo info;
    ASSERT_EQ(remote.queryInfoKey(key, info), RegStatus::Success);
    EXPECT_EQ(info.values, 3u);
    KeyHandle parent;
    std::string name;
    ASSERT_EQ(remote.openKey(rootHandle(RootKey::LocalMachine), "Software\\A", Access::Read, parent), RegStatus::Success);
    EXPECT_EQ(remote.enumKey(parent, 0, name), RegStatus::Success);
    EXPECT_EQ(name, "B");
    EXPECT_EQ(remote.enumKey(parent, 1, name), RegStatus::NoMoreItems);
    EXPECT_EQ(remote.deleteValue(key, "d"), RegStatus::Success);
    EXPECT_EQ(remote.closeKey(key), RegStatus::Success);
    EXPECT_EQ(remote.deleteKey(parent, "B"), RegStatus::Success);

    // The other side's failures come back with its own words.
    EXPECT_EQ(remote.closeKey(key), files.closeKey(key));
    EXPECT_EQ(remote.lastFailure(), files.lastFailure());
    RegValue value;
    EXPECT_EQ(remote.queryValue(parent, "nie ma", value), RegStatus::NotFound);

    loopback.truncate = true;
    EXPECT_EQ(remote.queryValue(parent, "", value), RegStatus::BadHive);
    EXPECT_EQ(remote.lastFailure(), "the registry's answer cannot be read");
    loopback.truncate = false;
    loopback.cut = true;
    EXPECT_EQ(remote.closeKey(parent), RegStatus::BadHive);
    EXPECT_EQ(remote.lastFailure(), "the helper ended");
}

TEST(RemoteRegistry, ARequestThatCannotBeReadChangesNothing)
{
    TemporaryFolder root;
    WineRegistry files(root.path(), 2400);
    for (const std::string& request : {std::string(), std::string("\x04\x02\x00\x00\x80", 5), std::string("\x63", 1)}) {
        const std::string answer = answerRegistryRequest(files, request);
        ASSERT_GE(answer.size(), 4u);
        EXPECT_EQ(static_cast<RegStatus>(answer[0]), RegStatus::InvalidParameter);
    }
}
