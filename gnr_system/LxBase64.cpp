#include "gnr_system/LxBase64.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "gnr_system/string/LxString.h"

namespace
{

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr unsigned char kNotInAlphabet = 254;

// Six-bit value of each byte, kNotInAlphabet for the others ("=" included:
// padding is recognised by position, never decoded).
constexpr std::array<unsigned char, 256> MakeDecodeTable()
{
    std::array<unsigned char, 256> table{};
    for (auto& entry : table)
        entry = kNotInAlphabet;
    for (unsigned i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    return table;
}

constexpr std::array<unsigned char, 256> kDecodeTable = MakeDecodeTable();

constexpr unsigned kGrowStep = 4096;

// Gives block more than n bytes of capacity (the next multiple of the step
// above n when it has fewer), all zero, none valid. On refusal the block is
// released.
template <class T> bool Prepare(T*& block, unsigned& capacity, unsigned& used, unsigned n)
{
    used = 0;
    if (capacity <= n) {
        std::free(block);
        block = nullptr;
        capacity = 0;
        const uint64_t size = (uint64_t(n / kGrowStep) + 1) * kGrowStep;
        if (size > UINT32_MAX)
            return false;
        block = static_cast<T*>(std::malloc(size));
        if (!block)
            return false;
        capacity = unsigned(size);
    }
    std::memset(block, 0, capacity);
    return true;
}

bool PointsInto(const void* p, const void* block, unsigned capacity)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    return block && address >= start && address - start < capacity;
}

template <class T> T* Duplicate(const T* block, unsigned capacity)
{
    if (!block)
        return nullptr;
    T* copy = static_cast<T*>(std::malloc(capacity));
    if (copy)
        std::memcpy(copy, block, capacity);
    return copy;
}

} // namespace

Base64Coder::Base64Coder()
    : m_pDBuffer(nullptr), m_pEBuffer(nullptr), m_nDBufLen(0), m_nEBufLen(0), m_nDDataLen(0),
      m_nEDataLen(0)
{
}

Base64Coder::Base64Coder(const Base64Coder& other)
    : m_pDBuffer(Duplicate(other.m_pDBuffer, other.m_nDBufLen)),
      m_pEBuffer(Duplicate(other.m_pEBuffer, other.m_nEBufLen)),
      m_nDBufLen(m_pDBuffer ? other.m_nDBufLen : 0), m_nEBufLen(m_pEBuffer ? other.m_nEBufLen : 0),
      m_nDDataLen(m_pDBuffer ? other.m_nDDataLen : 0),
      m_nEDataLen(m_pEBuffer ? other.m_nEDataLen : 0)
{
}

Base64Coder& Base64Coder::operator=(const Base64Coder& other)
{
    if (this != &other) {
        Base64Coder copy(other);
        std::swap(m_pDBuffer, copy.m_pDBuffer);
        std::swap(m_pEBuffer, copy.m_pEBuffer);
        std::swap(m_nDBufLen, copy.m_nDBufLen);
        std::swap(m_nEBufLen, copy.m_nEBufLen);
        std::swap(m_nDDataLen, copy.m_nDDataLen);
        std::swap(m_nEDataLen, copy.m_nEDataLen);
    }
    return *this;
}

Base64Coder::~Base64Coder()
{
    Release();
}

void Base64Coder::Release()
{
    std::free(m_pDBuffer);
    std::free(m_pEBuffer);
    m_pDBuffer = nullptr;
    m_pEBuffer = nullptr;
    m_nDBufLen = m_nEBufLen = m_nDDataLen = m_nEDataLen = 0;
}

bool Base64Coder::Encode(const unsigned char* data, unsigned n)
{
    const uint64_t chars = (uint64_t(n) + 2) / 3 * 4;
    if (chars >= UINT32_MAX || !SetDecodeBuffer(data, n) || !AllocEncode(unsigned(chars))) {
        AllocEncode(0);
        return false;
    }
    TempBucket bytes, values;
    for (unsigned i = 0; i < n; i += 3) {
        bytes.Clear();
        bytes.nSize = static_cast<unsigned char>(n - i < 3 ? n - i : 3);
        std::memcpy(bytes.nData, m_pDBuffer + i, bytes.nSize);
        _EncodeRaw(bytes, values);
        char* group = m_pEBuffer + m_nEDataLen;
        _EncodeToBuffer(values, group);
        for (unsigned k = values.nSize; k < 4; ++k)
            group[k] = '=';
        m_nEDataLen += 4;
    }
    return true;
}

bool Base64Coder::DecodeA(const CLxStringA& text)
{
    return _DecodeA(text.GetString(), unsigned(text.GetLength()));
}

bool Base64Coder::DecodeW(const char16_t* text)
{
    size_t n = 0;
    while (text && text[n] != 0)
        ++n;
    if (n >= UINT32_MAX) {
        AllocDecode(0);
        return false;
    }
    return _DecodeW(text, unsigned(n));
}

const unsigned char* Base64Coder::DecodedBuffer(unsigned* size) const
{
    if (size)
        *size = m_nDDataLen;
    return m_pDBuffer;
}

const char* Base64Coder::EncodedBuffer(unsigned* size) const
{
    if (size)
        *size = m_nEDataLen;
    return m_pEBuffer;
}

bool Base64Coder::AllocEncode(unsigned n)
{
    return Prepare(m_pEBuffer, m_nEBufLen, m_nEDataLen, n);
}

bool Base64Coder::AllocDecode(unsigned n)
{
    return Prepare(m_pDBuffer, m_nDBufLen, m_nDDataLen, n);
}

bool Base64Coder::SetEncodeBufferA(const char* text, unsigned n)
{
    if (n > 0 && !text) {
        AllocEncode(0);
        return false;
    }
    // Preparing the buffer would wipe a text that lies in it.
    std::vector<char> own;
    if (PointsInto(text, m_pEBuffer, m_nEBufLen)) {
        own.assign(text, text + n);
        text = own.data();
    }
    if (!AllocEncode(n))
        return false;
    for (unsigned i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!_IsBadMimeChar(c))
            m_pEBuffer[m_nEDataLen++] = char(c);
    }
    return true;
}

bool Base64Coder::SetEncodeBufferW(const char16_t* text, unsigned n)
{
    if (!AllocEncode(n))
        return false;
    if (n > 0 && !text)
        return false;
    for (unsigned i = 0; i < n; ++i) {
        if (_IsBadMimeChar(text[i]))
            continue;
        if (text[i] > 0xFF) {
            AllocEncode(0);
            return false;
        }
        m_pEBuffer[m_nEDataLen++] = char(text[i]);
    }
    return true;
}

bool Base64Coder::SetDecodeBuffer(const unsigned char* data, unsigned n)
{
    if (n > 0 && !data) {
        AllocDecode(0);
        return false;
    }
    std::vector<unsigned char> own;
    if (PointsInto(data, m_pDBuffer, m_nDBufLen)) {
        own.assign(data, data + n);
        data = own.data();
    }
    if (!AllocDecode(n))
        return false;
    if (n > 0)
        std::memcpy(m_pDBuffer, data, n);
    m_nDDataLen = n;
    return true;
}

bool Base64Coder::_DecodeA(const char* text, unsigned n)
{
    if (!SetEncodeBufferA(text, n)) {
        AllocDecode(0);
        return false;
    }
    return DecodeStored();
}

bool Base64Coder::_DecodeW(const char16_t* text, unsigned n)
{
    if (!SetEncodeBufferW(text, n)) {
        AllocDecode(0);
        return false;
    }
    return DecodeStored();
}

bool Base64Coder::DecodeStored()
{
    // n characters never give more than n bytes.
    if (!AllocDecode(m_nEDataLen))
        return false;

    // Padding may only complete the last group.
    unsigned n = m_nEDataLen;
    unsigned pads = 0;
    while (n > 0 && pads < 2 && m_pEBuffer[n - 1] == '=') {
        --n;
        ++pads;
    }
    bool valid = n % 4 != 1 && (pads == 0 || (n + pads) % 4 == 0);

    TempBucket values, bytes;
    for (unsigned i = 0; valid && i < n; i += 4) {
        values.Clear();
        values.nSize = static_cast<unsigned char>(n - i < 4 ? n - i : 4);
        for (unsigned k = 0; k < values.nSize; ++k) {
            values.nData[k] = kDecodeTable[static_cast<unsigned char>(m_pEBuffer[i + k])];
            valid = valid && values.nData[k] < 64;
        }
        if (valid) {
            _DecodeRaw(values, bytes);
            m_nDDataLen += _DecodeToBuffer(bytes, m_pDBuffer + m_nDDataLen);
        }
    }
    if (!valid) {
        std::memset(m_pDBuffer, 0, m_nDDataLen);
        m_nDDataLen = 0;
    }
    return valid;
}

void Base64Coder::_EncodeToBuffer(const TempBucket& values, char* out)
{
    for (unsigned k = 0; k < 4; ++k)
        out[k] = kAlphabet[values.nData[k] & 63];
}

unsigned Base64Coder::_DecodeToBuffer(const TempBucket& bytes, unsigned char* out)
{
    std::memcpy(out, bytes.nData, bytes.nSize);
    return bytes.nSize;
}

void Base64Coder::_EncodeRaw(const TempBucket& bytes, TempBucket& values)
{
    const unsigned b0 = bytes.nData[0], b1 = bytes.nData[1], b2 = bytes.nData[2];
    values.nData[0] = static_cast<unsigned char>(b0 >> 2);
    values.nData[1] = static_cast<unsigned char>(((b0 << 4) | (b1 >> 4)) & 63);
    values.nData[2] = static_cast<unsigned char>(((b1 << 2) | (b2 >> 6)) & 63);
    values.nData[3] = static_cast<unsigned char>(b2 & 63);
    values.nSize = static_cast<unsigned char>(bytes.nSize + 1);
}

void Base64Coder::_DecodeRaw(const TempBucket& values, TempBucket& bytes)
{
    const unsigned a0 = values.nData[0], a1 = values.nData[1], a2 = values.nData[2],
                   a3 = values.nData[3];
    bytes.nData[0] = static_cast<unsigned char>((a0 << 2) | (a1 >> 4));
    bytes.nData[1] = static_cast<unsigned char>((a1 << 4) | (a2 >> 2));
    bytes.nData[2] = static_cast<unsigned char>((a2 << 6) | a3);
    bytes.nData[3] = 0;
    bytes.nSize = static_cast<unsigned char>(values.nSize - 1);
}

bool Base64Coder::_IsBadMimeChar(unsigned c) const
{
    return (c >= 7 && c <= 13) || c == ' ';
}
