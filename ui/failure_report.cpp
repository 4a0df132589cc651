#include "ui/failure_report.h"

#include <algorithm>

namespace ui {

std::string failureText(const std::vector<Failure>& failures) {
    std::string text = failures.size() == 1 ? "This file could not be processed:\n"
                                            : "These files could not be processed:\n";
    const auto listed = std::min(failures.size(), std::size_t{kMaxListedFailures});
    for (std::size_t i = 0; i < listed; ++i) {
        text += '\n' + failures[i].file + ": " + failures[i].reason;
    }
    if (const auto more = failures.size() - listed; more > 0) {
        text += more == 1 ? "\n\n1 more file failed."
                          : "\n\n" + std::to_string(more) + " more files failed.";
    }
    return text;
}

}  // namespace ui
