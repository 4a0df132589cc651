// The generated inputs of the benchmarks and the passes they time: an HTML-like corpus of CR LF
// lines, a few of them holding anchors that the default texts rewrite, most of them not; and
// many small files of such anchors.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "engine/default_texts.h"
#include "engine/engine.h"

namespace bench {

using engine::kDefaultReplacement;
using engine::kDefaultSearch;
using engine::kDefaultStart;
using engine::kDefaultStop;

// Writes about `bytes` bytes to `path` (same content for the same size) unless a file of that
// size from an earlier run is already there. `utf8` mixes words past ASCII into the text, in
// UTF-8.
void writeCorpus(const std::filesystem::path& path, std::uint64_t bytes, bool utf8 = false);

// The corpus size: BENCH_CORPUS_MB from the environment, 200 MB by default.
std::uint64_t corpusBytesFromEnvironment();

// `count` files of 1 kB of anchors that the default texts rewrite, made afresh in `folder`
// (emptied first); their names, to be joined to it.
std::vector<std::filesystem::path> writeSmallFiles(const std::filesystem::path& folder, int count);
// Their number: BENCH_SMALL_FILES from the environment, 20000 by default.
int smallFileCountFromEnvironment();

// Removes the outputs of `sources` and flushes the disk, so that no timing pays for the files
// an earlier one dropped.
void dropOutputs(const std::vector<std::filesystem::path>& sources);

// A pass of `file` with `texts` (or the default texts), its output beside it; a run of the
// plan's files with the default texts. A benchmark whose file failed measures nothing: a
// failure ends the program.
engine::FileReport passWith(const std::filesystem::path& file, const engine::Texts& texts);
engine::FileReport passDefaults(const std::filesystem::path& file);
void runDefaults(const engine::RunPlan& plan);

}  // namespace bench
