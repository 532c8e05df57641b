// Library-internal conveniences over LX_WChar2Char and LX_Char2WChar (the
// narrow code page is UTF-8): whole strings in, whole strings out. length is
// in units or bytes, -1 for zero-terminated text.
#pragma once

#include <cstddef>
#include <string>

std::string LX_Utf16ToUtf8(const char16_t* text, ptrdiff_t length = -1);
std::u16string LX_Utf8ToUtf16(const char* text, ptrdiff_t length = -1);
