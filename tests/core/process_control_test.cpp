// Ending a process: SIGKILL to exactly the one process asked for; ids that name a process group,
// every process or none are never signalled; what kill(2) says becomes the answer.

#include "core/platform/process_control.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <limits>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using core::EndProcess;

TEST(ProcessControl, SignalsOnlyOneProcessAndTellsWhatKillSaid)
{
    struct Case {
        std::int64_t id;
        int killErrno; // 0: kill succeeds
        EndProcess expected;
        bool signalled;
    };
    const std::int64_t largest = std::numeric_limits<pid_t>::max();
    const std::vector<Case> cases = {
        {1234, 0, EndProcess::Ended, true},
        {largest, 0, EndProcess::Ended, true},
        {1234, ESRCH, EndProcess::NotOpened, true},
        {1234, EPERM, EndProcess::NotOpened, true},
        {1234, EINVAL, EndProcess::NotEnded, true},
        // 0 is our own group, -1 every process we may signal, -N the group N.
        {0, 0, EndProcess::NotOpened, false},
        {-1, 0, EndProcess::NotOpened, false},
        {-1234, 0, EndProcess::NotOpened, false},
        // Would wrap into a negative pid_t.
        {largest + 1, 0, EndProcess::NotOpened, false},
        {0xFFFFFFFFLL, 0, EndProcess::NotOpened, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<std::pair<pid_t, int>> calls;
        core::PosixProcessControl control([&](pid_t process, int signal) {
            calls.emplace_back(process, signal);
            errno = c.killErrno;
            return c.killErrno == 0 ? 0 : -1;
        });
        EXPECT_EQ(control.end(c.id), c.expected);
        if (c.signalled)
            EXPECT_EQ(calls, (std::vector<std::pair<pid_t, int>>{{static_cast<pid_t>(c.id), SIGKILL}}));
        else
            EXPECT_TRUE(calls.empty());
    }
}

TEST(ProcessControl, EndsARealProcessWithSigkill)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (;;)
            pause();
    }
    core::PosixProcessControl control;
    EXPECT_EQ(control.end(child), EndProcess::Ended);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    // Gone now, and reaped: there is nothing to open.
    EXPECT_EQ(control.end(child), EndProcess::NotOpened);
}
