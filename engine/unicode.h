// UTF-8, UTF-16 and UTF-32 at the byte level, and letter case by code point. UTF-16 and UTF-32
// lines are worked on in a generalised UTF-8 that also encodes unpaired surrogates and, in a
// private form, 32-bit values past U+10FFFF, so that every such file comes back unchanged
// wherever nothing was replaced. No text in UTF-8 can match inside either.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace engine::detail {

// Decodes one well-formed UTF-8 sequence at `at`; its length, or 0 if there is none.
std::size_t decodeUtf8(std::string_view s, std::size_t at, char32_t& cp);

// Decodes one sequence of the generalised form (well-formed UTF-8, or a surrogate encoded in
// three bytes); its length, or 0 if there is none.
std::size_t decodeWtf8(std::string_view s, std::size_t at, char32_t& cp);

// Appends `cp` in UTF-8 (a surrogate in the generalised three-byte form, a value past U+10FFFF
// as FE and six continuation bytes).
void appendUtf8(std::string& out, char32_t cp);

// How much of a source, from its first byte past ASCII, decides whether it is UTF-8.
inline constexpr std::size_t kUtf8Sample = std::size_t{64} << 10;

// The index of the first byte past ASCII, or npos.
std::size_t firstPastAscii(std::string_view bytes);

// Whether the bytes from the first non-ASCII one on read as UTF-8. A sequence cut off by the
// end of `bytes` counts as valid unless `complete` says nothing follows.
bool readsAsUtf8(std::string_view bytes, bool complete);

// Appends `text` (generalised UTF-8) as UTF-16 or UTF-32 code units in the given byte order.
void appendUtf16(std::string& out, std::string_view text, bool bigEndian);
void appendUtf32(std::string& out, std::string_view text, bool bigEndian);

// The case-free form of a code point past ASCII: itself when it has no other case, or when its
// other cases take a different number of bytes in UTF-8 (those letters match only themselves).
// Always as long in UTF-8 as `cp`.
char32_t foldCodePoint(char32_t cp);

// The code points with the same case-free form as `cp` (past ASCII), `cp` among them: all that
// it matches. Returns how many there are; only the first kMaxCaseForms are stored.
inline constexpr std::size_t kMaxCaseForms = 4;
std::size_t caseForms(char32_t cp, std::array<char32_t, kMaxCaseForms>& forms);

}  // namespace engine::detail
