// REG EXPORT: a key with everything below it as a registry editor file.

#include "tools/reg/command.h"

#include "core/io/atomic_file.h"
#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"

#include <filesystem>

namespace regtool {
namespace {

using core::RegStatus;

std::string exportHelp()
{
    return std::string(tr("REG EXPORT <key> <file> [/y]\n"
                          "\n"
                          "  Exports a specified registry key (including all subkeys and values)\n"
                          "  to a file.\n"
                          "\n"
                          "  <key>\n"
                          "     The registry key to export.\n"
                          "\n")) +
           tr(RootList) +
           tr("  <file>\n"
              "     The name and path of the registry file that will be created.\n"
              "     This file must have a .reg extension.\n"
              "\n"
              "  /y\n"
              "     Overwrite <file> without prompting for confirmation.\n"
              "\n");
}

// The key and everything below it; a link to nowhere is left out, as Wine leaves it out.
bool exportTree(Session& session, core::KeyHandle top, const KeyName& key, RegFileWriter& writer)
{
    const auto write = [&](const std::string& path, const std::vector<core::RegValue>& values) {
        writer.beginKey(core::text::toUtf16(path));
        for (const auto& value : values)
            writer.addValue(core::text::toUtf16(value.name), value.type, value.data);
        writer.endKey();
    };
    write(key.display(), session.valuesOf(top));
    return session.walkBelow(top, key.display(), key, true, write);
}

// The words Windows has for why a file could not be created.
std::string fileError(const std::filesystem::path& file, const std::string& shown, std::error_code error)
{
    std::error_code ignored;
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    if (!std::filesystem::is_directory(folder, ignored))
        return tr("Path not found.\n");
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
        return tr("Access denied.\n");
    if (error == std::errc::no_such_file_or_directory)
        return tr("File not found.\n");
    return format(tr("reg: Unable to write the file '%1': %2\n"), {shown, error.message()});
}

int exportKey(Session& session, const std::vector<std::string>& args, const Options& options)
{
    KeyName key;
    core::KeyHandle handle;
    if (const auto failed = session.openToRead(args[0], key, handle, true))
        return *failed;

    const std::filesystem::path& file = options.file;
    std::error_code ignored;
    if (!options.has("y") && std::filesystem::exists(file, ignored) &&
        !session.ask(format(tr("The file '%1' already exists. Do you want to overwrite it?"), {args[1]}))) {
        session.registry().closeKey(handle);
        session.say(tr(Cancelled));
        return 0;
    }
    RegFileWriter writer;
    const bool complete = exportTree(session, handle, key, writer);
    session.registry().closeKey(handle);
    if (!complete)
        return session.failBecause(tr("Unable to read the registry"));
    // Written beside and renamed into place, so an old backup is never left half overwritten.
    if (const auto error = core::io::replaceFile(core::posixSystemCalls(), file, writer.bytes()))
        return session.fail(fileError(file, args[1], error));
    return 0;
}

} // namespace

const Command ExportCommand{"export", exportHelp, 2, {"y"}, {}, 1, exportKey};

} // namespace regtool
