#include "ratio_benchmark.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <iostream>
#include <memory>
#include <string_view>

namespace bench {

void registerRatio(const std::string& id, const char* relation, double target,
                   std::function<Measure()> prepare) {
    benchmark::RegisterBenchmark(id.c_str(),
                                 [relation, target, prepare](benchmark::State& state) {
                                     for (auto _ : state) {
                                         const Outcome outcome =
                                             measureRatio(prepare(), relation, target);
                                         state.SetIterationTime(outcome.seconds);
                                         state.counters["ratio"] = outcome.ratio;
                                         state.counters["target"] = target;
                                         if (outcome.reference > 0) {
                                             state.counters["reference_s"] = outcome.reference;
                                         }
                                         for (const auto& [name, value] : outcome.figures) {
                                             state.counters[name] = value;
                                         }
                                     }
                                 })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

int runBenchmarks(int argc, char** argv, const std::string& usage,
                  const std::function<std::optional<std::string>(const std::string&)>& command) {
    std::string_view format = "console";
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = "--benchmark_format=", argument = argv[i];
        if (argument.substr(0, flag.size()) == flag) format = argument.substr(flag.size());
    }
    benchmark::Initialize(&argc, argv);
    const std::optional<std::string> filter = argc == 1 ? std::optional<std::string>("")
                                              : argc == 2 && command ? command(argv[1])
                                                                     : std::nullopt;
    if (!filter || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: %s %s%s%s[--benchmark_...]\n", argv[0],
                     usage.empty() ? "" : "[", usage.c_str(), usage.empty() ? "" : "] ");
        return 2;
    }
    if (!filter->empty()) benchmark::SetBenchmarkFilter(*filter);

    // The report keeps standard output; the printed lines and the programs run go to standard
    // error, through the descriptor the C library writes to.
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> report;
    std::streambuf* const console = std::cout.rdbuf();
    if (format != "console") {
        std::fflush(stdout);
        report =
            std::make_unique<__gnu_cxx::stdio_filebuf<char>>(dup(STDOUT_FILENO), std::ios::out);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::cout.rdbuf(report.get());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::cout.flush();
    std::cout.rdbuf(console);
    return 0;
}

}  // namespace bench
