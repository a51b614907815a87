#include "core/registry/live_prefix_registry.h"

#include "core/registry/wine_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace core {
namespace {

// How long a helper gets to end once its input is closed: 500 steps of 10 ms.
constexpr int HelperEndWaitSteps = 500;

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* buffer, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool isRoot(KeyHandle key)
{
    return key == rootHandle(RootKey::ClassesRoot) || key == rootHandle(RootKey::CurrentUser) ||
           key == rootHandle(RootKey::LocalMachine);
}

} // namespace

WineHelperTransport::WineHelperTransport(std::filesystem::path prefix, std::filesystem::path helper, std::string wine)
    : m_prefix(std::move(prefix))
    , m_helper(std::move(helper))
    , m_wine(std::move(wine))
{
}

WineHelperTransport::~WineHelperTransport()
{
    stop();
}

bool WineHelperTransport::start(std::string& failure)
{
    if (m_helper.empty()) {
        failure = "the registry of " + m_prefix.string() +
                  " is held by Wine's server, and there is no registry helper (dostrojnik-registry.exe) to reach it";
        return false;
    }
    int toHelper[2];
    int fromHelper[2];
    if (::pipe2(toHelper, O_CLOEXEC) != 0)
        return failure = std::string("cannot start the registry helper: ") + std::strerror(errno), false;
    if (::pipe2(fromHelper, O_CLOEXEC) != 0) {
        failure = std::string("cannot start the registry helper: ") + std::strerror(errno);
        ::close(toHelper[0]);
        ::close(toHelper[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toHelper[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromHelper[1], 1);
    // Wine's own messages would only be noise on the program's terminal.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> environment{"WINEPREFIX=" + m_prefix.string(), "WINEDEBUG=-all"};
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "WINEPREFIX=", 11) != 0 && std::strncmp(*entry, "WINEDEBUG=", 10) != 0)
            environment.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = m_wine;
    std::string helper = m_helper.string();
    char* argv[] = {program.data(), helper.data(), nullptr};
    pid_t process = -1;
    const int error = posix_spawnp(&process, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(toHelper[0]);
    ::close(fromHelper[1]);
    if (error != 0) {
        ::close(toHelper[1]);
        ::close(fromHelper[0]);
        failure = "cannot start the registry helper with " + m_wine + ": " + std::strerror(error);
        return false;
    }
    m_process = process;
    m_toHelper = toHelper[1];
    m_fromHelper = fromHelper[0];
    return true;
}

void WineHelperTransport::stop()
{
    if (m_process < 0)
        return;
    // The helper ends when its input does.
    ::close(m_toHelper);
    ::close(m_fromHelper);
    // A helper that does not end within a few seconds is ended, so closing never hangs.
    int status = 0;
    for (int waited = 0;; ++waited) {
        const pid_t ended = ::waitpid(m_process, &status, WNOHANG);
        if (ended == m_process || (ended < 0 && errno != EINTR))
            break;
        if (ended == 0 && waited == HelperEndWaitSteps)
            ::kill(m_process, SIGKILL);
        if (ended == 0)
            ::usleep(waited < HelperEndWaitSteps ? 10'000 : 1'000);
    }
    m_process = -1;
    m_toHelper = m_fromHelper = -1;
}

bool WineHelperTransport::exchange(const std::string& request, std::string& answer, std::string& failure)
{
    if (m_process < 0 && !start(failure))
        return false;
    // A helper that died is not asked again; the next call starts a new one.
    const auto broken = [&] {
        failure = "the registry helper in Wine (" + m_helper.string() + ") ended unexpectedly";
        ::kill(m_process, SIGKILL);
        stop();
        return false;
    };
    // Writing to a helper that ended must fail with EPIPE, not end this process.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const bool sent = writeAll(m_toHelper, registryFrame(request));
    ::sigaction(SIGPIPE, &previous, nullptr);
    if (!sent)
        return broken();
    unsigned char length[4];
    if (!readAll(m_fromHelper, reinterpret_cast<char*>(length), 4))
        return broken();
    const std::size_t size = static_cast<std::size_t>(length[0]) | (static_cast<std::size_t>(length[1]) << 8) |
                             (static_cast<std::size_t>(length[2]) << 16) | (static_cast<std::size_t>(length[3]) << 24);
    if (size > MaxRegistryFrame)
        return broken();
    answer.assign(size, '\0');
    if (!readAll(m_fromHelper, answer.data(), size))
        return broken();
    return true;
}

LivePrefixRegistry::LivePrefixRegistry(RegistryApi& files, std::filesystem::path prefix,
                                       std::unique_ptr<RegistryTransport> helper, SystemCalls& calls,
                                       EnvironmentLookup environment)
    : m_files(files)
    , m_prefix(std::move(prefix))
    , m_transport(std::move(helper))
    , m_remote(*m_transport)
    , m_calls(calls)
    , m_environment(std::move(environment))
    , m_last(&files)
{
}

bool LivePrefixRegistry::resolve(KeyHandle key, Inner& inner)
{
    if (isRoot(key)) {
        const bool live = m_transport->available() && wineServerHolds(m_calls, m_environment, m_prefix).has_value();
        inner = {live ? static_cast<RegistryApi*>(&m_remote) : &m_files, key};
        m_last = inner.registry;
        return true;
    }
    const auto found = m_keys.find(key.id);
    if (found == m_keys.end()) {
        m_last = &m_files;
        return false;
    }
    inner = found->second;
    m_last = inner.registry;
    return true;
}

KeyHandle LivePrefixRegistry::adopt(RegistryApi* registry, KeyHandle key)
{
    while (m_keys.count(m_next) || isRoot(KeyHandle{m_next}) || m_next == 0)
        ++m_next;
    m_keys[m_next] = {registry, key};
    return KeyHandle{m_next++};
}

RegStatus LivePrefixRegistry::reachKey(ReachKey call, KeyHandle parent, std::string_view path, Access access,
                                       KeyHandle& opened)
{
    opened = {};
    Inner inner;
    if (!resolve(parent, inner))
        return (m_files.*call)(KeyHandle{}, path, access, opened);
    KeyHandle key;
    const RegStatus status = (inner.registry->*call)(inner.key, path, access, key);
    if (status == RegStatus::Success)
        opened = adopt(inner.registry, key);
    return status;
}

RegStatus LivePrefixRegistry::createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    return reachKey(&RegistryApi::createKey, parent, path, access, opened);
}

RegStatus LivePrefixRegistry::openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    return reachKey(&RegistryApi::openKey, parent, path, access, opened);
}

RegStatus LivePrefixRegistry::closeKey(KeyHandle key)
{
    Inner inner;
    if (!resolve(key, inner))
        return m_files.closeKey(KeyHandle{});
    if (!isRoot(key))
        m_keys.erase(key.id);
    return inner.registry->closeKey(inner.key);
}

// The calls below take a key opened before; an unknown handle goes to the files, which refuse
// it with their own words.
RegStatus LivePrefixRegistry::setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                       std::span<const std::uint8_t> data)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->setValue(inner.key, name, type, data);
}

RegStatus LivePrefixRegistry::queryValue(KeyHandle key, std::string_view name, RegValue& value)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->queryValue(inner.key, name, value);
}

RegStatus LivePrefixRegistry::deleteValue(KeyHandle key, std::string_view name)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->deleteValue(inner.key, name);
}

RegStatus LivePrefixRegistry::deleteKey(KeyHandle parent, std::string_view path)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(parent, inner);
    return inner.registry->deleteKey(inner.key, path);
}

RegStatus LivePrefixRegistry::enumKey(KeyHandle key, std::uint32_t index, std::string& name)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->enumKey(inner.key, index, name);
}

RegStatus LivePrefixRegistry::enumValue(KeyHandle key, std::uint32_t index, RegValue& value)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->enumValue(inner.key, index, value);
}

RegStatus LivePrefixRegistry::queryInfoKey(KeyHandle key, KeyInfo& info)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->queryInfoKey(inner.key, info);
}

RegStatus LivePrefixRegistry::enumKeys(KeyHandle key, std::vector<std::string>& names)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->enumKeys(inner.key, names);
}

RegStatus LivePrefixRegistry::enumValues(KeyHandle key, std::vector<RegValue>& values)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->enumValues(inner.key, values);
}

RegStatus LivePrefixRegistry::walkBelow(KeyHandle key, const KeyVisitor& visit)
{
    Inner inner{&m_files, KeyHandle{}};
    resolve(key, inner);
    return inner.registry->walkBelow(inner.key, visit);
}

std::filesystem::path registryHelperFor(const std::filesystem::path& executable,
                                        const std::filesystem::path& installedFolder,
                                        const EnvironmentLookup& environment)
{
    for (const auto& folder : {executable.parent_path(), executable.parent_path() / installedFolder}) {
        const auto helper = (folder / "dostrojnik-registry.exe").lexically_normal();
        std::error_code ignored;
        if (std::filesystem::is_regular_file(helper, ignored))
            return helper;
    }
    if (const auto named = environment("DOSTROJNIK_REGISTRY_HELPER"); named && !named->empty())
        return *named;
    return {};
}

} // namespace core
