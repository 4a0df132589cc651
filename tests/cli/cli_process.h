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

// The program with `arguments`, run in `folder`, with `input` on standard input, LC_ALL=`locale`
// and standard output and error into `out` and `err` when given (and then not read).
Outcome runCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::string& input = {}, const std::string& locale = "C.UTF-8",
               const fs::path& out = {}, const fs::path& err = {});

// The program as a user of its own without privileges, allowed `threads` threads (its own among
// them; 0: any number). Needs root, which a test must check first.
Outcome runCliAsUser(const std::vector<std::string>& arguments, const fs::path& folder,
                     int threads = 0);

// The program started without waiting for it, with `environment` ("NAME=value") added.
class RunningCli {
public:
    RunningCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::vector<std::string>& environment = {}, const fs::path& out = {},
               const fs::path& err = {});
    pid_t pid() const { return pid_; }
    Outcome wait();

private:
    pid_t pid_ = -1;
    fs::path out_, err_;  // the program's own, read and removed at the end
};

inline std::vector<std::string> with(std::vector<std::string> a,
                                     const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace cli_test
