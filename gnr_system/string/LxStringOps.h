// The searching and comparing algorithms of the strings, over plain
// character arrays: no buffers, no locks. A text is s[0..len).
#pragma once

template <class C> struct LxStrOps {
    // Characters before the terminator, 0 for null; at most max when
    // max >= 0 (nothing past max is read).
    static int Length(const C* text, int max = -1);
    // The first position >= start holding c, -1 when none (start in range).
    static int FindChar(const C* s, int len, C c, int start, bool noCase);
    // The last position <= start holding c, -1 when none (start in range).
    static int ReverseFindChar(const C* s, int len, C c, int start, bool noCase);
    // The first position >= start whose character is in set, -1 when none.
    static int FindOneOf(const C* s, int len, const C* set, int start);
    // The first position >= start where text[0..n) begins, -1 when none.
    static int FindText(const C* s, int len, const C* text, int n, int start, bool noCase);
    // -1, 0 or 1, comparing unsigned characters (after lower-casing both
    // when noCase); a null text is empty.
    static int Compare(const C* a, const C* b, bool noCase);
    // How many leading / trailing characters of s are in set.
    static int SpanLeft(const C* s, int len, const C* set);
    static int SpanRight(const C* s, int len, const C* set);
};
