// CLxStringA and CLxStringW: one template over the character type. Every
// change goes through Splice, which makes the buffer private first (copy on
// write), so shared buffers and the shared empty buffers are never written.
#include "gnr_system/string/LxString.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>

#include "gnr_system/string/LxStringKind.h"
#include "gnr_system/string/LxStringOps.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

// Held by every member that reads, copies or changes a string, for its whole
// run; the count locks are only ever taken inside it.
class MemberLock
{
  public:
    MemberLock() { pthread_mutexCS_lock(&CLxWORMLock_CS::ms_worm_cs); }
    ~MemberLock() { pthread_mutexCS_unlock(&CLxWORMLock_CS::ms_worm_cs); }
    MemberLock(const MemberLock&) = delete;
    MemberLock& operator=(const MemberLock&) = delete;
};

constexpr int kResetCapacity = 15;

// Copies at most size - 1 characters and a terminator, never cutting a
// character in two.
template <class D> int copyOut(const D* text, int length, D* dst, int size)
{
    if (!dst || size < 1)
        return 0;
    int count = length < size ? length : LxStrKind<D>::CutPoint(text, size - 1);
    memcpy(dst, text, size_t(count) * sizeof(D));
    dst[count] = 0;
    return count;
}

template <class D, class C> int copyOutAs(const CLxStringT<C>& s, D* dst, int size)
{
    if constexpr (std::is_same<C, D>::value) {
        return copyOut(s.GetString(), s.GetLength(), dst, size);
    } else {
        CLxStringT<D> converted(s.GetString());
        return copyOut(converted.GetString(), converted.GetLength(), dst, size);
    }
}

// Strings only ever count their references to it; its text is never written.
template <class C> SLxStrBuff<C>* sharedEmpty()
{
    return const_cast<SLxStrBuff<C>*>(SLxStrBuff<C>::SharedEmpty());
}

} // namespace

// ---- Buffers and sharing

template <class C> typename CLxStringT<C>::Buffer* CLxStringT<C>::AddRef(Buffer* buffer)
{
    Buffer::Lock();
    __atomic_add_fetch(&buffer->m_nRefs, 1, __ATOMIC_ACQ_REL);
    Buffer::UnLock();
    return buffer;
}

template <class C> typename CLxStringT<C>::Buffer* CLxStringT<C>::NewBuffer(int nReserve)
{
    auto* buffer = new (std::nothrow) Buffer(nReserve);
    if (buffer && !buffer->m_pData) {
        delete buffer;
        buffer = nullptr;
    }
    return buffer;
}

template <class C> void CLxStringT<C>::Attach(Buffer* buffer)
{
    m_pBuffer = buffer;
    m_pszData = buffer->m_pData;
}

template <class C> void CLxStringT<C>::Release()
{
    Buffer::Lock();
    // The shared empty buffer keeps a reference of its own: never freed.
    bool last = __atomic_sub_fetch(&m_pBuffer->m_nRefs, 1, __ATOMIC_ACQ_REL) <= 0;
    Buffer::UnLock();
    if (last)
        delete m_pBuffer;
}

template <class C> bool CLxStringT<C>::Overlaps(const C* text) const
{
    std::less_equal<const C*> le;
    return le(m_pszData, text) && le(text, m_pszData + GetBufferLength());
}

template <class C> bool CLxStringT<C>::MakeWritable(int nMinCapacity)
{
    // A buffer with one owner is reached only through this string, whose
    // member lock the caller holds: nobody can start sharing it meanwhile,
    // so its count needs no lock.
    if (__atomic_load_n(&m_pBuffer->m_nRefs, __ATOMIC_ACQUIRE) == 1)
        return ReserveOwn(nMinCapacity);
    Buffer::Lock();
    if (m_pBuffer->m_nRefs > 1) {
        Buffer* clone = m_pBuffer->CloneContent(nMinCapacity);
        if (!clone) {
            Buffer::UnLock();
            return false;
        }
        __atomic_sub_fetch(&m_pBuffer->m_nRefs, 1, __ATOMIC_ACQ_REL);
        Attach(clone);
    }
    Buffer::UnLock();
    return ReserveOwn(nMinCapacity);
}

template <class C> bool CLxStringT<C>::ReserveOwn(int nMinCapacity)
{
    if (!m_pBuffer->Reserve(nMinCapacity))
        return false;
    m_pszData = m_pBuffer->m_pData;
    return true;
}

template <class C> bool CLxStringT<C>::Splice(int start, int removed, const C* text, int n)
{
    if (removed == 0 && n == 0)
        return true;
    if (n > 0 && Overlaps(text)) {
        // The text lives in this string's storage, which is about to move.
        CLxStringT copy;
        return copy.Append(text, n) && Splice(start, removed, copy.m_pszData, n);
    }
    int length = GetLength();
    int64_t newLength = int64_t(length) - removed + n;
    if (newLength > INT32_MAX || !MakeWritable(int(newLength)))
        return false;
    C* data = m_pBuffer->m_pData;
    memmove(data + start + n, data + start + removed, size_t(length - start - removed) * sizeof(C));
    if (n > 0)
        memcpy(data + start, text, size_t(n) * sizeof(C));
    data[newLength] = 0;
    m_pBuffer->m_nSize = int(newLength);
    return true;
}

template <class C> bool CLxStringT<C>::AppendOther(const YCHAR* text)
{
    int n = LxStrOps<YCHAR>::Length(text);
    int needed = n ? LxStrKind<C>::FromOther(text, n, nullptr, 0) : 0;
    if (needed <= 0)
        return needed == 0 && n == 0;
    int length = GetLength();
    if (int64_t(length) + needed > INT32_MAX || !MakeWritable(length + needed))
        return false;
    C* data = m_pBuffer->m_pData;
    length += LxStrKind<C>::FromOther(text, n, data + length, needed);
    data[length] = 0;
    m_pBuffer->m_nSize = length;
    return true;
}

// ---- Construction and assignment

template <class C> CLxStringT<C>::CLxStringT()
{
    Attach(AddRef(sharedEmpty<C>()));
}

template <class C> CLxStringT<C>::CLxStringT(int nReserve)
{
    Buffer* buffer = nReserve > 0 ? NewBuffer(nReserve) : nullptr;
    Attach(buffer ? buffer : AddRef(sharedEmpty<C>()));
}

template <class C> CLxStringT<C>::CLxStringT(const CLxStringT& src)
{
    // Under the member lock, so that src may be assigned on another thread.
    MemberLock lock;
    Attach(AddRef(src.m_pBuffer));
}

template <class C> CLxStringT<C>::CLxStringT(const C* text, int nReserve) : CLxStringT(nReserve)
{
    Append(text, LxStrOps<C>::Length(text));
}

template <class C> CLxStringT<C>::CLxStringT(const YCHAR* text, int nReserve) : CLxStringT(nReserve)
{
    AppendOther(text);
}

template <class C> CLxStringT<C>::~CLxStringT()
{
    Release();
}

template <class C> CLxStringT<C>& CLxStringT<C>::operator=(const CLxStringT& src)
{
    MemberLock lock;
    if (src.m_pBuffer != m_pBuffer) {
        Buffer* shared = AddRef(src.m_pBuffer);
        Release();
        Attach(shared);
    }
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::operator=(const C* text)
{
    MemberLock lock;
    if (text != m_pszData)
        Splice(0, GetLength(), text, LxStrOps<C>::Length(text));
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::operator=(const YCHAR* text)
{
    MemberLock lock;
    return *this = CLxStringT(text);
}

template <class C> CLxStringT<C>& CLxStringT<C>::operator=(C ch)
{
    MemberLock lock;
    Splice(0, GetLength(), &ch, ch ? 1 : 0);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::operator=(YCHAR ch)
{
    MemberLock lock;
    Empty();
    return AddChar(ch);
}

// ---- Concatenation

template <class C> CLxStringT<C>& CLxStringT<C>::AddChars(const C* text, int n)
{
    MemberLock lock;
    Append(text, LxStrOps<C>::Length(text, n < 0 ? -1 : n));
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddString(const CLxStringT& str)
{
    MemberLock lock;
    Append(str.m_pszData, str.GetLength());
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddString(const C* text)
{
    return AddChars(text, -1);
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddString(const YCHAR* text)
{
    MemberLock lock;
    AppendOther(text);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddChar(C ch)
{
    MemberLock lock;
    Append(&ch, ch ? 1 : 0);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddChar(YCHAR ch)
{
    const YCHAR text[2] = {ch, 0};
    return AddString(text);
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddInt(int value)
{
    return AppendFormat(LxStrKind<C>::kIntFormat, value);
}

template <class C> CLxStringT<C>& CLxStringT<C>::AddDouble(double value, int nDigits)
{
    return AppendFormat(LxStrKind<C>::kDoubleFormat, nDigits, value);
}

template <class C> CLxStringT<C> CLxStringT<C>::Concat(const C* a, int n1, const C* b, int n2)
{
    MemberLock lock;
    n1 = LxStrOps<C>::Length(a, n1);
    n2 = LxStrOps<C>::Length(b, n2);
    CLxStringT result(int64_t(n1) + n2 > INT32_MAX ? 0 : n1 + n2);
    if (result.Append(a, n1))
        result.Append(b, n2);
    return result;
}

// ---- Buffer management

template <class C> void CLxStringT<C>::Empty()
{
    MemberLock lock;
    if (!IsEmpty() && !Splice(0, GetLength(), nullptr, 0)) {
        // No storage for a private copy: empty is empty all the same.
        Buffer* empty = AddRef(sharedEmpty<C>());
        Release();
        Attach(empty);
    }
}

template <class C> void CLxStringT<C>::Reset()
{
    MemberLock lock;
    Buffer* fresh = NewBuffer(kResetCapacity);
    if (!fresh)
        fresh = AddRef(sharedEmpty<C>());
    Release();
    Attach(fresh);
}

template <class C> int CLxStringT<C>::Preallocate(int n)
{
    MemberLock lock;
    return MakeWritable(n) ? 0 : -3;
}

// ---- Copying out and formatting

template <class C> int CLxStringT<C>::CopyToBufferA(char* dst, int size) const
{
    MemberLock lock;
    return copyOutAs(*this, dst, size);
}

template <class C> int CLxStringT<C>::CopyToBufferW(char16_t* dst, int size) const
{
    MemberLock lock;
    return copyOutAs(*this, dst, size);
}

template <class C> bool CLxStringT<C>::PrintV(const C* format, va_list args)
{
    if (!format)
        return false;
    // The engine reports the whole length, so one pass sizes the storage.
    va_list counting;
    va_copy(counting, args);
    int n = LxStrKind<C>::VFormat(nullptr, 0, format, counting);
    va_end(counting);
    if (n < 0) {
        LX_DIAG_ASSERT_TEXT(u"nCount >= 0", u"bad format");
        return false;
    }
    if (n == 0)
        return true;
    if (!MakeWritable(n))
        return false;
    LxStrKind<C>::VFormat(m_pBuffer->m_pData, size_t(n) + 1, format, args);
    m_pBuffer->m_nSize = n;
    return true;
}

template <class C> CLxStringT<C>& CLxStringT<C>::Format(const C* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::FormatV(const C* format, va_list args)
{
    MemberLock lock;
    // Formatted aside first: the arguments may point into this string.
    CLxStringT text;
    bool printed = text.PrintV(format, args);
    Empty();
    if (printed)
        Append(text.m_pszData, text.GetLength());
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AppendFormat(const C* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::AppendFormatV(const C* format, va_list args)
{
    MemberLock lock;
    CLxStringT text;
    if (text.PrintV(format, args))
        Append(text.m_pszData, text.GetLength());
    return *this;
}

// ---- Extracting

template <class C> CLxStringT<C> CLxStringT<C>::Mid(int start, int count) const
{
    MemberLock lock;
    if (start < 0) {
        LX_DIAG_ASSERT_TEXT(u"nStart < 0", u"Mid with a negative start");
        return CLxStringT();
    }
    int length = GetLength();
    if (count < 0 || count > length - start)
        count = length - start;
    if (start >= length || count <= 0)
        return CLxStringT();
    if (count == length)
        return *this;
    CLxStringT part(count);
    part.Append(m_pszData + start, count);
    return part;
}

template <class C> CLxStringT<C> CLxStringT<C>::Left(int n) const
{
    MemberLock lock;
    return n < GetLength() ? Mid(0, n) : *this;
}

template <class C> CLxStringT<C> CLxStringT<C>::Right(int n) const
{
    MemberLock lock;
    int length = GetLength();
    if (n < 0)
        return CLxStringT();
    return n < length ? Mid(length - n, n) : *this;
}

// ---- Searching

template <class C> int CLxStringT<C>::FindCharFrom(C ch, int start, bool noCase) const
{
    MemberLock lock;
    int length = GetLength();
    if (!ch || start < 0 || start >= length)
        return -1;
    return LxStrOps<C>::FindChar(m_pszData, length, ch, start, noCase);
}

template <class C> int CLxStringT<C>::ReverseFindCharFrom(C ch, int start, bool noCase) const
{
    MemberLock lock;
    int length = GetLength();
    if (start < 0)
        start = length - 1;
    if (!ch || start >= length)
        return -1;
    return LxStrOps<C>::ReverseFindChar(m_pszData, length, ch, start, noCase);
}

template <class C> int CLxStringT<C>::FindTextFrom(const C* text, int start, bool noCase) const
{
    MemberLock lock;
    int length = GetLength();
    int n = LxStrOps<C>::Length(text);
    if (n == 0 || start < 0 || start >= length || start > length - n)
        return -1;
    return LxStrOps<C>::FindText(m_pszData, length, text, n, start, noCase);
}

template <class C> int CLxStringT<C>::Find(C ch, int start) const
{
    return FindCharFrom(ch, start, false);
}

template <class C> int CLxStringT<C>::FindNoCase(C ch, int start) const
{
    return FindCharFrom(ch, start, true);
}

template <class C> int CLxStringT<C>::ReverseFind(C ch, int start) const
{
    return ReverseFindCharFrom(ch, start, false);
}

template <class C> int CLxStringT<C>::ReverseFindNoCase(C ch, int start) const
{
    return ReverseFindCharFrom(ch, start, true);
}

template <class C> int CLxStringT<C>::FindOneOf(const C* set, int start) const
{
    MemberLock lock;
    int length = GetLength();
    if (!set || !*set || start < 0 || start >= length)
        return -1;
    return LxStrOps<C>::FindOneOf(m_pszData, length, set, start);
}

template <class C> int CLxStringT<C>::Find(const C* text, int start) const
{
    return FindTextFrom(text, start, false);
}

template <class C> int CLxStringT<C>::FindNoCase(const C* text, int start) const
{
    return FindTextFrom(text, start, true);
}

// ---- Comparing

template <class C> int CLxStringT<C>::Compare(const C* text) const
{
    MemberLock lock;
    return LxStrOps<C>::Compare(m_pszData, text, false);
}

template <class C> int CLxStringT<C>::CompareNoCase(const C* text) const
{
    MemberLock lock;
    return LxStrOps<C>::Compare(m_pszData, text, true);
}

template <class C> bool CLxStringT<C>::Equals(const CLxStringT& str) const
{
    MemberLock lock;
    return str.m_pBuffer == m_pBuffer ||
           (str.GetLength() == GetLength() && Compare(str.m_pszData) == 0);
}

template <class C> bool CLxStringT<C>::Equals(const C* text) const
{
    return Compare(text) == 0;
}

template <class C> bool CLxStringT<C>::Equals(const YCHAR* text) const
{
    return Compare(CLxStringT(text)) == 0;
}

template <class C> bool CLxStringT<C>::Less(const CLxStringT& str) const
{
    return Compare(str) < 0;
}

template <class C> bool CLxStringT<C>::Less(const C* text) const
{
    return Compare(text) < 0;
}

template <class C> bool CLxStringT<C>::Less(const YCHAR* text) const
{
    return Compare(CLxStringT(text)) < 0;
}

template <class C> bool CLxStringT<C>::LessEqual(const CLxStringT& str) const
{
    return Compare(str) <= 0;
}

template <class C> bool CLxStringT<C>::LessEqual(const C* text) const
{
    return Compare(text) <= 0;
}

template <class C> bool CLxStringT<C>::LessEqual(const YCHAR* text) const
{
    return Compare(CLxStringT(text)) <= 0;
}

// ---- Editing

template <class C> int CLxStringT<C>::SetAt(int i, C ch)
{
    MemberLock lock;
    int length = GetLength();
    if (i < 0 || i >= length)
        return -6;
    // A zero character ends the text there.
    bool done = ch ? Splice(i, 1, &ch, 1) : Splice(i, length - i, nullptr, 0);
    return done ? 0 : -3;
}

template <class C> CLxStringT<C>& CLxStringT<C>::TruncateAt(int i)
{
    MemberLock lock;
    int length = GetLength();
    if (i >= 0 && i < length)
        Splice(i, length - i, nullptr, 0);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::Delete(int start, int count)
{
    MemberLock lock;
    if (start < 0) {
        LX_DIAG_ASSERT_TEXT(u"nStart < 0", u"Delete with a negative start");
        return *this;
    }
    int length = GetLength();
    if (start >= length)
        Splice(0, length, nullptr, 0);
    else if (count >= 0 && int64_t(start) + count < length)
        Splice(start, count, nullptr, 0);
    else
        TruncateAt(start);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::DeleteLeft(int n)
{
    return Delete(0, n);
}

template <class C> CLxStringT<C>& CLxStringT<C>::DeleteRight(int n)
{
    MemberLock lock;
    return TruncateAt(int(std::max<int64_t>(INT_MIN, int64_t(GetLength()) - n)));
}

template <class C> CLxStringT<C>& CLxStringT<C>::TrimSet(const C* set, bool left, bool right)
{
    MemberLock lock;
    if (!set)
        set = LxStrKind<C>::kSpace;
    // Both ends are measured before anything moves: set may be our own text.
    int length = GetLength();
    int head = left ? LxStrOps<C>::SpanLeft(m_pszData, length, set) : 0;
    int tail = right ? LxStrOps<C>::SpanRight(m_pszData + head, length - head, set) : 0;
    if (head + tail > 0 && Splice(length - tail, tail, nullptr, 0))
        Splice(0, head, nullptr, 0);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::TrimLeft(const C* set)
{
    return TrimSet(set, true, false);
}

template <class C> CLxStringT<C>& CLxStringT<C>::TrimRight(const C* set)
{
    return TrimSet(set, false, true);
}

template <class C> CLxStringT<C>& CLxStringT<C>::Trim(const C* set)
{
    return TrimSet(set, true, true);
}

template <class C> int CLxStringT<C>::Remove(C ch)
{
    MemberLock lock;
    int length = GetLength();
    int first = ch ? LxStrOps<C>::FindChar(m_pszData, length, ch, 0, false) : -1;
    if (first < 0 || !MakeWritable(0))
        return 0;
    C* data = m_pBuffer->m_pData;
    int kept = first;
    for (int i = first; i < length; ++i)
        if (data[i] != ch)
            data[kept++] = data[i];
    data[kept] = 0;
    m_pBuffer->m_nSize = kept;
    return length - kept;
}

template <class C>
int CLxStringT<C>::ReplaceGeneral(const C* oldText, const C* newText, bool noCase)
{
    MemberLock lock;
    int oldLength = LxStrOps<C>::Length(oldText);
    int newLength = LxStrOps<C>::Length(newText);
    int length = GetLength();
    // Built aside, so replaced text is never searched again.
    CLxStringT result(length);
    int done = 0, from = 0;
    for (int at = FindTextFrom(oldText, 0, noCase); at >= 0;
         at = FindTextFrom(oldText, from, noCase)) {
        if (!result.Append(m_pszData + from, at - from) || !result.Append(newText, newLength))
            return 0;
        from = at + oldLength;
        ++done;
    }
    if (!done || !result.Append(m_pszData + from, length - from))
        return 0;
    *this = result;
    return done;
}

template <class C> int CLxStringT<C>::Replace(const C* oldText, const C* newText)
{
    return ReplaceGeneral(oldText, newText, false);
}

template <class C> int CLxStringT<C>::ReplaceNoCase(const C* oldText, const C* newText)
{
    return ReplaceGeneral(oldText, newText, true);
}

template <class C> CLxStringT<C>& CLxStringT<C>::ReplaceAt(int start, int count, const C* text)
{
    MemberLock lock;
    if (count < 1) {
        LX_DIAG_ASSERT_TEXT(u"nCount >= 1", u"ReplaceAt of no characters");
        return *this;
    }
    if (start < 0 || int64_t(start) + count > GetLength()) {
        LX_DIAG_ASSERT_TEXT(u"nStart >= 0 && nStart + nCount <= GetLength()",
                            u"ReplaceAt outside the string");
        return *this;
    }
    Splice(start, count, text, LxStrOps<C>::Length(text));
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::Insert(const C* text, int position, int n)
{
    MemberLock lock;
    if (position < 0 || position > GetLength()) {
        LX_DIAG_ASSERT_TEXT(u"nPos >= 0 && nPos <= GetLength()", u"Insert outside the string");
        return *this;
    }
    Splice(position, 0, text, LxStrOps<C>::Length(text, n < 0 ? -1 : n));
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::EndInSlash()
{
    MemberLock lock;
    C last = GetLastChar();
    if (last != C('/') && last != C('\\'))
        AddChar(C('/'));
    return *this;
}

// ---- Case

template <class C> template <class Map> CLxStringT<C>& CLxStringT<C>::MapChars(Map map)
{
    MemberLock lock;
    int length = GetLength();
    int i = 0;
    while (i < length && map(m_pszData[i]) == m_pszData[i])
        ++i;
    if (i == length || !MakeWritable(0))
        return *this;
    C* data = m_pBuffer->m_pData;
    for (; i < length; ++i)
        data[i] = map(data[i]);
    return *this;
}

template <class C> CLxStringT<C>& CLxStringT<C>::MakeLower()
{
    return MapChars(LxStrKind<C>::Lower);
}

template <class C> CLxStringT<C>& CLxStringT<C>::MakeUpper()
{
    return MapChars(LxStrKind<C>::Upper);
}

template class CLxStringT<char>;
template class CLxStringT<char16_t>;
