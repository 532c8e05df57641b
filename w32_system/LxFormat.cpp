// PLACEHOLDER: replaced by the printf engine.
#include "w32_system/LxFormat.h"

#include <cstdio>

int LX_vsnprintfA(char* buffer, size_t size, const char* format, va_list args)
{
    return vsnprintf(buffer, size, format, args);
}
int LX_vsnprintfW(char16_t* buffer, size_t size, const char16_t* format, va_list)
{
    size_t n = 0;
    for (; format[n] && n + 1 < size; ++n)
        buffer[n] = format[n];
    if (size)
        buffer[n] = 0;
    return int(n);
}
int LX_snprintfA(char* buffer, size_t size, const char* format, ...)
{
    va_list a;
    va_start(a, format);
    int r = LX_vsnprintfA(buffer, size, format, a);
    va_end(a);
    return r;
}
int LX_snwprintf(char16_t* buffer, size_t size, const char16_t* format, ...)
{
    va_list a;
    va_start(a, format);
    int r = LX_vsnprintfW(buffer, size, format, a);
    va_end(a);
    return r;
}
