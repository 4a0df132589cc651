// Runs the real segment-replace-cli in a folder of its own, and looks at folders before and
// after.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace cli_test {

namespace fs = std::filesystem;

// A file tree as names relative to its root and contents.
using Files = std::map<std::string, std::string>;

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended the program
    std::string out, err;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder to work in; the program's streams are kept beside it, not in it.
    const fs::path& path() const { return path_; }
    void write(const Files& files) const;
    Files read() const;  // every regular file below the folder

private:
    fs::path base_, path_;
};

// The program with `arguments`, run in `folder`, with `input` on standard input and
// LC_ALL=`locale`.
Outcome runCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::string& input = {}, const std::string& locale = "C.UTF-8");

// The program started without waiting for it, with `environment` ("NAME=value") added.
class RunningCli {
public:
    RunningCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::vector<std::string>& environment = {});
    pid_t pid() const { return pid_; }
    Outcome wait();

private:
    pid_t pid_ = -1;
    fs::path out_, err_;
};

std::string readFile(const fs::path& path);

inline std::vector<std::string> operator+(std::vector<std::string> a,
                                          const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace cli_test
