// Case-insensitive search: ASCII letters always match their other case; past ASCII, single
// bytes fold by a code page's table, or UTF-8 characters by code point.
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

    // 0-based index of the first match of a non-empty `needle` that starts at or after `from`.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from) const {
        return find(haystack, needle, from, anchorOf(needle));
    }
    // The same, with the needle's scan anchor from anchorOf(), for needles searched again and
    // again.
    std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from,
                     std::size_t anchor) const;

    // The index of the needle byte to scan for: the rarest one in everyday text.
    static std::size_t anchorOf(std::string_view needle);

private:
    std::size_t findBytes(std::string_view haystack, std::string_view needle, std::size_t from,
                          std::size_t anchor) const;
    std::size_t findUtf8(std::string_view haystack, std::string_view needle,
                         std::size_t from) const;
    std::size_t findBytesLinear(std::string_view haystack, std::string_view needle,
                                std::size_t from) const;
    // How many bytes of `needle` match the haystack from `at` on, up to the first difference.
    std::size_t matchLength(std::string_view haystack, std::size_t at,
                            std::string_view needle) const;
    bool utf8MatchAt(std::string_view haystack, std::size_t at, std::string_view needle) const;

    // UTF-8 text folds letters by code point; other text folds single bytes by this table.
    bool utf8_;
    std::array<unsigned char, 256> fold_{};
    // For each byte, the bytes that fold like it (at most two are kept) and how many there are.
    std::array<std::array<unsigned char, 2>, 256> alike_{};
    std::array<unsigned char, 256> alikeCount_{};
};

}  // namespace engine::detail
