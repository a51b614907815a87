// The registry of a Wine prefix for our Linux programs while Wine's server holds it: requests
// of core::RemoteRegistry come in on standard input, answers go out on standard output, until
// the input ends.
#include "core/registry/remote_registry.h"
#include "core/registry/win32_registry.h"

#include <windows.h>

namespace {

bool readAll(HANDLE from, char* buffer, DWORD size)
{
    while (size > 0) {
        DWORD done = 0;
        if (!ReadFile(from, buffer, size, &done, nullptr) || done == 0)
            return false;
        buffer += done;
        size -= done;
    }
    return true;
}

bool writeAll(HANDLE to, const std::string& bytes)
{
    const char* at = bytes.data();
    auto left = static_cast<DWORD>(bytes.size());
    while (left > 0) {
        DWORD done = 0;
        if (!WriteFile(to, at, left, &done, nullptr) || done == 0)
            return false;
        at += done;
        left -= done;
    }
    return true;
}

} // namespace

int main()
{
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    core::Win32Registry registry;
    for (;;) {
        unsigned char length[4];
        if (!readAll(in, reinterpret_cast<char*>(length), 4))
            return 0;
        const std::size_t size = static_cast<std::size_t>(length[0]) | (static_cast<std::size_t>(length[1]) << 8) |
                             (static_cast<std::size_t>(length[2]) << 16) | (static_cast<std::size_t>(length[3]) << 24);
        if (size > core::MaxRegistryFrame)
            return 1;
        std::string request(size, '\0');
        if (!readAll(in, request.data(), static_cast<DWORD>(size)))
            return 1;
        if (!writeAll(out, core::registryFrame(core::answerRegistryRequest(registry, request))))
            return 1;
    }
}
