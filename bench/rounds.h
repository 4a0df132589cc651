// How every benchmark measures: its contenders in interleaved rounds (each once per round, in
// the order given: A, B, A, B, ...), the median of each, and the one line that states the ratio
// a target is judged by.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Contender {
    std::function<void()> work;
    std::function<void()> reset = {};  // before every timing of `work`, itself not timed
};

struct Timing {
    double wall = 0;  // seconds
    double user = 0;  // CPU seconds of the whole process outside the kernel
};

// The rounds: BENCH_ROUNDS from the environment, 5 by default.
int roundsFromEnvironment();

// The median wall and user times of each contender, in the order given.
std::vector<Timing> medianRounds(const std::vector<Contender>& contenders,
                                 int rounds = roundsFromEnvironment());

// "a s against b s", for the note of a ratio a / b.
std::string against(double a, double b);

// Prints "<name>: <ratio>x (target <relation> <target>)", then `note` if any.
void printRatio(const std::string& name, double ratio, const char* relation, double target,
                const std::string& note = "");
// The same line for a ratio that has no target.
void printInformative(const std::string& name, double ratio, const std::string& note = "");

}  // namespace bench
