#pragma once
// Running one of the project's programs from a benchmark, as a user runs it: a whole
// process, its standard output thrown away. Header-only: each benchmark is one program.

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace pictavo::bench {

// The program's exit status (-1 when it could not run or died of a signal); `usage`,
// when given, receives its resource usage (peak memory in ru_maxrss, KB).
inline int RunProgram(const std::vector<std::string>& args, struct rusage* usage = nullptr) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    struct rusage ignored {};
    if (wait4(pid, &status, 0, usage != nullptr ? usage : &ignored) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace pictavo::bench
