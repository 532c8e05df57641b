// Forward declarations of the library's two string classes, for headers that
// only pass strings by reference. CLxStringA and CLxStringW are names of one
// class template, so they cannot be forward-declared as plain classes.
#pragma once

template <class C> class CLxStringT;
template <class C> struct SLxStrBuff;

// Narrow text (UTF-8 bytes).
typedef CLxStringT<char> CLxStringA;
// UTF-16 text in 16-bit units.
typedef CLxStringT<char16_t> CLxStringW;

typedef SLxStrBuff<char> SLxStrBuffA;
typedef SLxStrBuff<char16_t> SLxStrBuffW;
