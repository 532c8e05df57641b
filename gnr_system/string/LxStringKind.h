// What differs between narrow and UTF-16 strings: case mapping, the printf
// engine, conversion from the other kind and where a character may be cut.
// Everything else is written once over the character type.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "w32_system/LxFormat.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxWideCrt.h"

template <class C> struct LxStrKind;

template <> struct LxStrKind<char> {
    // ASCII letters only, as the C locale does: UTF-8 bytes above 0x7F stay.
    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }
    static char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c; }
    static int VFormat(char* buffer, size_t size, const char* format, va_list args)
    {
        return LX_vsnprintfA(buffer, size, format, args);
    }
    // UTF-16 to UTF-8; with size 0 the bytes needed.
    static int FromOther(const char16_t* text, int n, char* dst, int size)
    {
        return LX_WChar2Char(text, n, dst, size);
    }
    // Where a text may be cut to at most count bytes without splitting a
    // UTF-8 sequence: before the lead byte of a sequence that count cuts.
    static int CutPoint(const char* text, int count)
    {
        for (int p = count - 1; p >= 0 && p >= count - 3; --p) {
            auto b = static_cast<unsigned char>(text[p]);
            if ((b & 0xC0) == 0x80)
                continue;
            int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            return p + length > count ? p : count;
        }
        return count;
    }
    static constexpr const char* kIntFormat = "%d";
    static constexpr const char* kDoubleFormat = "%.*f";
    static constexpr const char* kSpace = " ";
};

template <> struct LxStrKind<char16_t> {
    static char16_t Lower(char16_t c) { return lx_towlower(c); }
    static char16_t Upper(char16_t c) { return lx_towupper(c); }
    static int VFormat(char16_t* buffer, size_t size, const char16_t* format, va_list args)
    {
        return LX_vsnprintfW(buffer, size, format, args);
    }
    static int FromOther(const char* text, int n, char16_t* dst, int size)
    {
        return LX_Char2WChar(text, n, dst, size);
    }
    // The same for UTF-16: never after the high half of a surrogate pair.
    static int CutPoint(const char16_t* text, int count)
    {
        return count > 0 && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF ? count - 1
                                                                                   : count;
    }
    static constexpr const char16_t* kIntFormat = u"%d";
    static constexpr const char16_t* kDoubleFormat = u"%.*f";
    static constexpr const char16_t* kSpace = u" ";
};
