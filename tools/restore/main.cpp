// dostrojnik-restore: the restore points of the emulated Windows machine. With a command (list,
// create, changes, restore, delete, /?) it serves scripts without loading any toolkit; without
// arguments it becomes its window, a program of its own installed beside the tools' data.

#include "core/error.h"
#include "core/machine/machine.h"
#include "core/platform/clock.h"
#include "tools/locale/locale_text.h"
#include "tools/restore/restore_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

int runCommandLine(const std::vector<std::string>& arguments)
{
    const core::HostClock clock;
    std::unique_ptr<core::restore::PointStore> store;
    // The machine is found (and a new one made) only when a command needs it.
    const restoretool::StoreOpener opener = [&]() -> core::restore::PointStore& {
        if (!store) {
            const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
            machine.ensureExists();
            store = std::make_unique<core::restore::PointStore>(machine.root(), clock);
        }
        return *store;
    };
    restoretool::Output output;
    const int status = restoretool::runCommand(arguments, opener, output);
    localetext::Encoder encoder;
    const std::string out = encoder.encode(output.out);
    const std::string err = encoder.encode(output.err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}

// The window program, where it lies relative to this one both in the build tree and installed.
int runWindow(const char* argv0)
{
    std::error_code ignored;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (self.empty())
        self = argv0;
    const std::filesystem::path window = (self.parent_path() / DOSTROJNIK_BIN_TO_RESTORE_WINDOW).lexically_normal();
    char* const arguments[] = {const_cast<char*>(window.c_str()), nullptr};
    ::execv(window.c_str(), arguments);
    const std::string message = localetext::format(localetext::tr("dostrojnik-restore: cannot start %1: %2\n"),
                                                   {window.string(), std::strerror(errno)});
    const std::string text = localetext::Encoder().encode(message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    return core::runMain("dostrojnik-restore", [&] {
        localetext::initialise(argv[0]);
        if (argc > 1)
            return runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        return runWindow(argv[0]);
    });
}
