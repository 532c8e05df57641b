// Base64 (RFC 4648 standard alphabet, "=" padding, no line breaks) with
// reusable work buffers.
//
// The coder holds two buffers on the C runtime heap: the decoded bytes and
// the encoded text. Encode and the decoders fill them; DecodedBuffer and
// EncodedBuffer hand out pointers into them, valid until the next call that
// changes the same buffer. The buffers only grow, in steps of 4096 bytes, and
// always keep at least one zero byte after their valid part, so the encoded
// text can be read as a terminated string.
//
// Decoding skips the control characters 7 to 13 (line breaks among them) and
// spaces. It accepts padded and unpadded texts ("YQ==" and "YQ" both give
// "a"); anything else outside the alphabet, padding that is not at the end,
// or a last group of a single character, refuses the whole text: the decoder
// returns false and no bytes are valid.
//
// Copies own copies of both buffers.
#pragma once

#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxExport.h"

class LX_EXPORT Base64Coder
{
  public:
    // One group: up to 3 bytes or 4 six-bit values, nSize of them in use.
    struct TempBucket {
        unsigned char nData[4];
        unsigned char nSize;
        void Clear()
        {
            nData[0] = nData[1] = nData[2] = nData[3] = 0;
            nSize = 0;
        }
    };

    // No buffers yet, all counts 0.
    Base64Coder();
    Base64Coder(const Base64Coder& other);
    Base64Coder& operator=(const Base64Coder& other);
    virtual ~Base64Coder();

    // Encodes n bytes (data may be null when n is 0, and may point into the
    // decoded buffer). Afterwards the decoded buffer holds a copy of the
    // input and the encoded buffer the text of 4 * ceil(n / 3) characters.
    // False, with an empty text, when the storage is refused.
    virtual bool Encode(const unsigned char* data, unsigned n);
    // Decodes the string's characters into the decoded buffer.
    virtual bool DecodeA(const CLxStringA& text);
    // Decodes a zero-terminated UTF-16 text (null: empty); a unit above 0xFF
    // is outside the alphabet.
    virtual bool DecodeW(const char16_t* text);

    // The buffers (null before the first use); size, when not null, receives
    // the count of valid bytes or characters.
    virtual const unsigned char* DecodedBuffer(unsigned* size = nullptr) const;
    virtual const char* EncodedBuffer(unsigned* size = nullptr) const;

    // Makes the buffer hold more than n bytes (growing to the next multiple of
    // 4096 above n when it is smaller), zeroes it and sets its valid count to
    // 0. False when the storage is refused: the buffer is then released.
    virtual bool AllocEncode(unsigned n);
    virtual bool AllocDecode(unsigned n);

    // The encoded buffer = the n characters of text without the skipped
    // characters (text may point into the encoded buffer). The UTF-16 form
    // refuses a unit above 0xFF (false, empty buffer).
    virtual bool SetEncodeBufferA(const char* text, unsigned n);
    virtual bool SetEncodeBufferW(const char16_t* text, unsigned n);
    // The decoded buffer = the n bytes of data (data may point into it).
    virtual bool SetDecodeBuffer(const unsigned char* data, unsigned n);

  protected:
    // The steps of the coder, each replaceable by a derived class.

    // Takes the text into the encoded buffer and decodes it.
    virtual bool _DecodeA(const char* text, unsigned n);
    virtual bool _DecodeW(const char16_t* text, unsigned n);
    // Writes the 4 alphabet characters of a group of six-bit values.
    virtual void _EncodeToBuffer(const TempBucket& values, char* out);
    // Writes the bytes.nSize bytes of a group; returns how many.
    virtual unsigned _DecodeToBuffer(const TempBucket& bytes, unsigned char* out);
    // bytes.nSize (1 to 3) bytes, zero-padded, to 4 six-bit values.
    virtual void _EncodeRaw(const TempBucket& bytes, TempBucket& values);
    // 4 six-bit values to 3 bytes (values.nSize - 1 of them meaningful).
    virtual void _DecodeRaw(const TempBucket& values, TempBucket& bytes);
    // The characters that decoding skips: 7 to 13 and the space.
    virtual bool _IsBadMimeChar(unsigned c) const;

  private:
    // Decodes the text in the encoded buffer.
    bool DecodeStored();
    void Release();

    unsigned char* m_pDBuffer; // decoded bytes
    char* m_pEBuffer;          // encoded text
    unsigned m_nDBufLen;       // capacities
    unsigned m_nEBufLen;
    unsigned m_nDDataLen; // valid counts
    unsigned m_nEDataLen;
};
