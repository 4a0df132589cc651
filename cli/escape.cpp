#include "cli/escape.h"

namespace cli {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendHex(std::string& out, unsigned char byte, std::string_view prefix) {
    out += prefix;
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

unsigned char byteAt(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

}  // namespace

std::size_t utf8CharLength(std::string_view text, std::size_t at) {
    const unsigned char lead = byteAt(text, at);
    std::size_t length = 0;
    char32_t low = 0;  // the smallest code point of that length, to refuse overlong forms
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    char32_t cp = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(text, at + i);
        if ((next & 0xC0u) != 0x80u) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < low || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return length;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8CharLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void appendForTerminal(std::string& out, std::string_view text, bool utf8Terminal) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char byte = byteAt(text, i);
        if ((byte >= 0x20 && byte < 0x7F) || byte == '\t') {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const std::size_t length = byte >= 0x80 && utf8Terminal ? utf8CharLength(text, i) : 0;
        // U+0080..U+009F (C2 80..C2 9F) are control characters: terminals act on them.
        const bool c1Control = length == 2 && byte == 0xC2 && byteAt(text, i + 1) < 0xA0;
        if (length == 0 || c1Control) {
            appendHex(out, byte, "\\x");
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
}

void appendJsonString(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char byte = byteAt(text, i);
        if (byte >= 0x80) {
            const std::size_t length = utf8CharLength(text, i);
            if (length == 0) {
                appendHex(out, byte, "\\\\x");
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    appendHex(out, byte, "\\u00");
                } else {
                    out += static_cast<char>(byte);
                }
        }
        ++i;
    }
}

}  // namespace cli
