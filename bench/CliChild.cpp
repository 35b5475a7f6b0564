#include "CliChild.h"

#include "BareLineFloor.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

namespace {

double Ms(const timeval& t)
{
    return t.tv_sec * 1000.0 + t.tv_usec / 1000.0;
}

} // namespace

CliRun RunCliChild(const std::string& Program, const std::vector<std::string>& Args)
{
    std::vector<std::string> args{Program};
    args.insert(args.end(), Args.begin(), Args.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = Clock::now();
    const int spawned = posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    CliRun run;
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double wall = bench::Ms(Clock::now() - start);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        run.wallMs = wall;
        run.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    }
    return run;
}

} // namespace bench
