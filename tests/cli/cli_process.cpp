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

fs::path uniqueName(const char* what) {
    static std::atomic<int> counter{0};
    return fs::temp_directory_path() /
           ("cli-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + what);
}

}  // namespace

RunningCli::RunningCli(const std::vector<std::string>& arguments, const fs::path& folder, Run how)
    : in_(uniqueName(".in")),
      out_(how.out.empty() ? uniqueName(".out") : fs::path()),
      err_(how.err.empty() ? uniqueName(".err") : fs::path()) {
    writeFile(in_, how.input);
    const fs::path& out = how.out.empty() ? out_ : how.out;
    const fs::path& err = how.err.empty() ? err_ : how.err;
    // A user no other process has, so that its threads are the program's alone.
    const auto uid = static_cast<uid_t>(40000 + getpid() % 20000);
    std::vector<std::string> words = with({CLI_PROGRAM}, arguments);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    how.environment.push_back("LC_ALL=" + how.locale);
    // LeakSanitizer's check at the end needs a thread of its own, which the limit may refuse.
    if (how.threads > 0) how.environment.push_back("ASAN_OPTIONS=detect_leaks=0");
    std::vector<char*> env;
    for (std::string& setting : how.environment) env.push_back(setting.data());
    env.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ != 0) return;
    // Only async-signal-safe calls from here on.
    const int i = open(in_.c_str(), O_RDONLY);
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (i < 0 || o < 0 || e < 0 || chdir(folder.c_str()) != 0) _exit(125);
    if (how.asUser && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
        _exit(125);
    const rlimit limit{rlim_t(how.threads), rlim_t(how.threads)};
    if (how.threads > 0 && setrlimit(RLIMIT_NPROC, &limit) != 0) _exit(125);
    dup2(i, 0);
    dup2(o, 1);
    dup2(e, 2);
    execve(argv[0], argv.data(), env.data());
    _exit(126);
}

Outcome RunningCli::wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.signalled = WIFSIGNALED(status);
    for (const auto& [path, text] : {std::pair{&out_, &outcome.out}, {&err_, &outcome.err}}) {
        if (path->empty()) continue;
        *text = readFile(*path);
        fs::remove(*path);
    }
    fs::remove(in_);
    return outcome;
}

}  // namespace cli_test
