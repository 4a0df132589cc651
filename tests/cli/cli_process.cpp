#include "cli_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace cli_test {
namespace {

// Who the program runs as: the test's user, or one of its own with a limit on its threads.
struct User {
    bool own = false;
    int threads = 0;
};

pid_t start(const std::vector<std::string>& arguments, const fs::path& folder,
            const fs::path& input, const fs::path& out, const fs::path& err,
            const std::string& locale, std::vector<std::string> environment = {}, User user = {}) {
    // A user no other process has, so that its threads are the program's alone.
    const auto uid = static_cast<uid_t>(40000 + getpid() % 20000);
    std::vector<std::string> words{CLI_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    environment.push_back("LC_ALL=" + locale);
    std::vector<char*> env;
    for (std::string& setting : environment) env.push_back(setting.data());
    env.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {  // only async-signal-safe calls from here on
        const int in = open(input.c_str(), O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || chdir(folder.c_str()) != 0) _exit(125);
        if (user.own && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
            _exit(125);
        const rlimit limit{rlim_t(user.threads), rlim_t(user.threads)};
        if (user.threads > 0 && setrlimit(RLIMIT_NPROC, &limit) != 0) _exit(125);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        execve(argv[0], argv.data(), env.data());
        _exit(126);
    }
    return pid;
}

// The outcome, with what the program wrote to `out` and `err` where they are its own.
Outcome finish(pid_t pid, const fs::path& out, const fs::path& err) {
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.signalled = WIFSIGNALED(status);
    for (const auto& [path, text] : {std::pair{&out, &outcome.out}, {&err, &outcome.err}}) {
        if (path->empty()) continue;
        *text = readFile(*path);
        fs::remove(*path);
    }
    return outcome;
}

fs::path uniqueName(const char* what) {
    static std::atomic<int> counter{0};
    return fs::temp_directory_path() /
           ("cli-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + what);
}

}  // namespace

Outcome runCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::string& input, const std::string& locale, const fs::path& out,
               const fs::path& err) {
    const fs::path in = uniqueName(".in"), ownOut = out.empty() ? uniqueName(".out") : "",
                   ownErr = err.empty() ? uniqueName(".err") : "";
    writeFile(in, input);
    const Outcome outcome = finish(start(arguments, folder, in, out.empty() ? ownOut : out,
                                         err.empty() ? ownErr : err, locale),
                                   ownOut, ownErr);
    fs::remove(in);
    return outcome;
}

Outcome runCliAsUser(const std::vector<std::string>& arguments, const fs::path& folder,
                     int threads) {
    const fs::path out = uniqueName(".out"), err = uniqueName(".err");
    // LeakSanitizer's check at the end needs a thread of its own, which the limit may refuse.
    return finish(start(arguments, folder, "/dev/null", out, err, "C.UTF-8",
                        std::vector<std::string>(threads > 0, "ASAN_OPTIONS=detect_leaks=0"),
                        {true, threads}),
                  out, err);
}

RunningCli::RunningCli(const std::vector<std::string>& arguments, const fs::path& folder,
                       const std::vector<std::string>& environment, const fs::path& out,
                       const fs::path& err)
    : out_(out.empty() ? uniqueName(".out") : fs::path()),
      err_(err.empty() ? uniqueName(".err") : fs::path()) {
    pid_ = start(arguments, folder, "/dev/null", out.empty() ? out_ : out, err.empty() ? err_ : err,
                 "C.UTF-8", environment);
}

Outcome RunningCli::wait() {
    return finish(pid_, out_, err_);
}

}  // namespace cli_test
