// Processor time and peak memory of stgc-batch on the largest code: generate for 20 heads at
// quality 1046520, then test its output, once per seed.
// Usage: bench_batch_speed [seeds, default 5]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct usage {
    int status;
    double cpu_seconds;
    long peak_kb;
};

// Runs a shell command and reports its exit status and the processor time of its processes.
usage measure(const std::string& command) {
    pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage used {};
    wait4(child, &status, 0, &used);
    const double cpu = used.ru_utime.tv_sec + used.ru_stime.tv_sec +
                       (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, cpu, used.ru_maxrss};
}

} // namespace

int main(int argc, char** argv) {
    const int seeds = argc > 1 ? atoi(argv[1]) : 5;
    const std::string batch = STGC_BATCH;
    const std::string file = "/tmp/bench_batch_speed.stgc";
    printf("%-6s %-22s %-22s\n", "seed", "generate (cpu s, KB)", "test (cpu s, KB)");
    for (int seed = 1; seed <= seeds; ++seed) {
        const usage made =
            measure("exec " + batch + " generate --heads 20 --quality 1046520 --seed " +
                    std::to_string(seed) + " -o " + file);
        const usage tested = measure("exec " + batch + " test " + file + " >/dev/null");
        printf("%-6d %8.3f %9ld     %8.3f %9ld   %s\n", seed, made.cpu_seconds, made.peak_kb,
               tested.cpu_seconds, tested.peak_kb,
               made.status == 0 && tested.status == 0 ? "good" : "FAILED");
    }
    unlink(file.c_str());
    return 0;
}
