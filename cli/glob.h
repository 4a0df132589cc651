// The --glob patterns of a walk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Whether all of `path` matches `pattern`: "*" matches any characters but "/", "?" one character
// but "/", "[abc]" and "[a-z]" one byte of the set ("[!...]": not of it), "**" as a whole part
// of the pattern any number of folders; every other character itself.
bool globMatches(std::string_view pattern, std::string_view path);

// Patterns that choose what a walk takes, by paths below the walked folder ("sub/page.html").
// A pattern without "/" is matched against the last name of the path; one with a "/" against
// the whole path. A pattern that begins with "!" leaves out what it matches.
class Globs {
public:
    explicit Globs(const std::vector<std::string>& patterns);
    // Files: one that some pattern takes (or any when none does) and none leaves out.
    bool takesFile(std::string_view path) const;
    // Folders: any that no pattern leaves out.
    bool entersFolder(std::string_view path) const;

private:
    struct Pattern {
        std::string text;
        bool wholePath;
    };
    static bool matches(const Pattern& pattern, std::string_view path);
    std::vector<Pattern> taken_, leftOut_;
};

}  // namespace cli
