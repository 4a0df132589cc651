// The command line of segment-replace-cli: what it asks for, and its usage and help texts.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/default_texts.h"

namespace cli {

// The texts the window starts with: the anchors into one site lose their underline.
using engine::kDefaultReplacement;
using engine::kDefaultSearch;
using engine::kDefaultStart;
using engine::kDefaultStop;

struct Options {
    enum class Action { run, help, version };
    Action action = Action::run;
    // The four texts as typed: UTF-8 on Windows, the terminal's encoding elsewhere.
    std::string startMarker = kDefaultStart;
    std::string stopMarker = kDefaultStop;
    std::string searchText = kDefaultSearch;
    std::string replacementText = kDefaultReplacement;
    bool dryRun = false;
    bool diff = false;
    int context = 3;
    bool quiet = false;
    bool json = false;
    unsigned jobs = 0;  // 0: one per core
    bool nulSeparated = false;
    std::optional<std::string> codePage;  // --code-page as given
    bool inPlace = false;
    std::optional<std::string> backupSuffix;  // in place, the original is kept as NAME + this
    bool changedOnly = false;
    bool caseSensitive = false;
    enum class Color { automatic, always, never };
    Color color = Color::automatic;  // of the diff: automatic is on a terminal
    std::vector<std::string> lists;  // --files-from, in order; "-" is standard input
    std::vector<std::string> files;  // FILE arguments, in order
};

// A command line that cannot be run; what() says why in a few words.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Throws UsageError.
Options parseOptions(const std::vector<std::string>& arguments);

// Two lines for a usage error; the full option list for --help.
std::string usageText();
std::string helpText();
std::string versionText();

}  // namespace cli
