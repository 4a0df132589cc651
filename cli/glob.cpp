#include "cli/glob.h"

#include <algorithm>

namespace cli {
namespace {

// The bytes of the character at the front of `text` (UTF-8 continuation bytes go with it).
std::size_t characterLength(std::string_view text) {
    std::size_t length = 1;
    while (length < text.size() && length < 4 && (text[length] & 0xC0) == 0x80) ++length;
    return length;
}

// The set "[...]" at the front of `pattern`: its length, or 0 when it is not closed; whether it
// holds `c` in `holds`.
std::size_t charSet(std::string_view pattern, unsigned char c, bool& holds) {
    std::size_t at = 1;
    const bool negated = at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^');
    if (negated) ++at;
    bool found = false;
    for (bool first = true; at < pattern.size() && (first || pattern[at] != ']'); first = false) {
        const auto low = static_cast<unsigned char>(pattern[at]);
        auto high = low;
        if (at + 2 < pattern.size() && pattern[at + 1] == '-' && pattern[at + 2] != ']') {
            high = static_cast<unsigned char>(pattern[at + 2]);
            at += 2;
        }
        found = found || (low <= c && c <= high);
        ++at;
    }
    if (at >= pattern.size()) return 0;
    holds = found != negated;
    return at + 1;
}

}  // namespace

bool globMatches(std::string_view pattern, std::string_view path) {
    bool partStart = true;  // at the start of a part of the pattern, after a "/" or none
    while (!pattern.empty()) {
        const bool wholePart =
            partStart && pattern.starts_with("**") && (pattern.size() == 2 || pattern[2] == '/');
        if (wholePart && pattern.size() == 2) return true;  // "**" at the end: everything below
        if (wholePart) {
            // "**/": no folder, or any number of them.
            const std::string_view rest = pattern.substr(3);
            for (std::size_t at = 0;;) {
                if (globMatches(rest, path.substr(at))) return true;
                at = path.find('/', at);
                if (at == std::string_view::npos) return false;
                ++at;
            }
        }
        if (pattern.front() == '*') {
            const std::string_view rest =
                pattern.substr(std::min(pattern.find_first_not_of('*'), pattern.size()));
            for (std::size_t at = 0;; ++at) {
                if (globMatches(rest, path.substr(at))) return true;
                if (at == path.size() || path[at] == '/') return false;
            }
        }
        if (path.empty()) return false;
        bool holds = false;
        const std::size_t set =
            pattern.front() == '[' && path.front() != '/'
                ? charSet(pattern, static_cast<unsigned char>(path.front()), holds)
                : 0;
        if (set > 0) {
            if (!holds) return false;
            pattern.remove_prefix(set);
            path.remove_prefix(1);
        } else if (pattern.front() == '?') {
            if (path.front() == '/') return false;
            pattern.remove_prefix(1);
            path.remove_prefix(characterLength(path));
        } else {
            if (pattern.front() != path.front()) return false;
            partStart = pattern.front() == '/';
            pattern.remove_prefix(1);
            path.remove_prefix(1);
            continue;
        }
        partStart = false;
    }
    return path.empty();
}

Globs::Globs(const std::vector<std::string>& patterns) {
    for (std::string_view text : patterns) {
        const bool leaveOut = text.starts_with('!');
        if (leaveOut) text.remove_prefix(1);
        if (text.starts_with('/')) text.remove_prefix(1);  // the walked folder itself
        if (text.ends_with('/')) text.remove_suffix(1);
        const bool wholePath = text.find('/') != std::string_view::npos;
        (leaveOut ? leftOut_ : taken_).push_back({std::string(text), wholePath});
    }
}

bool Globs::matches(const Pattern& pattern, std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return globMatches(pattern.text, pattern.wholePath || slash == std::string_view::npos
                                         ? path
                                         : path.substr(slash + 1));
}

bool Globs::takesFile(std::string_view path) const {
    const auto match = [&](const Pattern& p) { return matches(p, path); };
    return (taken_.empty() || std::ranges::any_of(taken_, match)) &&
           std::ranges::none_of(leftOut_, match);
}

bool Globs::entersFolder(std::string_view path) const {
    return std::ranges::none_of(leftOut_, [&](const Pattern& p) { return matches(p, path); });
}

}  // namespace cli
