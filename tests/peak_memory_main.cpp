// Runs a program and then prints its peak resident memory in kilobytes as a last
// line of its own. Measuring from the test process itself would count the test's
// memory too: a child inherits its parent's peak across fork and exec.
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const pid_t child = ::fork();
    if (child < 0) return 2;
    if (child == 0) {
        ::execv(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child) return 2;
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
