#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "version.h"

namespace cli {
namespace {

unsigned parseCount(std::string_view name, std::string_view text, unsigned lowest) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < lowest || value > 100000) {
        throw UsageError(std::string(name) + " needs a whole number from " +
                         std::to_string(lowest) + ", not '" + std::string(text) + "'");
    }
    return value;
}

// Walks the arguments; an option's value is the rest of "--name=value" or the next argument,
// which is taken whatever it looks like (so "--search -x" and "--replace ''" work).
class Reader {
public:
    explicit Reader(const std::vector<std::string>& arguments) : arguments_(arguments) {}
    bool done() const { return index_ >= arguments_.size(); }
    const std::string& next() { return arguments_[index_++]; }
    std::string value(std::string_view name, const std::optional<std::string>& given) {
        if (given) return *given;
        if (done()) throw UsageError(std::string(name) + " needs a value");
        return next();
    }

private:
    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
};

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    Reader reader(arguments);
    bool optionsEnded = false;
    while (!reader.done()) {
        const std::string& argument = reader.next();
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.files.push_back(argument);
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = argument.find('=');
            argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        } else if (argument.size() > 2 && argument[1] != '-' &&
                   (argument[1] == 'U' || argument[1] == 'j')) {
            name = argument.substr(0, 2);  // "-U5", "-j4"
            inlineValue = argument.substr(2);
        }
        const auto flag = [&](bool& target) {
            if (inlineValue) throw UsageError(name + " takes no value");
            target = true;
        };
        if (name == "--") {
            optionsEnded = true;
        } else if (name == "--start") {
            options.startMarker = reader.value(name, inlineValue);
        } else if (name == "--stop") {
            options.stopMarker = reader.value(name, inlineValue);
        } else if (name == "--search") {
            options.searchText = reader.value(name, inlineValue);
        } else if (name == "--replace") {
            options.replacementText = reader.value(name, inlineValue);
        } else if (name == "--dry-run" || name == "-n") {
            flag(options.dryRun);
        } else if (name == "--diff") {
            flag(options.diff);
        } else if (name == "-U" || name == "--unified") {
            options.context =
                static_cast<int>(parseCount(name, reader.value(name, inlineValue), 0));
            options.diff = true;
        } else if (name == "--files-from") {
            options.lists.push_back(reader.value(name, inlineValue));
        } else if (name == "-0" || name == "--null") {
            flag(options.nulSeparated);
        } else if (name == "--jobs" || name == "-j") {
            options.jobs = parseCount(name, reader.value(name, inlineValue), 1);
        } else if (name == "--code-page") {
            options.codePage = reader.value(name, inlineValue);
        } else if (name == "--quiet" || name == "-q") {
            flag(options.quiet);
        } else if (name == "--json") {
            flag(options.json);
        } else if (name == "--in-place" || name == "-i") {
            flag(options.inPlace);
        } else if (name == "--backup") {
            options.backupSuffix = reader.value(name, inlineValue);
            if (options.backupSuffix->empty()) throw UsageError("--backup needs a suffix");
        } else if (name == "--changed-only") {
            flag(options.changedOnly);
        } else if (name == "--case-sensitive" || name == "-s") {
            flag(options.caseSensitive);
        } else if (name == "--color") {
            const std::string when = inlineValue.value_or("always");
            if (when != "auto" && when != "always" && when != "never")
                throw UsageError("--color is auto, always or never, not '" + when + "'");
            options.color = when == "auto"     ? Options::Color::automatic
                            : when == "always" ? Options::Color::always
                                               : Options::Color::never;
        } else if (name == "--help" || name == "-h") {
            options.action = Options::Action::help;
        } else if (name == "--version") {
            options.action = Options::Action::version;
        } else {
            throw UsageError("unknown option '" + name + "'");
        }
    }
    if (options.action == Options::Action::run && options.files.empty() && options.lists.empty()) {
        throw UsageError("no files given");
    }
    if (options.backupSuffix && !options.inPlace) throw UsageError("--backup needs --in-place");
    // Standard output can carry one thing only.
    const bool filter =
        std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
    if (filter && !options.dryRun && (options.diff || options.json)) {
        throw UsageError("'-' writes to standard output, which --diff and --json need too");
    }
    if (filter && std::find(options.lists.begin(), options.lists.end(), "-") != options.lists.end())
        throw UsageError("'-' and --files-from - both read standard input");
    return options;
}

std::string usageText() {
    return "usage: segment-replace-cli [OPTIONS] FILE...\n"
           "Try 'segment-replace-cli --help' for the options.\n";
}

std::string helpText() {
    return std::string("usage: segment-replace-cli [OPTIONS] FILE...\n") +
           "Copies every FILE into a file beside it with \"_new.\" for each \".\" of its name\n"
           "(page.html gives page_new.html). Inside every stretch of a line that runs from the\n"
           "start marker to the stop marker, the first hit of the search text (letter case\n"
           "ignored) is replaced. The files themselves are only read.\n"
           "\n"
           "Texts (an empty value is allowed):\n"
           "  --start TEXT        start marker   (default: " +
           kDefaultStart + ")\n" +
           "  --stop TEXT         stop marker    (default: " + kDefaultStop + ")\n" +
           "  --search TEXT       search text    (default: " + kDefaultSearch + ")\n" +
           "  --replace TEXT      replacement    (default: " + kDefaultReplacement + ")\n" +
           "\n"
           "Preview and report:\n"
           "  -n, --dry-run       write nothing; report what a run would do\n"
           "      --diff          print a unified diff of every file that changes on standard\n"
           "                      output (with --dry-run: a preview)\n"
           "  -U, --unified N     lines of context in the diff (default 3); implies --diff\n"
           "  -q, --quiet         report failures only (with --json: list only them)\n"
           "      --json          print the report as one JSON document on standard output\n"
           "\n"
           "Files:\n"
           "      --files-from LIST  read file names from LIST, one a line ('-': standard input)\n"
           "  -0, --null          names in LIST end with a NUL byte instead (find -print0)\n"
           "  -j, --jobs N        files processed at once (default: the number of cores)\n"
           "      --code-page NAME  the Windows code page of 8-bit files that are not UTF-8:\n"
           "                      874 or 1250 to 1258, also as cp1252 or windows-1252\n"
           "                      (default: the locale's; under a UTF-8 locale the one\n"
           "                      Windows uses for its language, 1252 for English)\n"
           "\n"
           "  -h, --help          show this text\n"
           "      --version       show the version\n"
           "\n"
           "The report goes to standard error, one line per file and a total. Ctrl-C stops\n"
           "between two lines: the file at work keeps what was written. Exit status: 0 when\n"
           "every file was done, 1 when any failed, 2 for a usage error, 130 when interrupted\n"
           "(128 + the signal: 143 for SIGTERM, 129 for SIGHUP).\n";
}

std::string versionText() {
    return std::string("segment-replace-cli ") + REPLACE_VERSION + "\n";
}

}  // namespace cli
