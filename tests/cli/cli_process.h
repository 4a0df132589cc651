// Runs the real segment-replace-cli in a folder of its own, and looks at folders before and after.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/support.h"

namespace cli_test {

using namespace test;

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended the program
    bool signalled = false;
    std::string out, err;
};

// How the program runs: with `input` on standard input, LC_ALL=`locale` and `environment`
// ("NAME=value") added; standard output and error into `out` and `err` when given (and then not
// read); as a user of its own without privileges, allowed `threads` threads (its own among them;
// 0: any number), when `asUser`, which needs root, which a test must check first.
struct Run {
    std::string input = {};
    std::string locale = "C.UTF-8";
    fs::path out = {}, err = {};
    std::vector<std::string> environment = {};
    bool asUser = false;
    int threads = 0;
};

// The program with `arguments`, started in `folder` without waiting for it.
class RunningCli {
public:
    RunningCli(const std::vector<std::string>& arguments, const fs::path& folder, Run how = {});
    pid_t pid() const { return pid_; }
    Outcome wait();

private:
    pid_t pid_ = -1;
    fs::path in_, out_, err_;  // the program's own, read and removed at the end
};

inline Outcome runCli(const std::vector<std::string>& arguments, const fs::path& folder,
                      Run how = {}) {
    return RunningCli(arguments, folder, std::move(how)).wait();
}

// The names f0.htm, f1.htm ... of `count` files written in `folder`, each holding `text`.
inline std::vector<std::string> numberedFiles(const fs::path& folder, int count,
                                              const std::string& text) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        writeFile(folder / names.emplace_back("f" + std::to_string(i) + ".htm"), text);
    return names;
}

}  // namespace cli_test
