// The C runtime's wide-text functions for UTF-16 text in char16_t units.
// The library never uses the platform's 32-bit wchar_t for stored or exchanged
// text, so these stand in for wcslen, wcscmp, _wcsicmp, towlower and friends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "w32_system/LxExport.h"

// Full Unicode simple case mapping of one UTF-16 unit, independent of the
// process locale. Surrogates and units without a mapping come back unchanged.
LX_EXPORT char16_t lx_towlower(char16_t c);
LX_EXPORT char16_t lx_towupper(char16_t c);

inline size_t lx_wcslen(const char16_t* s)
{
    const char16_t* p = s;
    while (*p)
        ++p;
    return size_t(p - s);
}

inline size_t lx_wcsnlen(const char16_t* s, size_t max)
{
    size_t n = 0;
    while (n < max && s[n])
        ++n;
    return n;
}

inline int lx_wcsncmp(const char16_t* a, const char16_t* b, size_t n)
{
    for (; n; --n, ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (!*a)
            break;
    }
    return 0;
}

inline int lx_wcscmp(const char16_t* a, const char16_t* b)
{
    return lx_wcsncmp(a, b, SIZE_MAX);
}

// Case-insensitive compares fold both sides to lower case, as _wcsicmp does.
inline int lx_wcsnicmp(const char16_t* a, const char16_t* b, size_t n)
{
    for (; n; --n, ++a, ++b) {
        char16_t ca = lx_towlower(*a), cb = lx_towlower(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            break;
    }
    return 0;
}

inline int lx_wcsicmp(const char16_t* a, const char16_t* b)
{
    return lx_wcsnicmp(a, b, SIZE_MAX);
}

inline const char16_t* lx_wcschr(const char16_t* s, char16_t c)
{
    for (;; ++s) {
        if (*s == c)
            return s;
        if (!*s)
            return nullptr;
    }
}

inline const char16_t* lx_wcsrchr(const char16_t* s, char16_t c)
{
    const char16_t* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (!*s)
            return found;
    }
}

inline const char16_t* lx_wcsstr(const char16_t* s, const char16_t* find)
{
    size_t n = lx_wcslen(find);
    if (!n)
        return s;
    for (; *s; ++s)
        if (lx_wcsncmp(s, find, n) == 0)
            return s;
    return nullptr;
}

// Copies at most size - 1 units and always terminates (when size > 0).
// Returns the number of units copied.
inline size_t lx_wcsncpyz(char16_t* dst, const char16_t* src, size_t size)
{
    if (!size)
        return 0;
    size_t n = 0;
    for (; n + 1 < size && src[n]; ++n)
        dst[n] = src[n];
    dst[n] = 0;
    return n;
}

// Leading decimal integer after optional white space and sign; 0 when none.
// Overflow saturates as the C runtime's _wtoi64 does.
inline int64_t lx_wtoi64(const char16_t* s)
{
    while (*s == u' ' || (*s >= u'\t' && *s <= u'\r'))
        ++s;
    bool negative = *s == u'-';
    if (*s == u'-' || *s == u'+')
        ++s;
    uint64_t value = 0;
    bool overflow = false;
    for (; *s >= u'0' && *s <= u'9'; ++s) {
        unsigned digit = unsigned(*s - u'0');
        if (value > (uint64_t(INT64_MAX) + 1 - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (negative)
        return overflow || value > uint64_t(INT64_MAX) ? INT64_MIN : -int64_t(value);
    return overflow || value > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(value);
}

// 32-bit form; saturates at the 32-bit limits.
inline int lx_wtoi(const char16_t* s)
{
    int64_t v = lx_wtoi64(s);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return int(v);
}
