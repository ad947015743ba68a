// SPDX-License-Identifier: GPL-3.0-or-later
// hardening_peak_rss FILE PROGRAM [ARG...]: runs the program and writes its
// peak resident set in KiB to FILE, exiting as the program did.
//
// A child's peak starts from its parent's at the fork, so a test process that
// holds a large input would inflate the figure of the tool it measures. This
// small program forks the tool from its own small memory instead.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) {
        return 126;
    }
    if (std::FILE* out = std::fopen(argv[1], "w")) {
        std::fprintf(out, "%ld\n", usage.ru_maxrss);
        std::fclose(out);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
