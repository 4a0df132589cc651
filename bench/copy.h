// What the benchmarks compare a pass with: a plain copy in 1 MiB blocks with read and write,
// as `dd bs=1M` does; and the process's peak memory.
#pragma once

#include <filesystem>

namespace bench {

void plainCopy(const std::filesystem::path& from, const std::filesystem::path& to);

// Peak resident memory of this process in KiB (0 where it cannot be read).
long peakKilobytes();

}  // namespace bench
