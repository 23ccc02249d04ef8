// Times programs from their launch to their first paint, and their peak memory.
//
//   bench_launch ROUNDS -- LABEL PROGRAM [ARG...] [-- LABEL PROGRAM [ARG...]]...
//
// Each round starts every program once, in turn, as a new process. The time
// runs from just before the process is created to the moment its line
// "painted" arrives on the pipe that is its standard output; the peak memory
// is the process's maximum resident set size when it has ended. One round is
// run first and not counted, so that every start finds the same warm file
// cache. Prints, per label:
//   start.LABEL.median_ms=...  start.LABEL.min_ms=...  start.LABEL.max_ms=...
//   rss.LABEL.median_kb=...    rss.LABEL.max_kb=...

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int TimeoutMs = 60000;

struct Program {
    std::string label;
    std::vector<char*> argv; // ends with nullptr
    std::vector<double> startMs;
    std::vector<long> rssKb;
};

struct Start {
    double ms;
    long rssKb;
};

[[noreturn]] void die(const std::string& what)
{
    std::fprintf(stderr, "bench_launch: %s\n", what.c_str());
    std::exit(1);
}

Start startOnce(const Program& program)
{
    int out[2];
    if (pipe(out) != 0)
        die(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    const auto launched = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.argv[0], &actions, nullptr, program.argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0)
        die(program.label + ": " + program.argv[0] + ": " + std::strerror(spawned));

    std::string line;
    bool painted = false;
    pollfd watch{out[0], POLLIN, 0};
    while (!painted) {
        const int ready = poll(&watch, 1, TimeoutMs);
        if (ready <= 0)
            break;
        char buffer[256];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(got));
        painted = line.find("painted\n") != std::string::npos;
    }
    const auto reported = std::chrono::steady_clock::now();
    close(out[0]);
    if (!painted)
        kill(pid, SIGKILL);

    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0)
        die(std::string("wait4: ") + std::strerror(errno));
    if (!painted)
        die(program.label + " did not report its first paint");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die(program.label + " did not end cleanly after its first paint");
    return {std::chrono::duration<double, std::milli>(reported - launched).count(),
            usage.ru_maxrss};
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4 || std::strcmp(argv[2], "--") != 0)
        die("usage: bench_launch ROUNDS -- LABEL PROGRAM [ARG...] [-- LABEL PROGRAM ...]");
    const int rounds = std::atoi(argv[1]);
    if (rounds < 1)
        die("ROUNDS must be at least 1");

    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            if (i + 1 >= argc)
                die("each -- needs a LABEL and a PROGRAM");
            programs.push_back(Program{argv[++i], {}, {}, {}});
        } else {
            programs.back().argv.push_back(argv[i]);
        }
    }
    for (Program& program : programs) {
        if (program.argv.empty())
            die(program.label + " has no PROGRAM");
        program.argv.push_back(nullptr);
    }

    for (Program& program : programs)
        startOnce(program); // the uncounted round
    for (int round = 0; round < rounds; ++round) {
        for (Program& program : programs) {
            const Start start = startOnce(program);
            program.startMs.push_back(start.ms);
            program.rssKb.push_back(start.rssKb);
        }
    }

    for (const Program& program : programs) {
        const char* label = program.label.c_str();
        std::printf("start.%s.median_ms=%.2f\n", label, median(program.startMs));
        std::printf("start.%s.min_ms=%.2f\n", label,
                    *std::min_element(program.startMs.begin(), program.startMs.end()));
        std::printf("start.%s.max_ms=%.2f\n", label,
                    *std::max_element(program.startMs.begin(), program.startMs.end()));
        std::printf("rss.%s.median_kb=%ld\n", label, median(program.rssKb));
        std::printf("rss.%s.max_kb=%ld\n", label,
                    *std::max_element(program.rssKb.begin(), program.rssKb.end()));
    }
    return 0;
}
