#include "gnr_system/intl/LxDomainOrder.h"

namespace
{

// Lower-case ASCII with '/' read as '\'.
unsigned char fold(char c)
{
    if (c == '/')
        return '\\';
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c - 'A' + 'a');
    return static_cast<unsigned char>(c);
}

const char* findRoot(const char* text)
{
    static const char root[] = "qvx\\";
    for (; *text; ++text) {
        int matched = 0;
        while (matched < 4 && fold(text[matched]) == static_cast<unsigned char>(root[matched]))
            ++matched;
        if (matched == 4)
            return text;
    }
    return nullptr;
}

int separators(const char* text)
{
    int n = 0;
    for (; *text; ++text)
        n += fold(*text) == '\\';
    return n;
}

int comparePaths(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char x = fold(*a), y = fold(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

} // namespace

int LX_CompareDomain(const char* name, const char* text, bool textIsDomain)
{
    if (!name || !*name || !text || !*text)
        return 1;
    const char* path = findRoot(text);
    if (!path)
        return 1;
    const int depthName = separators(name);
    const int depthText = separators(path) - (textIsDomain ? 1 : 0);
    if (depthName != depthText)
        return depthName < depthText ? -1 : 1;
    return comparePaths(name, path);
}
