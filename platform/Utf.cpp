#include "Utf.h"

#include <string>

namespace mirado {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeFirst = 0xDC80;  // stands for the byte 0x80
constexpr char16_t kEscapeLast = 0xDCFF;   // stands for the byte 0xFF

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsEscapedByte(char16_t c) { return c >= kEscapeFirst && c <= kEscapeLast; }

// Writes c at out and returns the end; out has room for 4 bytes.
char* PutUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The code point of the well-formed UTF-8 sequence at bytes[at], and its
// length; a length of 0 when no such sequence starts there (overlong forms,
// surrogates and values past U+10FFFF are not well formed).
struct Decoded {
    char32_t value;
    size_t length;
};
Decoded DecodeOne(std::string_view bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (at + length > bytes.size()) return {0, 0};
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {0, 0};
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {0, 0};
    return {value, length};
}

}  // namespace

// Paths pass through here several times a file: both conversions write
// into a buffer sized for the longest result and trim it once.
std::string ToUtf8(std::u16string_view text) {
    std::string out(text.size() * 3, '\0');  // at most 3 bytes a unit (4 for 2 units of a pair)
    char* end = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            *end++ = static_cast<char>(c);
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            end = PutUtf8(end, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsEscapedByte(c)) {
            *end++ = static_cast<char>(c - 0xDC00);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            end = PutUtf8(end, kReplacement);
        } else {
            end = PutUtf8(end, c);
        }
    }
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

std::u16string FromUtf8(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');  // never more units than bytes
    char16_t* end = out.data();
    for (size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            *end++ = byte;
            ++at;
            continue;
        }
        const Decoded decoded = DecodeOne(bytes, at);
        if (decoded.length == 0) {
            *end++ = static_cast<char16_t>(0xDC00 + byte);
            ++at;
        } else if (decoded.value < 0x10000) {
            *end++ = static_cast<char16_t>(decoded.value);
            at += decoded.length;
        } else {
            const char32_t c = decoded.value - 0x10000;
            *end++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *end++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            at += decoded.length;
        }
    }
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

bool HasLoneSurrogate(std::u16string_view text) noexcept {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return true;
        }
    }
    return false;
}

std::u16string DisplayText(std::u16string_view text) {
    if (!HasLoneSurrogate(text)) return std::u16string(text);
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back(c);
            out.push_back(text[++i]);
        } else if (IsEscapedByte(c)) {
            const unsigned byte = c - 0xDC00u;
            out += u"\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            out.push_back(static_cast<char16_t>(kReplacement));
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::u16string Decimal(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace mirado
