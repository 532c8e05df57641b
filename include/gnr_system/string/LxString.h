// The library's strings: CLxStringA (narrow text, UTF-8 bytes) and CLxStringW
// (UTF-16 text, char16_t units). Both are the one template CLxStringT over the
// character type; everything below holds for both, "character" meaning a byte
// or a 16-bit unit, and "the other kind" the text of the twin class.
//
// A string is a handle on a reference-counted character buffer (SLxStrBuff).
// Copies share the buffer (O(1)); a string makes its buffer private before it
// changes it (copy on write), so a shared buffer is never written. Every empty
// string shares one static buffer per kind, which is never written either.
//
// Capacities are 15, 31, 63, ... (2^k - 1 characters, terminator not
// counted); a buffer's storage never shrinks. A string reserved for n
// characters does not reallocate while it stays within them.
//
// Positions are 0-based; "not found" is -1. A position out of range gives
// the operation's neutral result (-1, 0, an empty string, or no change);
// misuse (a negative start and the like) is also reported through DiagAssertW.
// When storage is refused, a changing operation leaves the string as it was.
//
// Threads: the members that change or copy a string run under one
// process-wide recursive lock (CLxWORMLock_CS::ms_worm_cs); reference counts
// change under the kind's count lock (SLxStrBuff::ms_cs), always taken after
// the member lock. Strings may therefore be copied, shared, changed and
// released on several threads, and a copy may be taken of a string that
// another thread assigns. The inline accessors (GetLength, GetString, GetAt,
// ...) read the string without the lock: their results are only meaningful
// while no other thread changes that same string object.
#pragma once

#include <cstdarg>

#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxExport.h"
#include "w32_system/LxMutexCS.h"

// The character type of the twin class.
template <class C> struct LxOtherCharOf;
template <> struct LxOtherCharOf<char> {
    typedef char16_t type;
};
template <> struct LxOtherCharOf<char16_t> {
    typedef char type;
};

// The member lock of the string classes. It has no state: rLock and wLock
// take the process-wide lock, rUnLock and wUnLock leave it; all return 0.
class LX_EXPORT CLxWORMLock_CS
{
  public:
    int rLock();
    int rUnLock();
    int wLock();
    int wUnLock();

    static pthread_mutexCS_t ms_worm_cs;
};

// One character buffer, shared by the strings that hold it.
template <class C> struct LX_EXPORT SLxStrBuff {
    int m_nSize;      // characters, terminator not counted
    int m_nAllocated; // capacity; the storage holds m_nAllocated + 1 characters
    int m_nRefs;      // strings sharing it (1: one owner); atomic, changed under ms_cs
    C* m_pData;       // zero-terminated storage from the private heap, or null

    // Length 0, capacity 0, count 1, no storage.
    SLxStrBuff();
    // The same, then Reserve(nReserve); m_pData stays null when that fails.
    explicit SLxStrBuff(int nReserve);
    // Frees the storage.
    ~SLxStrBuff();
    // A buffer owns its storage: copying the record would free it twice.
    SLxStrBuff(const SLxStrBuff&) = delete;
    SLxStrBuff& operator=(const SLxStrBuff&) = delete;

    // Makes room for at least n characters and returns the storage. Grows by
    // doubling from capacity + 1 (16 when there is no storage) until n
    // characters fit; the text and its terminator are kept. Null when the
    // storage is refused or would exceed 2^31 - 1 characters; the buffer is
    // then unchanged.
    C* Reserve(int n);
    // Frees the storage: length, capacity and m_pData become 0.
    void Free();
    // A new buffer (count 1) with the same text and capacity, but at least
    // Reserve(nMinCapacity) of room; null when storage is refused.
    SLxStrBuff* CloneContent(int nMinCapacity = 0) const;

    // The kind's count lock, taken for every change of m_nRefs.
    static void Lock();
    static void UnLock();
    static pthread_mutexCS_t ms_cs;

    // The kind's shared empty buffer: capacity 15, count never below 1 (it
    // holds a reference of its own), static storage that is never freed, so
    // strings may live in static objects of any module. Read only.
    static const SLxStrBuff* SharedEmpty();

  private:
    struct StaticTag {
    };
    constexpr SLxStrBuff(StaticTag, C* storage, int capacity)
        : m_nSize(0), m_nAllocated(capacity), m_nRefs(1), m_pData(storage)
    {
    }
};

template <class C> class LX_EXPORT CLxStringT
{
  public:
    typedef C XCHAR;                               // own character kind
    typedef typename LxOtherCharOf<C>::type YCHAR; // the other kind
    typedef SLxStrBuff<C> Buffer;

    // ---- Construction. A reservation is only a starting capacity: the whole
    // text is always taken. Texts of the other kind are converted (UTF-8 <->
    // UTF-16, invalid input becomes U+FFFD). A null text is an empty text.

    // Empty (shares the empty buffer; allocates nothing).
    CLxStringT();
    // Empty, reserved for nReserve characters when nReserve > 0.
    explicit CLxStringT(int nReserve);
    // Shares src's buffer.
    CLxStringT(const CLxStringT& src);
    CLxStringT(const C* text, int nReserve = 0);
    CLxStringT(const YCHAR* text, int nReserve = 0);
    ~CLxStringT();

    // ---- Assignment (all return the string).

    // Shares src's buffer (nothing when both already share it).
    CLxStringT& operator=(const CLxStringT& src);
    // Copies the text (nothing when it is this string's own text).
    CLxStringT& operator=(const C* text);
    CLxStringT& operator=(const YCHAR* text);
    // One character (a zero character gives an empty string).
    CLxStringT& operator=(C ch);
    CLxStringT& operator=(YCHAR ch);

    // ---- Concatenation (all return the string).

    // The text's first n characters; n < 0, or n beyond the text's
    // terminator, takes the whole text. Never reads past n characters.
    CLxStringT& AddChars(const C* text, int n);
    // The whole text (appending a string to itself works).
    CLxStringT& AddString(const CLxStringT& str);
    CLxStringT& AddString(const C* text);
    CLxStringT& AddString(const YCHAR* text);
    // One character; one of the other kind is converted (a byte that is not a
    // whole UTF-8 character, or a lone surrogate, becomes U+FFFD). A zero
    // character adds nothing.
    CLxStringT& AddChar(C ch);
    CLxStringT& AddChar(YCHAR ch);
    // "%d" of value.
    CLxStringT& AddInt(int value);
    // value in fixed notation with nDigits decimals ("%.*f"; 1.5 with 2
    // digits gives "1.50"); a negative nDigits means 6, as in printf.
    CLxStringT& AddDouble(double value, int nDigits);

    CLxStringT& operator+=(const CLxStringT& str) { return AddString(str); }
    CLxStringT& operator+=(const C* text) { return AddString(text); }
    CLxStringT& operator+=(const YCHAR* text) { return AddString(text); }
    CLxStringT& operator+=(C ch) { return AddChar(ch); }
    CLxStringT& operator+=(YCHAR ch) { return AddChar(ch); }

    // ---- Access (without the lock, see the top of this file).

    int GetLength() const { return m_pBuffer->m_nSize; }
    bool IsEmpty() const { return m_pBuffer->m_nSize == 0; }
    // The capacity in characters, terminator not counted.
    int GetBufferLength() const { return m_pBuffer->m_nAllocated; }
    // The zero-terminated text, never null. Valid until the string changes.
    const C* GetString() const { return m_pszData; }
    operator const C*() const { return m_pszData; }
    // The character at i, or 0 when i < 0 or i >= the length.
    C GetAt(int i) const { return i >= 0 && i < m_pBuffer->m_nSize ? m_pszData[i] : C(0); }
    C operator[](int i) const { return GetAt(i); }
    // The last character, 0 for an empty string.
    C GetLastChar() const { return GetAt(m_pBuffer->m_nSize - 1); }

    // ---- Buffer management.

    // Length 0; the capacity is kept.
    void Empty();
    // Drops the buffer and starts a new private one of capacity 15.
    void Reset();
    // Makes room for n characters. 0, or -3 when the storage is refused
    // (the string is then unchanged).
    int Preallocate(int n);
    // Nothing to do: storage is released with the buffers.
    static void CompactFreeMemory() {}

    // ---- Copying out. Writes at most size - 1 characters and a terminator
    // and returns the characters written (terminator not counted); a text of
    // the other kind is converted first, and never cut inside a character
    // (a UTF-8 sequence or a surrogate pair). 0, writing nothing, for a null
    // dst or size < 1.
    int CopyToBufferA(char* dst, int size) const;
    int CopyToBufferW(char16_t* dst, int size) const;

    // ---- Formatting with the library's printf engine (LxFormat.h): "%s" is a
    // text of the format's own kind, "%S" of the other kind, "%hs" always
    // narrow, "%ls" always UTF-16; I64 and ll take 64-bit integers, l 32-bit.
    // The arguments may point into this string. A bad format is reported and
    // adds nothing.

    // Replaces the text by the formatted text (the capacity is kept).
    CLxStringT& Format(const C* format, ...);
    CLxStringT& FormatV(const C* format, va_list args);
    // Appends the formatted text.
    CLxStringT& AppendFormat(const C* format, ...);
    CLxStringT& AppendFormatV(const C* format, va_list args);

    // ---- Extracting (new strings; this string is unchanged).

    // count characters from start; count < 0 means up to the end, and count
    // is cut there. Empty for start >= length or count 0; a negative start is
    // reported and gives an empty string.
    CLxStringT Mid(int start, int count = -1) const;
    // The first n characters; the whole string when n >= length or n < 0.
    CLxStringT Left(int n) const;
    // The last n characters; the whole string when n >= length, empty when
    // n < 0.
    CLxStringT Right(int n) const;

    // ---- Searching. The NoCase forms compare lower-cased characters
    // (CLxStringA: ASCII letters only, as in the C locale; CLxStringW: the
    // Unicode simple case mapping, lx_towlower).

    // The first position >= start holding ch; -1 when start < 0 or
    // start >= length, or when ch is 0.
    int Find(C ch, int start = 0) const;
    int FindNoCase(C ch, int start = 0) const;
    // The last position <= start holding ch; a negative start means the last
    // character. -1 when start >= length (it is not clamped).
    int ReverseFind(C ch, int start = -1) const;
    int ReverseFindNoCase(C ch, int start = -1) const;
    // The first position >= start whose character is in set; -1 for a null
    // or empty set, or start outside the string.
    int FindOneOf(const C* set, int start = 0) const;
    // The first position >= start where text begins; -1 for a null or empty
    // text, start < 0, or when the text cannot fit after start.
    int Find(const C* text, int start = 0) const;
    int FindNoCase(const C* text, int start = 0) const;

    // ---- Comparing: -1, 0 or 1. Narrow text compares as unsigned bytes,
    // UTF-16 as unsigned units. A null text compares as an empty text.

    int Compare(const C* text) const;
    int CompareNoCase(const C* text) const;
    // Compare == 0, < 0, <= 0. A text of the other kind is converted first.
    bool Equals(const CLxStringT& str) const;
    bool Equals(const C* text) const;
    bool Equals(const YCHAR* text) const;
    bool Less(const CLxStringT& str) const;
    bool Less(const C* text) const;
    bool Less(const YCHAR* text) const;
    bool LessEqual(const CLxStringT& str) const;
    bool LessEqual(const C* text) const;
    bool LessEqual(const YCHAR* text) const;

    // ---- Editing (each returns the string unless stated).

    // Stores ch at i (a zero character cuts the string there) and returns
    // 0; -6 when i < 0 or i >= length, -3 when storage is refused.
    int SetAt(int i, C ch);
    // The length becomes i when 0 <= i < length; otherwise nothing.
    CLxStringT& TruncateAt(int i);
    // Removes count characters at start; count < 0, or a count reaching the
    // end, cuts the string at start. start >= length empties the string; a
    // negative start is reported and changes nothing.
    CLxStringT& Delete(int start, int count);
    // Delete(0, n): the first n characters (all when n >= length or n < 0).
    CLxStringT& DeleteLeft(int n);
    // TruncateAt(length - n): the last n characters; nothing when n > length
    // or n <= 0.
    CLxStringT& DeleteRight(int n);
    // Removes the leading / trailing / both characters that are in set; a
    // null set means the space character alone (tabs and line ends stay).
    CLxStringT& TrimLeft(const C* set = nullptr);
    CLxStringT& TrimRight(const C* set = nullptr);
    CLxStringT& Trim(const C* set = nullptr);
    // Removes every ch; returns how many were removed.
    int Remove(C ch);
    // Replaces every occurrence of oldText, searched from the start and
    // never overlapping or inside a replacement, by newText (null: by
    // nothing). Returns the number of replacements; a null or empty oldText
    // replaces nothing.
    int Replace(const C* oldText, const C* newText);
    int ReplaceNoCase(const C* oldText, const C* newText);
    // Replaces the count characters at start by text. Reported and nothing
    // changes when count < 1, start < 0 or start + count > length.
    CLxStringT& ReplaceAt(int start, int count, const C* text);
    // Inserts the first n characters of text (all when n < 0 or n beyond the
    // text) before position; position == length appends. A position outside
    // 0..length is reported and nothing changes.
    CLxStringT& Insert(const C* text, int position, int n = -1);
    // Appends '/' unless the string already ends in '/' or '\'; an empty
    // string becomes "/".
    CLxStringT& EndInSlash();

    // ---- Case (the same mappings as the NoCase searches).
    CLxStringT& MakeLower();
    CLxStringT& MakeUpper();

    // ---- Free operators (through Equals, Less and LessEqual, and new
    // strings for +).
    friend bool operator==(const CLxStringT& a, const CLxStringT& b) { return a.Equals(b); }
    friend bool operator==(const CLxStringT& a, const C* b) { return a.Equals(b); }
    friend bool operator==(const C* a, const CLxStringT& b) { return b.Equals(a); }
    friend bool operator!=(const CLxStringT& a, const CLxStringT& b) { return !a.Equals(b); }
    friend bool operator!=(const CLxStringT& a, const C* b) { return !a.Equals(b); }
    friend bool operator!=(const C* a, const CLxStringT& b) { return !b.Equals(a); }
    friend bool operator<(const CLxStringT& a, const CLxStringT& b) { return a.Less(b); }
    friend bool operator<(const CLxStringT& a, const C* b) { return a.Less(b); }
    friend bool operator<(const C* a, const CLxStringT& b) { return !b.LessEqual(a); }
    friend bool operator<=(const CLxStringT& a, const CLxStringT& b) { return a.LessEqual(b); }
    friend bool operator<=(const CLxStringT& a, const C* b) { return a.LessEqual(b); }
    friend bool operator<=(const C* a, const CLxStringT& b) { return !b.Less(a); }
    friend bool operator>(const CLxStringT& a, const CLxStringT& b) { return !a.LessEqual(b); }
    friend bool operator>(const CLxStringT& a, const C* b) { return !a.LessEqual(b); }
    friend bool operator>(const C* a, const CLxStringT& b) { return b.Less(a); }
    friend bool operator>=(const CLxStringT& a, const CLxStringT& b) { return !a.Less(b); }
    friend bool operator>=(const CLxStringT& a, const C* b) { return !a.Less(b); }
    friend bool operator>=(const C* a, const CLxStringT& b) { return b.LessEqual(a); }

    friend CLxStringT operator+(const CLxStringT& a, const CLxStringT& b)
    {
        return Concat(a.m_pszData, a.GetLength(), b.m_pszData, b.GetLength());
    }
    friend CLxStringT operator+(const CLxStringT& a, const C* b) { return Concat(a, b, -1); }
    friend CLxStringT operator+(const C* a, const CLxStringT& b) { return Concat(a, -1, b); }
    friend CLxStringT operator+(const CLxStringT& a, C b) { return Concat(a, &b, b ? 1 : 0); }
    friend CLxStringT operator+(C a, const CLxStringT& b) { return Concat(&a, a ? 1 : 0, b); }

  private:
    // A new string of a's n1 first characters then b's n2 (n < 0: up to the
    // terminator), reserved for both.
    static CLxStringT Concat(const C* a, int n1, const C* b, int n2);
    static CLxStringT Concat(const CLxStringT& a, const C* b, int n2)
    {
        return Concat(a.m_pszData, a.GetLength(), b, n2);
    }
    static CLxStringT Concat(const C* a, int n1, const CLxStringT& b)
    {
        return Concat(a, n1, b.m_pszData, b.GetLength());
    }

    static Buffer* AddRef(Buffer* buffer);
    // A private buffer reserved for nReserve characters; null when refused.
    static Buffer* NewBuffer(int nReserve);
    void Attach(Buffer* buffer);
    void Release();
    bool Overlaps(const C* text) const;
    // Copy on write, then room for nMinCapacity characters.
    bool MakeWritable(int nMinCapacity);
    bool ReserveOwn(int nMinCapacity);
    // The one edit: the removed characters at start become text[0..n).
    // False, with the string unchanged, when storage is refused.
    bool Splice(int start, int removed, const C* text, int n);
    bool Append(const C* text, int n) { return Splice(GetLength(), 0, text, n); }
    bool AppendOther(const YCHAR* text);
    bool PrintV(const C* format, va_list args);
    int FindCharFrom(C ch, int start, bool noCase) const;
    int ReverseFindCharFrom(C ch, int start, bool noCase) const;
    int FindTextFrom(const C* text, int start, bool noCase) const;
    int ReplaceGeneral(const C* oldText, const C* newText, bool noCase);
    CLxStringT& TrimSet(const C* set, bool left, bool right);
    template <class Map> CLxStringT& MapChars(Map map);

    Buffer* m_pBuffer;  // never null
    const C* m_pszData; // m_pBuffer->m_pData, never null

    template <class> friend class CLxStringT;
    friend struct LxStringInspector; // tests
};

extern template struct LX_EXPORT SLxStrBuff<char>;
extern template struct LX_EXPORT SLxStrBuff<char16_t>;
extern template class LX_EXPORT CLxStringT<char>;
extern template class LX_EXPORT CLxStringT<char16_t>;
