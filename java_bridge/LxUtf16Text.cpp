#include "java_bridge/LxUtf16Text.h"

#include <charconv>

namespace lxjava
{

void AppendAscii(std::u16string& text, const char* ascii)
{
    for (; *ascii; ++ascii)
        text.push_back(char16_t(static_cast<unsigned char>(*ascii)));
}

void AppendFixed2(std::u16string& text, double value)
{
    // The largest double has 309 integer digits.
    char digits[330];
    const std::to_chars_result end =
        std::to_chars(digits, digits + sizeof(digits) - 1, value, std::chars_format::fixed, 2);
    *end.ptr = '\0';
    AppendAscii(text, digits);
}

void AppendName(std::u16string& text, const char16_t* name, size_t length)
{
    for (size_t i = 0; i < length && name[i]; ++i)
        text.push_back(name[i]);
}

std::string ToUtf8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace lxjava
