#include "cli/dry_run_files.h"

#include <system_error>

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
    return std::make_unique<DiscardedOutput>();
}

}  // namespace cli
