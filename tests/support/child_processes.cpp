#include "tests/support/child_processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace testing_support {

bool runInChildren(int count, const std::function<void(int index)>& work)
{
    // Nothing buffered before the fork may come out twice.
    std::fflush(nullptr);
    std::vector<pid_t> children;
    bool ok = true;
    for (int index = 0; index < count; ++index) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                work(index);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        if (child < 0)
            ok = false;
        else
            children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

} // namespace testing_support
