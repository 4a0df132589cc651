// Text from files shown on a terminal or in JSON: bytes that would not print as themselves are
// written as \xNN instead, so that a file's bytes never reach the terminal raw.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Appends `text` for a terminal: tabs and printable ASCII as they are, well-formed UTF-8
// characters as they are when `utf8Terminal`, everything else (control bytes, invalid or, on
// other terminals, non-ASCII bytes) as \xNN.
void appendForTerminal(std::string& out, std::string_view text, bool utf8Terminal);

// Appends `text` as the inside of a JSON string: quotes, backslashes and control characters
// escaped, well-formed UTF-8 as it is, other bytes as the six characters \\xNN.
void appendJsonString(std::string& out, std::string_view text);

// The length of the well-formed UTF-8 character at `at`, or 0 when there is none.
std::size_t utf8CharLength(std::string_view text, std::size_t at);

bool isUtf8(std::string_view text);

}  // namespace cli
