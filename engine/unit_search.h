// Where a text may begin in UTF-16 or UTF-32 code units as they lie in a file, found without
// converting them: each character of the text is looked for as the units it takes, in every form
// it matches. Every match the text has in the converted lines begins at a place found; a place
// found may still be none (where a letter has too many forms to look for, any unit will do).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/case_rules.h"

namespace engine::detail {

class UnitNeedle {
public:
    // The UTF-8 `text`, whose letter case counts when `exact`, in units of `unitSize` bytes;
    // false when it cannot be looked for this way (it is empty or holds bytes that are no
    // character), and then every place may be a match.
    bool set(std::string_view text, CaseRules::Anchor anchor, bool exact, std::size_t unitSize,
             bool bigEndian);

    // The first place at or after unit `from` of the `count` units at `units` where the text
    // may begin; `count` where there is none.
    std::size_t find(const unsigned char* units, std::size_t count, std::size_t from) const;

private:
    struct Unit {
        std::array<std::uint32_t, 2> forms{};
        bool any = false;  // a letter of too many forms
    };
    std::vector<Unit> units_;
    std::size_t keyA_ = 0, keyB_ = 0;  // the units scanned for
    std::size_t unitSize_ = 2;
    bool bigEndian_ = false;
};

}  // namespace engine::detail
