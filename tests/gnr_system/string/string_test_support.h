// Helpers of the string tests: texts of either kind from UTF-8 literals, a
// look inside a string's buffer, and the two string kinds as a type list.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "gnr_system/string/LxString.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

// Reads the buffer a string holds (the class befriends this name).
struct LxStringInspector {
    template <class C> static const SLxStrBuff<C>* Buffer(const CLxStringT<C>& s)
    {
        return s.m_pBuffer;
    }
    template <class C> static int Refs(const CLxStringT<C>& s) { return s.m_pBuffer->m_nRefs; }
};

template <class C> std::basic_string<C> TextOf(const char* utf8)
{
    if constexpr (std::is_same<C, char>::value)
        return utf8;
    else
        return LX_Utf8ToUtf16(utf8);
}

// A text of the string kind S, written as a UTF-8 literal: s.Find(Txt<S>("bc")).
template <class S> struct Txt {
    typedef typename S::XCHAR C;
    explicit Txt(const char* utf8) : text(TextOf<C>(utf8)) {}
    operator const C*() const { return text.c_str(); }
    std::basic_string<C> text;
};

// The other kind's text for S.
template <class S> struct OtherTxt {
    typedef typename S::YCHAR C;
    explicit OtherTxt(const char* utf8) : text(TextOf<C>(utf8)) {}
    operator const C*() const { return text.c_str(); }
    std::basic_string<C> text;
};

template <class S> S Make(const char* utf8)
{
    return S(static_cast<const typename S::XCHAR*>(Txt<S>(utf8)));
}

// The string's text as UTF-8, for readable expectations.
inline std::string Utf8(const CLxStringA& s)
{
    return s.GetString();
}

inline std::string Utf8(const CLxStringW& s)
{
    return LX_Utf16ToUtf8(s.GetString());
}

// The whole text, embedded zeros included.
inline std::u16string ToU16(const CLxStringW& s)
{
    return std::u16string(s.GetString(), size_t(s.GetLength()));
}

typedef ::testing::Types<CLxStringA, CLxStringW> LxStringKinds;

// Names the typed suites' instances "A" and "W".
struct LxStringKindNames {
    template <class S> static std::string GetName(int)
    {
        return std::is_same<S, CLxStringA>::value ? "A" : "W";
    }
};
