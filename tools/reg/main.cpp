// dostrojnik-reg: the registry tool of the emulated Windows machine, with the syntax of
// Windows' reg.exe and the messages and output of Wine's `reg`.

#include "core/error.h"
#include "core/machine/machine.h"
#include "core/registry/live_prefix_registry.h"
#include "core/registry/wine_registry.h"
#include "tools/locale/locale_text.h"
#include "tools/reg/reg_tool.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

// Text goes out in the locale's character set, to a terminal, a pipe or a file alike.
class StandardConsole final : public regtool::Console {
public:
    ~StandardConsole() override { flush(); }

    // Kept and written in large pieces: a walk over a large hive says a few lines per key.
    void write(std::string_view utf8) override
    {
        m_pending += utf8;
        if (m_pending.size() >= PieceSize)
            flush();
    }

    std::optional<std::string> readLine() override
    {
        flush();
        std::fflush(stdout); // the question is seen before the answer is read
        std::string line;
        if (!std::getline(std::cin, line))
            return std::nullopt;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

private:
    static constexpr std::size_t PieceSize = std::size_t{1} << 20;

    void flush()
    {
        if (m_pending.empty())
            return;
        if (m_encoder.converts()) {
            const std::string bytes = m_encoder.encode(m_pending);
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        } else {
            std::fwrite(m_pending.data(), 1, m_pending.size(), stdout);
        }
        m_pending.clear();
    }

    localetext::Encoder m_encoder;
    std::string m_pending; // whole texts in UTF-8, so that a piece never cuts a character
};

// An import or a change to a large hive fills tens of megabytes of fresh heap. Where the system
// gives large pages on request, the heap asks for them: a few hundred page faults instead of tens
// of thousands, which would cost a fifth of such a command. The heap grows in steps of 64 MiB, so
// that one request covers what a command mostly needs; only memory that is touched is used.
void heapInLargePages()
{
    constexpr std::uintptr_t LargePage = std::uintptr_t{2} << 20;
    mallopt(M_TOP_PAD, 64 << 20);
    // A block larger than the heap's first free space makes it grow by the step now.
    void* probe = std::malloc(1 << 20);
    if (!probe)
        return;
    const auto start = (reinterpret_cast<std::uintptr_t>(probe) + LargePage - 1) & ~(LargePage - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (end > start + LargePage)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    std::free(probe);
}

} // namespace

int main(int argc, char** argv)
{
    // A command allocates and frees tens of megabytes in a large hive or import file: the memory
    // it frees stays with it for what it allocates next, instead of going back to the system and
    // being faulted in anew, page by page.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    heapInLargePages();
    localetext::initialise(argv[0]);
    std::unique_ptr<core::WineRegistry> files;
    std::unique_ptr<core::LivePrefixRegistry> registry;
    const int status = core::runMain("dostrojnik-reg", [&] {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        StandardConsole console;
        // The machine is found (and a new one made) only when a command reaches the registry.
        const regtool::RegistryOpener opener = [&files, &registry, argv]() -> core::RegistryApi& {
            if (!registry) {
                const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
                machine.ensureExists();
                files = std::make_unique<core::WineRegistry>(machine.root(), std::function(core::hostCpuMhz));
                std::error_code ignored;
                const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored);
                registry = std::make_unique<core::LivePrefixRegistry>(
                    *files, machine.root(),
                    std::make_unique<core::WineHelperTransport>(
                        machine.root(), core::registryHelperFor(self.empty() ? argv[0] : self, DOSTROJNIK_BIN_TO_HELPER,
                                                                core::hostEnvironment())));
            }
            return *registry;
        };
        return regtool::runReg(arguments, opener, console);
    });
    // The parsed hives are left to the system, which frees them at once, instead of being taken
    // apart key by key: that would cost as much as a tenth of a command.
    std::fflush(stdout);
    std::_Exit(status);
}
