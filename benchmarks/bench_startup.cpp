// Times how long the game takes to get its first frame up, against a bare Qt window of the same
// size and widget count, so that what is measured is the game's own start-up work rather than
// the machine or Qt. Both children exit on their first paint (see firstpaint.h); each run is
// timed from just before the spawn to the return of waitpid.
//
// Plain POSIX on purpose: the driver must not load Qt itself, or it would warm the caches the
// children are timed on.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr double goalRatio = 1.10;

struct Options
{
    std::string bare;
    std::string game;
    int runs = 21;
    int warmup = 2;
    int timeoutSeconds = 30;
    bool check = false;
};

[[noreturn]] void usage(const char *argv0, int status)
{
    std::fprintf(status == 0 ? stdout : stderr,
                 "usage: %s [--runs N] [--warmup N] [--timeout SECONDS] [--check] [BARE GAME]\n"
                 "  BARE, GAME  the two child programs (default: bench_startup_bare and\n"
                 "              bench_startup_game beside this program)\n"
                 "  --runs      timed runs of each (default 21)\n"
                 "  --warmup    untimed runs of each first (default 2)\n"
                 "  --timeout   give up on a child after this long (default 30)\n"
                 "  --check     exit with status 1 if the game/bare ratio is over %.2f\n",
                 argv0, goalRatio);
    std::exit(status);
}

std::string ownDirectory(const char *argv0)
{
    std::string path;
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0)
        path.assign(buffer, static_cast<size_t>(length));
    else
        path = argv0;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int parseCount(const char *argv0, const char *text, int minimum)
{
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < minimum || value > 100000)
        usage(argv0, 2);
    return static_cast<int>(value);
}

Options parseOptions(int argc, char *argv[])
{
    Options options;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            options.runs = parseCount(argv[0], argv[++i], 1);
        else if (arg == "--warmup" && hasValue)
            options.warmup = parseCount(argv[0], argv[++i], 0);
        else if (arg == "--timeout" && hasValue)
            options.timeoutSeconds = parseCount(argv[0], argv[++i], 1);
        else if (arg == "--check")
            options.check = true;
        else if (arg == "-h" || arg == "--help")
            usage(argv[0], 0);
        else if (!arg.empty() && arg[0] == '-')
            usage(argv[0], 2);
        else
            paths.push_back(arg);
    }
    if (paths.size() == 2) {
        options.bare = paths[0];
        options.game = paths[1];
    } else if (paths.empty()) {
        const std::string dir = ownDirectory(argv[0]);
        options.bare = dir + "/bench_startup_bare";
        options.game = dir + "/bench_startup_game";
    } else {
        usage(argv[0], 2);
    }
    return options;
}

// The parent's environment with the offscreen platform forced, so no display is needed and
// no window manager's timing gets into the figures.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0)
            env.emplace_back(*entry);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

std::string readFile(const std::string &path)
{
    std::string text;
    if (FILE *file = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

class Runner
{
public:
    Runner(const Options &options, const std::vector<std::string> &env, std::string stderrPath)
        : m_timeoutSeconds(options.timeoutSeconds), m_stderrPath(std::move(stderrPath))
    {
        for (const std::string &entry : env)
            m_envp.push_back(const_cast<char *>(entry.c_str()));
        m_envp.push_back(nullptr);

        // The children's output is not timed on a terminal; stderr is kept for a failure report.
        posix_spawn_file_actions_init(&m_actions);
        posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&m_actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&m_actions, STDERR_FILENO, m_stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);

        // SIGCHLD is blocked here so that the wait can have a time limit; the child must not
        // inherit that mask.
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_init(&m_attr);
        posix_spawnattr_setsigmask(&m_attr, &none);
        posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGMASK);
    }

    ~Runner()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attr);
    }

    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    // Milliseconds from spawn to reaping, or a negative number, with a report, if the child
    // could not be started or failed.
    double run(const std::string &path)
    {
        char *argv[] = {const_cast<char *>(path.c_str()), nullptr};
        sigset_t chld;
        sigemptyset(&chld);
        sigaddset(&chld, SIGCHLD);

        pid_t pid = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned =
            posix_spawn(&pid, path.c_str(), &m_actions, &m_attr, argv, m_envp.data());
        if (spawned != 0) {
            std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", path.c_str(),
                         std::strerror(spawned));
            return -1;
        }

        const timespec limit{m_timeoutSeconds, 0};
        bool timedOut = false;
        for (;;) {
            if (sigtimedwait(&chld, nullptr, &limit) == SIGCHLD)
                break;
            if (errno == EAGAIN) {
                timedOut = true;
                kill(pid, SIGKILL);
                break;
            }
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const auto end = std::chrono::steady_clock::now();

        if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_startup: %s ", path.c_str());
            if (timedOut)
                std::fprintf(stderr, "did not paint within %d s", m_timeoutSeconds);
            else if (WIFSIGNALED(status))
                std::fprintf(stderr, "died of signal %d", WTERMSIG(status));
            else
                std::fprintf(stderr, "exited with status %d", WEXITSTATUS(status));
            const std::string output = readFile(m_stderrPath);
            if (!output.empty())
                std::fprintf(stderr, "; its stderr:\n%s", output.c_str());
            std::fputc('\n', stderr);
            return -1;
        }
        return std::chrono::duration<double, std::milli>(end - start).count();
    }

private:
    int m_timeoutSeconds;
    std::string m_stderrPath;
    std::vector<char *> m_envp;
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const Options options = parseOptions(argc, argv);
    for (const std::string *path : {&options.bare, &options.game}) {
        if (access(path->c_str(), X_OK) != 0) {
            std::fprintf(stderr, "bench_startup: %s: %s\n", path->c_str(), std::strerror(errno));
            return 1;
        }
    }

    // A shell may hand us SIGCHLD ignored, which would make the kernel reap the children
    // before waitpid sees them.
    std::signal(SIGCHLD, SIG_DFL);
    sigset_t chld;
    sigemptyset(&chld);
    sigaddset(&chld, SIGCHLD);
    sigprocmask(SIG_BLOCK, &chld, nullptr);

    const char *tmp = std::getenv("TMPDIR");
    std::string stderrPath =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bench_startup.XXXXXX";
    const int fd = mkstemp(stderrPath.data());
    if (fd < 0) {
        std::fprintf(stderr, "bench_startup: cannot create %s: %s\n", stderrPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    close(fd);

    const std::vector<std::string> env = childEnvironment();
    std::vector<double> bare;
    std::vector<double> game;
    bool failed = false;
    {
        Runner runner(options, env, stderrPath);
        // Alternating keeps slow drift in the machine's load from favouring either side.
        for (int i = 0; i < options.warmup + options.runs && !failed; ++i) {
            const double bareMs = runner.run(options.bare);
            const double gameMs = bareMs < 0 ? -1 : runner.run(options.game);
            failed = bareMs < 0 || gameMs < 0;
            if (i >= options.warmup) {
                bare.push_back(bareMs);
                game.push_back(gameMs);
            }
        }
    }
    unlink(stderrPath.c_str());
    if (failed)
        return 1;

    const double bareMedian = median(bare);
    const double gameMedian = median(game);
    const double ratio = gameMedian / bareMedian;
    std::printf("bare Qt window: median %.1f ms (n=%d)\n", bareMedian, options.runs);
    std::printf("Vantrel: median %.1f ms (n=%d)\n", gameMedian, options.runs);
    std::printf("ratio Vantrel/bare: %.2f (goal <= %.2f)\n", ratio, goalRatio);
    return options.check && ratio > goalRatio ? 1 : 0;
}
