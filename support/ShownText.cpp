#include "support/ShownText.h"

#include <cstdint>

namespace {

// The length of the valid UTF-8 sequence of two to four bytes at text[at], and its code point; 0 when
// the bytes there are not one (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or cut by the end of the text).
size_t Utf8Sequence(std::string_view text, size_t at, char32_t& point) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[at + i]); };
    const uint8_t lead = byte(0);
    size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, point = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        point = (point << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return point < min || surrogate || point > 0x10FFFF ? 0 : length;
}

// Code points that print nothing yet change what the reader sees: the C1 controls (a terminal may
// take U+009B as the start of a control sequence), the marks that reorder text from right to left,
// and the line and paragraph separators.
bool IsInvisibleControl(char32_t point) {
    return (point >= 0x80 && point <= 0x9F) || point == 0x061C || point == 0x200E || point == 0x200F ||
           (point >= 0x2028 && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

void AppendHexEscape(std::string& out, uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
}

} // namespace

std::string ShownText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<uint8_t>(text[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
            ++at;
            continue;
        }
        if (byte == '\t' || byte == '\n' || byte == '\r') {
            out += byte == '\t' ? "\\t" : byte == '\n' ? "\\n" : "\\r";
            ++at;
            continue;
        }
        char32_t point = 0;
        const size_t length = byte >= 0x80 ? Utf8Sequence(text, at, point) : 0;
        if (length == 0) {
            AppendHexEscape(out, byte);
            ++at;
            continue;
        }
        for (size_t i = 0; i < length; ++i) {
            if (IsInvisibleControl(point))
                AppendHexEscape(out, static_cast<uint8_t>(text[at + i]));
            else
                out += text[at + i];
        }
        at += length;
    }
    return out;
}
