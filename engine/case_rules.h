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

    static Anchor anchorOf(std::string_view needle);

    // The bytes a match holds at a needle's `offset`: one, or two.
    struct KeyAt {
        std::size_t offset = 0;
        std::array<unsigned char, 2> keys{};
    };
    // How these rules search a needle: worked out once for a needle searched again and again.
    struct Plan {
        enum class Way { bytes, utf8, linearBytes, linearUtf8 } way = Way::bytes;
        KeyAt a, b;  // the anchors' keys
        // UTF-8: how many bytes that are no character open and close the needle.
        std::size_t lead = 0, trail = 0;
    };
    Plan plan(std::string_view needle, Anchor anchor) const;

    // 0-based index of the first match of a non-empty `needle` that starts at or after `from`.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from) const {
        return find(haystack, needle, from, plan(needle, anchorOf(needle)));
    }
    // The same by the needle's plan.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from,
                     const Plan& plan) const;

private:
    std::size_t findBytes(std::string_view haystack, std::string_view needle, std::size_t from,
                          const Plan& plan) const;
    std::size_t findUtf8(std::string_view haystack, std::string_view needle, std::size_t from,
                         const Plan& plan) const;
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
