// The C library's locale as the engine uses it for 8-bit text: how its bytes fold letter case
// and how UTF-8 texts are written in it. Captured once per locale and kept alive by whoever
// holds it, so a locale switched during a pass changes nothing for that pass.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "engine/case_rules.h"

namespace engine::detail {

class CodePage {
public:
    // The locale now set for LC_CTYPE.
    static std::shared_ptr<const CodePage> current();

    // A UTF-8 locale: its text is UTF-8, with letter case by code point.
    bool isUtf8() const { return kind_ == Kind::utf8; }
    // A single-byte locale without any character past ASCII (such as "C" with glibc).
    bool asciiOnly() const { return asciiOnly_; }
    const CaseRules& rules() const;
    // Appends `utf8` written in this code page; false when a character has no form here.
    bool fromUtf8(std::string_view utf8, std::string& out) const;

private:
    enum class Kind { singleByte, utf8, otherMultiByte };
    CodePage();

    Kind kind_ = Kind::singleByte;
    bool asciiOnly_ = false;
    std::unique_ptr<CaseRules> rules_;
    // For each byte of a single-byte locale, the character it stands for (0: none).
    std::array<char32_t, 256> characters_{};
};

}  // namespace engine::detail
