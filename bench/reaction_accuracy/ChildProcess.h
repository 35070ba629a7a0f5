#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// A program started by the benchmark. It is ended with SIGTERM (SIGKILL if it lingers) when this
// object goes, and by the kernel when the benchmark itself dies, so no child outlives a run.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> environment;  // "NAME=value", added to ours
        int keepOpenFd = -1;                   // passed on to the child (Xvfb's -displayfd)
        int stderrFd = -1;                     // the child's stderr, or ours
        bool quiet = true;                     // stdout to /dev/null
    };

    ChildProcess(const std::vector<std::string>& argv, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void stop();

private:
    pid_t pid_ = -1;
};
