#include "cli/file_host.h"

namespace cli {

FileHost::FileHost(const engine::Texts& texts, const std::atomic<bool>& stop,
                   std::atomic<std::int64_t>* progress)
    : texts_(texts), stop_(stop), progress_(progress) {}

void FileHost::keepDiff(int context, bool utf8Terminal) {
    diff_ = std::make_unique<UnifiedDiff>(context, utf8Terminal);
}

void FileHost::reportFailure(const std::filesystem::path& file, const std::string& reason) {
    if (!failure_) failure_.emplace(file, reason);
}

}  // namespace cli
