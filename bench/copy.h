// What the benchmarks compare a pass with: a plain copy in 1 MiB blocks with read and write,
// as `dd bs=1M` does (open, read, create, write, close, as `cp` does for a small file); and the
// process's peak memory.
#pragma once

#include <filesystem>

namespace bench {

void plainCopy(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes `path` if it is there.
void removeFile(const std::filesystem::path& path);

// Peak resident memory of this process in KiB (0 where it cannot be read).
long peakKilobytes();

}  // namespace bench
