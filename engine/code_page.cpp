#include "engine/code_page.h"

#include <algorithm>
#include <cctype>
#include <charconv>
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

struct WindowsTable {
    int number;
    char32_t characters[128];  // of bytes 0x80 to 0xFF; 0: none
};
constexpr WindowsTable kWindowsTables[] = {
#include "engine/code_page_tables.inc"
};

// The languages of each Windows code page, as locale names begin ("de_DE.UTF-8"), or with a
// locale's modifier ("sr_RS.UTF-8@latin"). Unlisted languages have no single-byte page.
constexpr std::pair<int, std::string_view> kLanguagePages[] = {
    {1252,
     "c posix af an ast br ca co cy da de en es eu fi fil fo fr fur fy ga gd gl gv id is it kl "
     "kw lb li ms nb nds nl nn no oc pt rm sc sv sw tl wa xh zu"},
    {1250, "bs cs dsb hr hsb hu pl ro sk sl sq sr@latin tk"},
    {1251, "ba be bg cv kk ky mk mn os ru sah sr tg tt uk uz@cyrillic"},
    {1253, "el"},
    {1254, "az tr uz"},
    {1255, "he yi"},
    {1256, "ar fa ps ug ur"},
    {1257, "et lt lv"},
    {1258, "vi"},
    {874, "th"},
};

std::string lowered(std::string_view text) {
    std::string lower;
    for (const char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool nameSaysUtf8(std::string_view name) {
    const std::string lower = lowered(name);
    return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos ||
           lower.find(".65001") != std::string::npos;
}

// Whether `word` is one of the space-separated `words`.
bool listed(std::string_view words, std::string_view word) {
    while (!words.empty()) {
        const std::size_t space = words.find(' ');
        if (words.substr(0, space) == word) return true;
        words.remove_prefix(space == std::string_view::npos ? words.size() : space + 1);
    }
    return false;
}

bool noneAfterAscii(const std::array<char32_t, 256>& characters) {
    return std::all_of(characters.begin() + 0x80, characters.end(),
                       [](char32_t c) { return c == 0; });
}

// Locale pages by locale name and the page chosen when they were made.
struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const CodePage>> known;
    int chosen = 0;  // a Windows code page named instead of the locale's; 0: none
};
Registry& registry() {
    static Registry instance;
    return instance;
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
    asciiOnly_ = noneAfterAscii(characters_);
}

CodePage::CodePage(int number) {
    for (int c = 1; c < 0x80; ++c) characters_[c] = static_cast<char32_t>(c);
    for (const WindowsTable& table : kWindowsTables) {
        if (table.number == number)
            std::copy(std::begin(table.characters), std::end(table.characters),
                      characters_.begin() + 0x80);
    }
    // Bytes past ASCII fold together when their characters do, never into ASCII (so the
    // Turkish dotless i stays apart from "I").
    std::array<char32_t, 256> folded{};
    for (int c = 0x80; c < 256; ++c)
        folded[c] = characters_[c] != 0 ? foldCodePoint(characters_[c]) : 0;
    std::array<unsigned char, 256> fold = byteFolding(false);
    for (int c = 0x80; c < 256; ++c) {
        const auto first = std::find(folded.begin() + 0x80, folded.begin() + c, folded[c]);
        if (folded[c] != 0 && first != folded.begin() + c)
            fold[c] = static_cast<unsigned char>(first - folded.begin());
    }
    rules_ = std::make_unique<CaseRules>(fold, false);
    asciiOnly_ = noneAfterAscii(characters_);
}

const CodePage& CodePage::windows(int number) {
    static const std::map<int, std::unique_ptr<const CodePage>> pages = [] {
        std::map<int, std::unique_ptr<const CodePage>> all;
        all.emplace(0, new CodePage(0));
        for (const WindowsTable& table : kWindowsTables)
            all.emplace(table.number, new CodePage(table.number));
        return all;
    }();
    return *pages.at(number);
}

std::shared_ptr<const CodePage> CodePage::current() {
    Registry& pages = registry();
    const std::lock_guard lock(pages.mutex);
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    const std::string name = locale != nullptr ? locale : "C";
    std::shared_ptr<const CodePage>& page = pages.known[name + '\n' + std::to_string(pages.chosen)];
    if (!page) {
        const std::shared_ptr<CodePage> made(new CodePage());
        if (pages.chosen != 0) {
            made->eightBit_ = &windows(pages.chosen);
        } else if (made->isUtf8()) {
            made->eightBit_ = &windows(windowsPageOf(name));
        }
        page = made;
    }
    return page;
}

bool CodePage::choose(std::string_view name) {
    std::string number = lowered(name);
    for (const std::string_view prefix : {"windows-", "cp"}) {
        if (number.starts_with(prefix)) {
            number.erase(0, prefix.size());
            break;
        }
    }
    int page = 0;
    if (!name.empty()) {
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), page);
        if (error != std::errc() || end != number.data() + number.size() ||
            std::none_of(std::begin(kWindowsTables), std::end(kWindowsTables),
                         [&](const WindowsTable& table) { return table.number == page; })) {
            return false;
        }
    }
    Registry& pages = registry();
    const std::lock_guard lock(pages.mutex);
    pages.chosen = page;
    return true;
}

int CodePage::windowsPageOf(std::string_view name) {
    const std::string language = lowered(name.substr(0, name.find_first_of("_-.@")));
    const std::size_t at = name.find('@');
    const std::string modifier = at == std::string_view::npos ? "" : lowered(name.substr(at));
    // The language with its modifier first ("sr@latin"), then alone.
    for (const std::string& key : {language + modifier, language}) {
        for (const auto& [page, languages] : kLanguagePages) {
            if (listed(languages, key)) return page;
        }
    }
    return 0;
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

bool setCodePage(std::string_view name) {
    return detail::CodePage::choose(name);
}

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
