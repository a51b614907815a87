#pragma once

#include <cstdint>
#include <functional>

#include <sys/types.h>

namespace core {

// What became of a request to end a process.
enum class EndProcess {
    Ended,
    // There is no such process, or we may not end it.
    NotOpened,
    // It exists and we may signal it, but the system refused.
    NotEnded,
};

// Ends processes at once, the way a task manager does. One implementation per system; tests
// use a fake.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    virtual EndProcess end(std::int64_t processId) = 0;
};

// SIGKILL to exactly one process. Ids that are not one process's (0 and below name process
// groups or every process; above the largest pid_t there is none) are never signalled.
// `kill` is kill(2); tests hand in their own.
class PosixProcessControl final : public ProcessControl {
public:
    using Kill = std::function<int(pid_t, int)>;
    explicit PosixProcessControl(Kill kill = {});
    EndProcess end(std::int64_t processId) override;

private:
    Kill m_kill;
};

} // namespace core
