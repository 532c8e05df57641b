#include "gnr_system/string/LxStringOps.h"

#include <climits>
#include <type_traits>

#include "gnr_system/string/LxStringKind.h"

namespace
{

template <class C> C fold(C c, bool noCase)
{
    return noCase ? LxStrKind<C>::Lower(c) : c;
}

template <class C> bool inSet(C c, const C* set)
{
    for (; *set; ++set)
        if (*set == c)
            return true;
    return false;
}

} // namespace

template <class C> int LxStrOps<C>::Length(const C* text, int max)
{
    if (!text)
        return 0;
    int n = 0;
    while ((max < 0 || n < max) && text[n] && n < INT_MAX)
        ++n;
    return n;
}

template <class C> int LxStrOps<C>::FindChar(const C* s, int len, C c, int start, bool noCase)
{
    C wanted = fold(c, noCase);
    for (int i = start; i < len; ++i)
        if (fold(s[i], noCase) == wanted)
            return i;
    return -1;
}

template <class C> int LxStrOps<C>::ReverseFindChar(const C* s, int, C c, int start, bool noCase)
{
    C wanted = fold(c, noCase);
    for (int i = start; i >= 0; --i)
        if (fold(s[i], noCase) == wanted)
            return i;
    return -1;
}

template <class C> int LxStrOps<C>::FindOneOf(const C* s, int len, const C* set, int start)
{
    for (int i = start; i < len; ++i)
        if (inSet(s[i], set))
            return i;
    return -1;
}

template <class C>
int LxStrOps<C>::FindText(const C* s, int len, const C* text, int n, int start, bool noCase)
{
    C first = fold(text[0], noCase);
    for (int i = start; i <= len - n; ++i) {
        if (fold(s[i], noCase) != first)
            continue;
        int k = 1;
        while (k < n && fold(s[i + k], noCase) == fold(text[k], noCase))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

template <class C> int LxStrOps<C>::Compare(const C* a, const C* b, bool noCase)
{
    typedef typename std::make_unsigned<C>::type U;
    static const C empty = 0;
    a = a ? a : &empty;
    b = b ? b : &empty;
    for (;; ++a, ++b) {
        U x = U(fold(*a, noCase)), y = U(fold(*b, noCase));
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

template <class C> int LxStrOps<C>::SpanLeft(const C* s, int len, const C* set)
{
    int n = 0;
    while (n < len && inSet(s[n], set))
        ++n;
    return n;
}

template <class C> int LxStrOps<C>::SpanRight(const C* s, int len, const C* set)
{
    int n = 0;
    while (n < len && inSet(s[len - 1 - n], set))
        ++n;
    return n;
}

template struct LxStrOps<char>;
template struct LxStrOps<char16_t>;
