#include "bench/bench_program.h"

#include "bench/reference_timing.h"

#include "core/machine/stock_keys.h"

#include <stdexcept>

namespace {

std::filesystem::path temporaryFolder(const std::string& name)
{
    std::filesystem::path folder = bench::makeWorkFolder(name.c_str());
    if (folder.empty())
        throw std::runtime_error(name + ": cannot make a temporary folder");
    return folder;
}

} // namespace

BenchProgram::BenchProgram(const std::string& name, core::DesktopWindows& desktop)
    : BenchProgram(name, desktop, {}, false)
{
}

BenchProgram::BenchProgram(const std::string& name, core::DesktopWindows& desktop, const std::filesystem::path& hives,
                           bool showOptionState)
    : m_folder(temporaryFolder(name))
    , m_machine(m_folder / "machine", "bench")
    , m_registry((m_machine.ensureExists(), m_machine.root()), 2400)
    , m_driveSpace(m_machine.driveC())
{
    m_context.reset(new chrome::Context{m_registry,
                                        m_folder / "dostrojnik.ini",
                                        core::posixSystemCalls(),
                                        [](const std::string&) {},
                                        m_errors,
                                        m_messages,
                                        m_cursor,
                                        m_clock,
                                        m_driveSpace,
                                        m_screen,
                                        m_pictures,
                                        desktop,
                                        m_processes,
                                        {}});
    m_context->machine = &m_machine;
    m_context->showOptionState = showOptionState;
    if (!hives.empty()) {
        for (const char* hive : {"system.reg", "user.reg"})
            std::filesystem::copy_file(hives / hive, m_machine.root() / hive,
                                       std::filesystem::copy_options::overwrite_existing);
        // As the program does at start on a Wine prefix.
        core::makeMissingStockKeys(m_registry, m_machine.root());
    }
    m_windows = std::make_unique<app::WindowSet>(*m_context);
}

BenchProgram::~BenchProgram()
{
    m_windows.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}
