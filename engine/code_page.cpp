#include "engine/code_page.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <mutex>

#include "engine/engine.h"
#include "engine/unicode.h"

namespace engine::detail {
namespace {

bool nameSaysUtf8(std::string_view name) {
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos ||
           lower.find(".65001") != std::string::npos;
}

// The locale's own folding of its bytes past ASCII; a mapping into or out of ASCII (as in
// Turkish locales) is ignored so that A-Z and a-z always match each other and nothing else.
std::array<unsigned char, 256> byteFolding(bool pastAscii) {
    std::array<unsigned char, 256> fold{};
    for (int c = 0; c < 256; ++c) {
        fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        if (pastAscii && c >= 0x80) {
            const int lower = std::tolower(std::toupper(c));
            if (lower >= 0x80 && lower <= 0xFF) fold[c] = static_cast<unsigned char>(lower);
        }
    }
    return fold;
}

}  // namespace

CodePage::CodePage() {
    const char* name = std::setlocale(LC_CTYPE, nullptr);
    if (MB_CUR_MAX > 1) {
        kind_ = nameSaysUtf8(name != nullptr ? name : "") ? Kind::utf8 : Kind::otherMultiByte;
    }
    if (kind_ == Kind::utf8) return;
    // Bytes past 0x7F of a multi-byte locale are no characters on their own: ASCII folding only.
    rules_ = std::make_unique<CaseRules>(byteFolding(kind_ == Kind::singleByte), false);
    if (kind_ != Kind::singleByte) return;
    for (int c = 1; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        std::mbstate_t state{};
        wchar_t wide = 0;
        if (std::mbrtowc(&wide, &byte, 1, &state) == 1)
            characters_[c] = static_cast<char32_t>(wide);
    }
    asciiOnly_ = std::all_of(characters_.begin() + 0x80, characters_.end(),
                             [](char32_t c) { return c == 0; });
}

std::shared_ptr<const CodePage> CodePage::current() {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const CodePage>> known;
    const std::lock_guard lock(mutex);
    const char* name = std::setlocale(LC_CTYPE, nullptr);
    std::shared_ptr<const CodePage>& page = known[name != nullptr ? name : "C"];
    if (!page) page.reset(new CodePage());
    return page;
}

const CaseRules& CodePage::rules() const {
    return rules_ ? *rules_ : CaseRules::unicode();
}

bool CodePage::fromUtf8(std::string_view utf8, std::string& out) const {
    if (kind_ == Kind::utf8) {
        out.append(utf8);
        return true;
    }
    std::size_t at = 0;
    while (at < utf8.size()) {
        char32_t cp = static_cast<unsigned char>(utf8[at]);
        std::size_t length = 1;
        if (cp >= 0x80) {
            length = decodeUtf8(utf8, at, cp);
            if (length == 0) return false;
        }
        at += length;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (kind_ == Kind::singleByte) {
            int byte = 0x80;
            while (byte < 256 && characters_[byte] != cp) ++byte;
            if (byte == 256) return false;
            out += static_cast<char>(byte);
            continue;
        }
        // Other multi-byte locales: the C library writes the character, if it can.
        if (cp > static_cast<char32_t>(WCHAR_MAX)) return false;
        char bytes[MB_LEN_MAX];
        std::mbstate_t state{};
        const std::size_t written = std::wcrtomb(bytes, static_cast<wchar_t>(cp), &state);
        if (written == static_cast<std::size_t>(-1)) return false;
        out.append(bytes, written);
    }
    return true;
}

}  // namespace engine::detail

namespace engine {

std::optional<std::string> localeTextToUtf8(std::string_view text) {
    std::string out;
    std::mbstate_t state{};
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        wchar_t wide = 0;
        const std::size_t used =
            std::mbrtowc(&wide, at, static_cast<std::size_t>(end - at), &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            // A locale that knows only ASCII (such as "C") leaves UTF-8 the best reading.
            if (detail::readsAsUtf8(text, true)) return std::string(text);
            return std::nullopt;
        }
        detail::appendUtf8(out, static_cast<char32_t>(wide));
        at += used == 0 ? 1 : used;  // 0: a NUL character
    }
    return out;
}

}  // namespace engine
