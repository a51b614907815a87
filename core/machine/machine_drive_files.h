#pragma once

#include "core/io/drive_files.h"
#include "core/machine/machine.h"
#include "core/platform/system_calls.h"

namespace core {

// Drive C: of the emulated machine, walked afresh at every call (core::Drive), so a drive that
// appears or goes meanwhile is seen.
class MachineDriveFiles final : public DriveFiles {
public:
    MachineDriveFiles(SystemCalls& calls, const Machine& machine) : m_calls(calls), m_machine(machine) {}

    bool findFolder(const DrivePath& path, DrivePath& real) const override;
    int listFiles(const DrivePath& folder, std::vector<std::string>& names) const override;
    int readFile(const DrivePath& file, std::string& contents, std::size_t limit) const override;
    int removeFile(const DrivePath& file) const override;
    DrivePath currentFolder() const override;

private:
    SystemCalls& m_calls;
    const Machine& m_machine;
};

} // namespace core
