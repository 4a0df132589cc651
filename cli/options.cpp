#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
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

Options::Color parseColor(std::string_view name, std::string_view text) {
    if (text == "auto") return Options::Color::automatic;
    if (text == "always") return Options::Color::always;
    if (text == "never") return Options::Color::never;
    throw UsageError(std::string(name) + " takes auto, always or never, not '" + std::string(text) +
                     "'");
}

// Stands for a blank at which a line is not broken.
constexpr char kUnbroken = '\x1f';

// "what (default: value)", the value kept on one line.
std::string defaultIs(std::string_view what, std::string value) {
    std::replace(value.begin(), value.end(), ' ', kUnbroken);
    return std::string(what) + " (default: " + value + ")";
}

// Sets what an option asks for; `value` is empty for a flag.
using Apply = void (*)(Options&, std::string_view name, const std::string& value);

// One option, as --help and the man page show it and as the parser takes it.
struct Option {
    char shortName;  // 0: none
    std::string_view longName;
    std::string_view value;  // the value's name; empty for a flag
    std::string help;        // plain text, for both
    std::string_view more;   // roff, for the man page only
    Apply apply;
};

struct Group {
    std::string_view title;
    std::string_view intro;  // roff, for the man page only
    std::vector<Option> options;
};

const std::vector<Group>& optionTable() {
    using O = Options;
    using V = const std::string&;
    using N = std::string_view;
    static const std::vector<Group> groups = {
        {"Texts (an empty value is allowed)",
         R"(Each text may be empty (\fB\-\-search ""\fR or \fB\-\-search=\fR) with the same )"
         R"(meaning as in the window: an empty search text changes nothing, an empty )"
         R"(replacement deletes the hit. A value is always the next argument, even when it )"
         R"(begins with "\-".)",
         {
             {0, "start", "TEXT", defaultIs("start marker", kDefaultStart), "",
              [](O& o, N, V v) { o.startMarker = v; }},
             {0, "stop", "TEXT", defaultIs("stop marker", kDefaultStop), "",
              [](O& o, N, V v) { o.stopMarker = v; }},
             {0, "search", "TEXT", defaultIs("search text", kDefaultSearch), "",
              [](O& o, N, V v) { o.searchText = v; }},
             {0, "replace", "TEXT", defaultIs("replacement", kDefaultReplacement), "",
              [](O& o, N, V v) { o.replacementText = v; }},
             {'s', "case-sensitive", "",
              "match the texts in their exact letter case (by default case is ignored, as in "
              "the window)",
              "", [](O& o, N, V) { o.caseSensitive = true; }},
         }},
        {"Preview and report",
         "",
         {
             {'n', "dry-run", "",
              "write nothing; report what a run would do, and the failures it would meet", "",
              [](O& o, N, V) { o.dryRun = true; }},
             {0, "diff", "",
              "print a unified diff of every file that changes on standard output (with "
              "--dry-run: a preview)",
              R"(The diff has "\-\-\-", "+++" and "@@" headers; without \fB\-\-dry\-run\fR the )"
              R"(outputs are written as well. Bytes that the terminal cannot show (control )"
              R"(characters, and bytes that are not valid in its encoding) appear as )"
              R"(\fB\\x\fINN\fR.)",
              [](O& o, N, V) { o.diff = true; }},
             {'U', "unified", "N", "lines of context in the diff (default 3); implies --diff", "",
              [](O& o, N name, V v) {
                  o.context = static_cast<int>(parseCount(name, v, 0));
                  o.diff = true;
              }},
             {0, "color", "WHEN",
              "colour the diff: auto (on a terminal, the default), always or never", "",
              [](O& o, N name, V v) { o.color = parseColor(name, v); }},
             {'q', "quiet", "", "report failures only (with --json: list only them)", "",
              [](O& o, N, V) { o.quiet = true; }},
             {0, "json", "", "print the report as one JSON document on standard output",
              R"(It holds "files", one object per file in order ("source", "output", "status" )"
              R"(\- "done", "failed", "skipped" or "stopped" \- and either "encoding", "lines", )"
              R"("segments" and "replacements", or "file" and "reason", or for a skipped file )"
              R"("reason"; "diff" with \fB\-\-diff\fR), and a "total". A name that is not valid )"
              R"(UTF\-8 is given as \fB{"bytes": "\fIbase64\fB"}\fR; in the other texts, bytes )"
              R"(that are not UTF\-8 appear as the text \fB\\\\x\fINN\fR.)",
              [](O& o, N, V) { o.json = true; }},
         }},
        {"Files",
         "",
         {
             {'r', "recursive", "",
              "walk every FILE that is a folder, in sorted order; hidden files, symbolic links, "
              "earlier outputs (files named as the output of another file in their folder) and "
              "binary files are left out",
              R"(Without it a folder is an error. Files other than regular ones (devices, )"
              R"(pipes) are left out too.)",
              [](O& o, N, V) { o.recursive = true; }},
             {0, "glob", "PATTERN",
              "in a walk, take only the files that match PATTERN; !PATTERN leaves out the files "
              "and folders that match (may be given more than once)",
              R"(A pattern without "/" is matched against the name of the file or folder, one )"
              R"(with "/" against its path below the walked folder. "*" matches any characters )"
              R"(but "/", "?" one character, "[abc]" and "[a\-z]" one of those ("[!abc]": none )"
              R"(of them), and "**" as a whole part of the path any number of folders: )"
              R"(\fB\-\-glob 'docs/**/*.html'\fR. Letter case counts. A file named on the )"
              R"(command line is taken whatever the patterns.)",
              [](O& o, N, V v) { o.globs.push_back(v); }},
             {0, "hidden", "", "walk hidden files and folders too (names that begin with a dot)",
              "", [](O& o, N, V) { o.hidden = true; }},
             {'L', "follow", "", "follow symbolic links in a walk", "",
              [](O& o, N, V) { o.followLinks = true; }},
             {0, "binary", "",
              "process files that look binary too: a NUL byte in the first 8 KiB, with no "
              "UTF-16 or UTF-32 mark and not UTF-16 without one",
              R"(Without it such a file, named or walked, is skipped and reported as )"
              R"("skipped: binary".)",
              [](O& o, N, V) { o.binary = true; }},
             {0, "files-from", "LIST",
              "read file names from LIST, one a line ('-': standard input)",
              R"(May be given more than once. An empty list is not an error; lines may end in )"
              R"(CR LF; a list that holds NUL bytes needs \fB\-0\fR.)",
              [](O& o, N, V v) { o.lists.push_back(v); }},
             {'0', "null", "", "names in LIST end with a NUL byte instead (find -print0)", "",
              [](O& o, N, V) { o.nulSeparated = true; }},
             {'j', "jobs", "N",
              "files processed at once (default: the number of cores; at most " +
                  std::to_string(kMostJobs) + ")",
              R"(The outputs are the same for any \fIN\fR and the report keeps the order of the )"
              R"(files. Where the system gives fewer threads, the run goes on with those it )"
              R"(has.)",
              [](O& o, N name, V v) { o.jobs = parseCount(name, v, 1); }},
             {0, "code-page", "NAME",
              "the Windows code page of 8-bit files that are not UTF-8: 874 or 1250 to 1258, "
              "also as cp1252 or windows-1252 (default: the locale's; under a UTF-8 locale the "
              "one Windows uses for its language, 1252 for English)",
              R"(Letter case is ignored in the name. The texts are matched and written in that )"
              R"(code page, never in another encoding. A UTF\-8 locale has no code page of its )"
              R"(own: 1252 serves English (and the "C" locale), German, French and the other )"
              R"(Western languages, 1250 Central European, 1251 Cyrillic, 1253 Greek, 1254 )"
              R"(Turkish, 1255 Hebrew, 1256 Arabic, 1257 Baltic, 1258 Vietnamese, 874 Thai. )"
              R"(Where no such code page fits the language (Chinese, Japanese, Korean and )"
              R"(others), a text with characters past ASCII matches nothing in such files and )"
              R"(is not written into them.)",
              [](O& o, N, V v) { o.codePage = v; }},
         }},
        {"Writing",
         "",
         {
             {'i', "in-place", "",
              "write each result over its file (atomically) instead of beside it; implies "
              "--changed-only",
              "", [](O& o, N, V) { o.inPlace = true; }},
             {0, "backup", "SUFFIX", "with -i: keep each original as its name followed by SUFFIX",
              "", [](O& o, N, V v) { o.backupSuffix = v; }},
             {0, "changed-only", "",
              "write an output only for a file in which something was replaced", "",
              [](O& o, N, V) { o.changedOnly = true; }},
         }},
        {"Information",
         "",
         {
             {'h', "help", "", "show the options (on Windows also /?)", "",
              [](O& o, N, V) { o.action = Options::Action::help; }},
             {0, "version", "", "show the version", "",
              [](O& o, N, V) { o.action = Options::Action::version; }},
         }},
    };
    return groups;
}

const Option* findOption(std::string_view longName, char shortName) {
    for (const Group& group : optionTable()) {
        for (const Option& option : group.options) {
            if (longName.empty() ? option.shortName == shortName : option.longName == longName)
                return &option;
        }
    }
    return nullptr;
}

// `text` broken at blanks into lines of at most `width` characters where the words allow it;
// lines after the first begin with `indent` blanks.
std::string wrapped(std::string_view text, std::size_t width, std::size_t indent,
                    std::size_t firstColumn) {
    std::string out;
    std::size_t column = firstColumn;
    bool lineStart = true;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (!lineStart && column + 1 + word.size() > width) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        for (const char c : word) out += c == kUnbroken ? ' ' : c;
        column += word.size();
        lineStart = false;
    }
    return out + '\n';
}

// Plain text as roff: backslashes and minus signs escaped, so that options copy as typed.
std::string roff(std::string_view plain) {
    std::string out;
    for (const char c : plain) {
        if (c == '\\') out += "\\e";
        if (c == '-') out += "\\-";
        if (c == kUnbroken) out += "\\~";
        if (c != '\\' && c != '-' && c != kUnbroken) out += c;
    }
    return out;
}

// A roff paragraph in lines of at most 100 characters; a line that would begin with a control
// character is kept from being read as a request.
std::string roffLines(std::string_view text) {
    const std::string lines = wrapped(text, 100, 0, 0);
    std::string out;
    bool lineStart = true;
    for (const char c : lines) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // A value that is the next argument is taken whatever it looks like, so that
        // "--search -x" and "--replace ''" work.
        const auto nextValue = [&](const std::string& name) -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
            return arguments[++i];
        };
#ifdef _WIN32
        if (!optionsEnded && argument == "/?") {
            options.action = Options::Action::help;
            continue;
        }
#endif
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const std::string name = argument.substr(0, equals);
            const Option* option = findOption(std::string_view(name).substr(2), 0);
            if (option == nullptr) throw UsageError("unknown option '" + name + "'");
            if (option->value.empty() && equals != std::string::npos) {
                throw UsageError(name + " takes no value");
            }
            const bool flag = option->value.empty();
            option->apply(options, name,
                          flag                          ? std::string()
                          : equals != std::string::npos ? argument.substr(equals + 1)
                                                        : nextValue(name));
        } else {
            // Short options: "-nq" is -n -q; a value is the rest ("-j4", "-nU5") or the next.
            for (std::size_t k = 1; k < argument.size(); ++k) {
                const std::string name = std::string("-") + argument[k];
                const Option* option = findOption({}, argument[k]);
                if (option == nullptr) throw UsageError("unknown option '" + name + "'");
                if (option->value.empty()) {
                    option->apply(options, name, {});
                    continue;
                }
                option->apply(options, name,
                              k + 1 < argument.size() ? argument.substr(k + 1) : nextValue(name));
                break;
            }
        }
    }
    if (options.action == Options::Action::run && options.files.empty() && options.lists.empty()) {
        throw UsageError("no files given");
    }
    return options;
}

std::string usageText() {
    return "usage: segment-replace-cli [OPTIONS] FILE...\n"
           "Try 'segment-replace-cli --help' for the options.\n";
}

std::string helpText() {
    constexpr std::size_t kColumn = 25, kWidth = 79;
    std::string text =
        "usage: segment-replace-cli [OPTIONS] FILE...\n"
        "Copies every FILE into a file beside it with \"_new.\" for each \".\" of its name\n"
        "(page.html gives page_new.html). Inside every stretch of a line that runs from the\n"
        "start marker to the stop marker, the first hit of the search text (letter case\n"
        "ignored) is replaced. The files themselves are only read, unless -i is given.\n";
    for (const Group& group : optionTable()) {
        text += "\n" + std::string(group.title) + ":\n";
        for (const Option& option : group.options) {
            std::string left = option.shortName != 0
                                   ? std::string("  -") + option.shortName + ", --"
                                   : std::string("      --");
            left += option.longName;
            if (!option.value.empty()) left += " " + std::string(option.value);
            left.resize(std::max(left.size() + 2, kColumn), ' ');
            text += left + wrapped(option.help, kWidth, kColumn, left.size());
        }
    }
    return text +
           "\n"
           "The report goes to standard error, one line per file and a total. Ctrl-C stops\n"
           "between two lines: the file at work keeps what was written. Exit status: 0 when\n"
           "every file was done or skipped, 1 when any failed, 2 for a usage error, 130 when\n"
           "interrupted (128 + the signal: 143 for SIGTERM, 129 for SIGHUP).\n";
}

std::string versionText() {
    return std::string("segment-replace-cli ") + REPLACE_VERSION + "\n";
}

std::string manOptions() {
    std::string man = ".SH OPTIONS\n";
    for (const Group& group : optionTable()) {
        man += ".SS \"" + std::string(group.title) + "\"\n";
        if (!group.intro.empty()) man += roffLines(group.intro);
        for (const Option& option : group.options) {
            man += ".TP\n";
            if (option.shortName != 0) man += std::string("\\fB\\-") + option.shortName + "\\fR, ";
            man += "\\fB\\-\\-" + roff(option.longName) + "\\fR";
            if (!option.value.empty()) man += " \\fI" + std::string(option.value) + "\\fR";
            std::string paragraph = roff(option.help) + ".";
            paragraph[0] =
                static_cast<char>(std::toupper(static_cast<unsigned char>(paragraph[0])));
            if (!option.more.empty()) paragraph += " " + std::string(option.more);
            man += "\n" + roffLines(paragraph);
        }
    }
    return man;
}

}  // namespace cli
