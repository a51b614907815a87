#include "core/platform/process_control.h"

#include <cerrno>
#include <csignal>
#include <limits>
#include <utility>

namespace core {

PosixProcessControl::PosixProcessControl(Kill kill)
    : m_kill(std::move(kill))
{
    if (!m_kill)
        m_kill = [](pid_t process, int signal) { return ::kill(process, signal); };
}

EndProcess PosixProcessControl::end(std::int64_t processId)
{
    if (processId <= 0 || processId > std::numeric_limits<pid_t>::max())
        return EndProcess::NotOpened;
    if (m_kill(static_cast<pid_t>(processId), SIGKILL) == 0)
        return EndProcess::Ended;
    return errno == ESRCH || errno == EPERM ? EndProcess::NotOpened : EndProcess::NotEnded;
}

} // namespace core
