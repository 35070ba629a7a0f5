#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs `work` in a forked child that has dropped to the user nobody (65534) when the test runs as
// root, so that permissions count as they do for a player; an ordinary user runs it as itself.
// The child's result is its exit status: work's value, or 99 when it could not drop.
inline int exitStatusAsOrdinaryUser(const std::function<int()>& work)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
