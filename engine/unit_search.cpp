#include "engine/unit_search.h"

#include "engine/byte_scan.h"
#include "engine/unicode.h"

namespace engine::detail {

bool UnitNeedle::set(std::string_view text, CaseRules::Anchor anchor, bool exact,
                     std::size_t unitSize, bool bigEndian) {
    units_.clear();
    unitSize_ = unitSize;
    bigEndian_ = bigEndian;
    keyA_ = keyB_ = SIZE_MAX;
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(text, at, cp);
        if (length == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        std::array<char32_t, kMaxCaseForms> forms{cp, cp};
        std::size_t count = 1;
        if (!exact && cp < 0x80) {
            const bool upper = cp >= 'A' && cp <= 'Z', lower = cp >= 'a' && cp <= 'z';
            forms[1] = upper ? cp + ('a' - 'A') : lower ? cp - ('a' - 'A') : cp;
            count = 2;
        } else if (!exact) {
            count = caseForms(cp, forms);
        }
        // The anchors' characters are scanned for.
        if (anchor.first >= at && anchor.first < at + length) keyA_ = units_.size();
        if (anchor.second >= at && anchor.second < at + length) keyB_ = units_.size();
        // A character past U+FFFF takes two UTF-16 units: its forms are looked for unit by unit.
        const bool pair = unitSize == 2 && cp > 0xFFFF;
        for (std::size_t half = 0; half < (pair ? 2u : 1u); ++half) {
            Unit unit;
            unit.any = count > 2;
            for (std::size_t i = 0; i < 2 && !unit.any; ++i) {
                const char32_t form = forms[i < count ? i : 0];
                unit.forms[i] = !pair       ? form
                                : half == 0 ? 0xD800 + ((form - 0x10000) >> 10)
                                            : 0xDC00 + ((form - 0x10000) & 0x3FF);
            }
            units_.push_back(unit);
        }
        at += length;
    }
    if (units_.empty()) return false;
    // Keys of too many forms are replaced with any other unit, or the first key.
    const auto usable = [&](std::size_t key) { return key < units_.size() && !units_[key].any; };
    for (std::size_t i = 0; i < units_.size() && !usable(keyA_); ++i) keyA_ = i;
    if (!usable(keyA_)) return false;
    if (!usable(keyB_)) keyB_ = keyA_;
    return true;
}

std::size_t UnitNeedle::find(const unsigned char* units, std::size_t count,
                             std::size_t from) const {
    if (units_.size() > count) return count;
    const std::size_t last = count - units_.size();
    const auto value = [&](std::size_t i) {
        return unitValue(units + unitSize_ * i, unitSize_, bigEndian_);
    };
    const UnitKeyPairFinder finder = unitKeyPairFinder(unitSize_, bigEndian_);
    for (std::size_t at = from; at <= last; ++at) {
        at = finder(units, at, last, keyA_, units_[keyA_].forms, keyB_, units_[keyB_].forms);
        if (at > last) break;
        std::size_t k = 0;
        while (k < units_.size() && (units_[k].any || value(at + k) == units_[k].forms[0] ||
                                     value(at + k) == units_[k].forms[1])) {
            ++k;
        }
        if (k == units_.size()) return at;
    }
    return count;
}

}  // namespace engine::detail
