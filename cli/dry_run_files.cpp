#include "cli/dry_run_files.h"

#include <cerrno>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cli {
namespace {

class DiscardedOutput final : public engine::OutputFile {
public:
    void write(const char*, std::size_t) override {}
    void commit() override {}
};

}  // namespace

std::unique_ptr<engine::OutputFile> DryRunFiles::createOutput(const std::filesystem::path& path,
                                                              const engine::InputFile&) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw engine::FileError(
            path, std::make_error_code(std::errc::no_such_file_or_directory).message());
    }
#ifndef _WIN32
    // The run makes its output in the folder first...
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw engine::FileError(path, std::generic_category().message(errno));
    }
#endif
    // ...and moves it to its name last, which a folder there refuses.
    if (std::filesystem::is_directory(path, error)) {
        throw engine::FileError(path, std::make_error_code(std::errc::is_a_directory).message());
    }
    return std::make_unique<DiscardedOutput>();
}

}  // namespace cli
