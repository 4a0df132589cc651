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

// The most files processed at once: more threads only add memory and contention.
inline constexpr unsigned kMostJobs = 64;

struct Options {
    enum class Action { run, help, version };
    enum class Color { automatic, always, never };
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
    bool caseSensitive = false;
    bool inPlace = false;
    std::optional<std::string> backupSuffix;
    bool changedOnly = false;
    Color color = Color::automatic;
    bool recursive = false;
    std::vector<std::string> globs;  // --glob, in order; "!" first excludes
    bool hidden = false;
    bool followLinks = false;
    bool binary = false;             // process files that look binary too
    std::vector<std::string> lists;  // --files-from, in order; "-" is standard input
    std::vector<std::string> files;  // FILE arguments, in order
};

// A command line that cannot be run; what() says why in a few words.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name: short options combine ("-nq", "-j4"), a value
// follows its option as "--name=value", "--name value", "-jVALUE" or "-j VALUE". Throws
// UsageError.
Options parseOptions(const std::vector<std::string>& arguments);

// Two lines for a usage error; the full option list for --help.
std::string usageText();
std::string helpText();
std::string versionText();

// The man page's OPTIONS section, from the same table as helpText(): from ".SH OPTIONS" to the
// next section.
std::string manOptions();

}  // namespace cli
