// Case-insensitive search: ASCII letters always match their other case; past ASCII, single
// bytes fold by a code page's table, or UTF-8 characters by code point. Or exact search, where
// nothing folds.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace engine::detail {

class CaseRules {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    // Bytes fold by `fold`; with `utf8`, characters past ASCII fold by code point instead.
    CaseRules(const std::array<unsigned char, 256>& fold, bool utf8);
    // The rules for UTF-8 text.
    static const CaseRules& unicode();
    // Rules that tell every byte apart: texts match in their own letter case, in any encoding.
    static const CaseRules& exact();

    // The needle bytes to scan for: the rarest one in everyday text, and the rarest of the rest
    // (in another character where there is one). A place where both are is worth comparing.
    struct Anchor {
        std::size_t first = 0;
        std::size_t second = 0;
    };

    // 0-based index of the first match of a non-empty `needle` that starts at or after `from`.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from) const {
        return find(haystack, needle, from, anchorOf(needle));
    }
    // The same, with the needle's anchor from anchorOf(), for needles searched again and again.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from,
                     Anchor anchor) const;

    static Anchor anchorOf(std::string_view needle);

private:
    std::size_t findBytes(std::string_view haystack, std::string_view needle, std::size_t from,
                          Anchor anchor) const;
    std::size_t findUtf8(std::string_view haystack, std::string_view needle, std::size_t from,
                         Anchor anchor) const;
    std::size_t findBytesLinear(std::string_view haystack, std::string_view needle,
                                std::size_t from) const;
    // `lead` and `trail`: how many bytes that are no character open and close the needle.
    std::size_t findUtf8Linear(std::string_view haystack, std::string_view needle, std::size_t from,
                               std::size_t lead, std::size_t trail) const;
    // How many bytes of `needle` match the haystack from `at` on, up to the first difference.
    std::size_t matchLength(std::string_view haystack, std::size_t at,
                            std::string_view needle) const;
    // The same by the rules for UTF-8 text, up to the first character that differs.
    std::size_t utf8MatchLength(std::string_view haystack, std::size_t at,
                                std::string_view needle) const;
    // The bytes that a match can hold where the needle holds its byte `at`, or another byte of
    // the same character that `at` is moved to; how many there are (more than `keys` holds:
    // too many to scan for).
    std::size_t utf8Keys(std::string_view needle, std::size_t& at,
                         std::array<unsigned char, 2>& keys) const;
    // A text's character at `at` as one value that equal characters share; sets its length.
    char32_t symbolAt(std::string_view text, std::size_t at, std::size_t& length) const;

    // UTF-8 text folds letters by code point; other text folds single bytes by this table.
    bool utf8_;
    std::array<unsigned char, 256> fold_{};
    // For each byte, the bytes that fold like it (at most two are kept) and how many there are.
    std::array<std::array<unsigned char, 2>, 256> alike_{};
    std::array<unsigned char, 256> alikeCount_{};
};

}  // namespace engine::detail
