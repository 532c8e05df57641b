// Helpers of the JPEG 2000 container tests: boxes as bytes, files, the
// case script and the outside tools.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "test_support.h"

namespace jp2test
{

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}
inline void PutU16(Bytes& b, uint16_t v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
inline uint32_t GetU32(const Bytes& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) |
           b[at + 3];
}
inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline uint32_t Code(const char* t)
{
    return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
           (uint32_t(uint8_t(t[2])) << 8) | uint8_t(t[3]);
}
// A box with an ordinary header.
inline Bytes Box(const char* type, const Bytes& contents)
{
    Bytes b;
    PutU32(b, uint32_t(contents.size() + 8));
    PutU32(b, Code(type));
    b.insert(b.end(), contents.begin(), contents.end());
    return b;
}
// A header with the given LBox (and XLBox when given), then the contents.
inline Bytes RawBox(uint32_t lbox, const char* type, const Bytes& contents, uint64_t xlbox = 0,
                    bool withXl = false)
{
    Bytes b;
    PutU32(b, lbox);
    PutU32(b, Code(type));
    if (withXl) {
        PutU32(b, uint32_t(xlbox >> 32));
        PutU32(b, uint32_t(xlbox));
    }
    b.insert(b.end(), contents.begin(), contents.end());
    return b;
}
inline Bytes Signature()
{
    Bytes w;
    PutU32(w, 0x0D0A870A);
    return Box("jP  ", w);
}
inline Bytes FileType()
{
    Bytes c;
    PutU32(c, Code("jp2 "));
    PutU32(c, 0);
    PutU32(c, Code("jp2 "));
    return Box("ftyp", c);
}
inline Bytes Ihdr(uint32_t h, uint32_t w, uint16_t nc, uint8_t bpc, uint8_t c = 7)
{
    Bytes b;
    PutU32(b, h);
    PutU32(b, w);
    PutU16(b, nc);
    b.push_back(bpc);
    b.push_back(c);
    b.push_back(0);
    b.push_back(0);
    return Box("ihdr", b);
}
inline Bytes ColrEnum(uint32_t cs)
{
    Bytes b{1, 0, 0};
    PutU32(b, cs);
    return Box("colr", b);
}
inline Bytes Codestream(uint8_t tag)
{
    return Bytes{0xFF, 0x4F, 0xFF, 0x51, 0, tag, 0xFF, 0xD9};
}
// A minimal grey JP2 file with the given codestreams.
inline Bytes GreyFile(std::initializer_list<Bytes> codestreams)
{
    Bytes out = Cat({Signature(), FileType(), Box("jp2h", Cat({Ihdr(4, 5, 1, 7), ColrEnum(17)}))});
    for (const Bytes& cs : codestreams) {
        Bytes b = Box("jp2c", cs);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

inline CLxByteArray ToArray(const Bytes& b)
{
    CLxByteArray a;
    if (!b.empty())
        a.SetData(b.data(), uint32_t(b.size()), eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
    return a;
}
inline Bytes FromArray(const CLxByteArray& a)
{
    return a.GetSize() ? Bytes(a.GetData(), a.GetData() + a.GetSize()) : Bytes();
}
inline void WriteFile(const std::filesystem::path& p, const Bytes& b)
{
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
inline Bytes ReadFile(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The text of the CLxJP2ErrorException that f throws ("" when none).
template <class F> std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const CLxJP2ErrorException& e) {
        return e.GetText();
    }
    return "";
}

inline bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
inline int RunQuiet(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}
// The case script beside this file, run by the system's Python.
inline std::string CaseScript()
{
    return "/usr/bin/python3 " +
           (std::filesystem::path(LXTEST_SOURCE_DIR) / "mul_imageformat/gnr_imageformat_jp2/jp2_cases.py")
               .string();
}

} // namespace jp2test
