// A generated HTML-like corpus for the benchmarks: CR LF lines, a few of them holding anchors
// that the default texts rewrite, most of them not.
#pragma once

#include <cstdint>
#include <filesystem>

#include "engine/default_texts.h"
#include "engine/engine.h"

namespace bench {

using engine::kDefaultReplacement;
using engine::kDefaultSearch;
using engine::kDefaultStart;
using engine::kDefaultStop;

// Writes about `bytes` bytes to `path` (same content for the same size) unless a file of that
// size from an earlier run is already there.
void writeCorpus(const std::filesystem::path& path, std::uint64_t bytes);

// The corpus size: BENCH_CORPUS_MB from the environment, 200 MB by default.
std::uint64_t corpusBytesFromEnvironment();

// A pass of `file` with the default texts, its output beside it; a run of the plan's files. A
// benchmark whose file failed measures nothing: a failure ends the program.
void passDefaults(const std::filesystem::path& file);
void runDefaults(const engine::RunPlan& plan);

}  // namespace bench
