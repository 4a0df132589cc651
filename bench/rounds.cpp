#include "rounds.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace bench {
namespace {

double userSeconds() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return static_cast<double>((std::uint64_t{user.dwHighDateTime} << 32) | user.dwLowDateTime) /
           1e7;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
#endif
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 != 0 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

}  // namespace

int roundsFromEnvironment() {
    const char* text = std::getenv("BENCH_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : 5;
}

std::vector<Timing> medianRounds(const std::vector<Contender>& contenders, int rounds) {
    std::vector<std::vector<double>> wall(contenders.size()), user(contenders.size());
    // The order turns round, so that no contender is always the later one: where a file system
    // slows down as deletions pile up (ext4 without a journal passes over the inodes freed in
    // the last minute when it creates a file), the later one would always pay more.
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t i = round % 2 == 0 ? k : contenders.size() - 1 - k;
            if (contenders[i].reset) contenders[i].reset();
            const double userBefore = userSeconds();
            const auto started = std::chrono::steady_clock::now();
            contenders[i].work();
            wall[i].push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
            user[i].push_back(userSeconds() - userBefore);
        }
    }
    std::vector<Timing> medians;
    for (std::size_t i = 0; i < contenders.size(); ++i) {
        medians.push_back({median(wall[i]), median(user[i])});
    }
    return medians;
}

std::string against(double a, double b) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s against %.3f s", a, b);
    return text;
}

void printRatio(const std::string& name, double ratio, const char* relation, double target,
                const std::string& note) {
    std::printf("%s: %.3fx (target %s %.2f)%s%s\n", name.c_str(), ratio, relation, target,
                note.empty() ? "" : "  ", note.c_str());
    std::fflush(stdout);
}

void printInformative(const std::string& name, double ratio, const std::string& note) {
    std::printf("%s: %.3fx (no target)%s%s\n", name.c_str(), ratio, note.empty() ? "" : "  ",
                note.c_str());
    std::fflush(stdout);
}

Outcome measureRatio(const Measure& measure, const char* relation, double target, int rounds) {
    const Outcome outcome = measure.finish(medianRounds(measure.contenders, rounds));
    printRatio(measure.name, outcome.ratio, relation, target, outcome.note);
    for (const Informative& also : outcome.also) printInformative(also.name, also.ratio, also.note);
    return outcome;
}

}  // namespace bench
