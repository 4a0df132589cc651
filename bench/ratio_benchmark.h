// The Linux benchmarks on Google Benchmark: each target a benchmark of one iteration whose time
// is set by hand from the interleaved rounds of rounds.h, with its ratio as counters, and its
// line printed as measureRatio prints it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "rounds.h"

namespace bench {

// Registers the benchmark `id`: `prepare` makes its inputs and its measure when it runs (so that
// a filter spares the inputs of the others); its time is the measured contender's median; its
// counters the ratio, the target, the reference's seconds and the measure's further figures.
void registerRatio(const std::string& id, const char* relation, double target,
                   std::function<Measure()> prepare);

// Runs the registered benchmarks the command line picks, with Google Benchmark's flags. An
// argument of the program's own goes to `command`, which returns a filter for it (empty: all)
// or nothing when it is not one; `usage` names those arguments. With a format other than the
// console's, standard output carries the report alone and every other line goes to standard
// error.
int runBenchmarks(
    int argc, char** argv, const std::string& usage,
    const std::function<std::optional<std::string>(const std::string&)>& command = nullptr);

}  // namespace bench
