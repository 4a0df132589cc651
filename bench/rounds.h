// How every benchmark measures: its contenders in interleaved rounds (each once per round, the
// order turned round every other round: A, B, B, A, A, B, ...), the median of each, and the one
// line that states the ratio a target is judged by.
#pragma once

#include <functional>
#include <string>
#include <utility>
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

// A ratio without a target that the medians of a measure give as well.
struct Informative {
    std::string name;
    double ratio = 0;
    std::string note = {};
};

// What the medians of a measure come to.
struct Outcome {
    double ratio = 0;
    double seconds = 0;    // the median of the measured contender, in what the ratio compares
    double reference = 0;  // the reference's median in the same, or 0 for a ratio of no times
    std::string note = {};
    std::vector<Informative> also = {};
    std::vector<std::pair<std::string, double>> figures = {};  // further named numbers
};

// One target's measurement: its line's name, its contenders, and what their medians (in the
// order of the contenders) come to, with the checks of the work done.
struct Measure {
    std::string name;
    std::vector<Contender> contenders;
    std::function<Outcome(const std::vector<Timing>&)> finish;
};

// Times the contenders of `measure` in interleaved rounds, hands their medians to its finish and
// prints the target's line, then those of the ratios without a target.
Outcome measureRatio(const Measure& measure, const char* relation, double target,
                     int rounds = roundsFromEnvironment());

}  // namespace bench
