// The C library's locale as the engine uses it for 8-bit text: how its bytes fold letter case
// and how UTF-8 texts are written in it, and the code page of 8-bit files that are not UTF-8.
// Captured once per locale (and named page) and kept alive by whoever holds it, so a locale
// switched during a pass changes nothing for that pass.
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
    // Names the Windows code page that 8-bit files take from now on instead of the locale's
    // (see engine::setCodePage).
    static bool choose(std::string_view name);
    // The Windows code page of the language of a locale named `name` ("de_DE.UTF-8": 1252), or
    // 0 where no single-byte code page fits. "C" and "POSIX" are taken for English.
    static int windowsPageOf(std::string_view name);

    // A UTF-8 locale: its text is UTF-8, with letter case by code point.
    bool isUtf8() const { return kind_ == Kind::utf8; }
    // A single-byte locale without any character past ASCII (such as "C" with glibc).
    bool asciiOnly() const { return asciiOnly_; }
    const CaseRules& rules() const;
    // Appends `utf8` written in this code page; false when a character has no form here.
    bool fromUtf8(std::string_view utf8, std::string& out) const;
    // The code page of 8-bit text that does not read as UTF-8: the one named with choose(),
    // else the locale's own or, for a UTF-8 locale, the Windows code page of its language (one
    // without letters past ASCII where there is none). Lives as long as this one.
    const CodePage& eightBit() const { return *eightBit_; }

private:
    enum class Kind { singleByte, utf8, otherMultiByte };
    // The present locale's.
    CodePage();
    // Windows code page `number`; 0: none, with nothing past ASCII.
    explicit CodePage(int number);
    static const CodePage& windows(int number);

    Kind kind_ = Kind::singleByte;
    bool asciiOnly_ = false;
    std::unique_ptr<CaseRules> rules_;
    // For each byte of a single-byte locale, the character it stands for (0: none).
    std::array<char32_t, 256> characters_{};
    const CodePage* eightBit_ = this;
};

}  // namespace engine::detail
