// The format writers read the caller's rows at the stride the attributes
// declare (uiWidthBytes): packed rows, rows padded to 4 bytes and the wider
// rows of a larger picture buffer all store the same frame, and no declared
// stride (0) means rows padded to 4 bytes. A stride shorter than a row is
// refused with -4 before anything reaches the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "test_support.h"

namespace
{

constexpr uint32_t kWidth = 33, kHeight = 6, kFrames = 2;
constexpr uint8_t kPaddingMarker = 0xA5;

enum EWriter { eQx2Version21, eQx2Version10, eJp2 };
enum EStride { eNotDeclared, ePacked, ePadded, eWider, eTooSmall };

struct SShape {
    uint32_t comps, bits;
    uint32_t SampleBytes() const { return bits > 8 ? 2 : 1; }
    uint32_t RowBytes() const { return kWidth * comps * SampleBytes(); }
    uint32_t Padded() const { return (RowBytes() + 3) / 4 * 4; }
};

uint32_t DeclaredStride(const SShape& s, EStride kind)
{
    switch (kind) {
    case eNotDeclared:
        return 0;
    case ePacked:
        return s.RowBytes();
    case ePadded:
        return s.Padded();
    case eWider:
        return s.Padded() + 12;
    case eTooSmall:
        return s.RowBytes() - 1;
    }
    return 0;
}

// Byte i of row y of frame f (pixels only).
uint8_t PixelByte(uint32_t f, uint32_t y, uint32_t i)
{
    return uint8_t(i * 7 + y * 31 + f * 101 + (i >> 3));
}

// The frame at that stride (rows cut to it when it is too small), padding
// set to the marker; exactly stride x height bytes, so a read past it is
// caught by the sanitizer. 16-bit samples keep to 12 significant bits.
std::vector<uint8_t> CallerFrame(const SShape& s, uint32_t stride, uint32_t f)
{
    std::vector<uint8_t> rows(size_t(stride) * kHeight, kPaddingMarker);
    const uint32_t filled = std::min(stride, s.RowBytes());
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t i = 0; i < filled; ++i)
            rows[size_t(y) * stride + i] =
                PixelByte(f, y, i) & (s.SampleBytes() == 2 && i % 2 ? 0x0F : 0xFF);
    return rows;
}

ILxOutputImageFile* OpenWriter(EWriter writer, const std::u16string& path)
{
    if (writer == eJp2)
        return LX_CreateJp2OutputFile(path.c_str());
    if (writer == eQx2Version10) {
        // Version 1.0 is written only into files of that version.
        CLxFileChunker chunker;
        CLxStringA version("Ver1.0");
        if (chunker.Open(path.c_str(), false, false, version) != 0 || chunker.Finalize() != 0)
            return nullptr;
    }
    return LX_CreateQx2OutputFile(path.c_str(), writer == eQx2Version10);
}

ILxInputImageFile* OpenReader(EWriter writer, const std::u16string& path)
{
    return writer == eJp2 ? LX_CreateJp2InputFile(path.c_str())
                          : LX_CreateQx2InputFile(path.c_str());
}

// Whether a refused writer left the file without frames or attributes.
bool NothingWritten(EWriter writer, const std::string& path)
{
    std::error_code ec;
    if (writer == eJp2)
        return !std::filesystem::exists(path, ec) || std::filesystem::file_size(path, ec) == 0;
    CLxFileChunker chunker;
    CLxStringA version;
    if (chunker.Open(U16(path.c_str()).c_str(), true, false, version) != 0)
        return false;
    CLxByteArray data;
    const bool none = chunker.GetChunk("ImageAttributes!", data) != 0 &&
                      chunker.GetChunk("ImageDataSeq|0!", data) != 0;
    chunker.Finalize();
    return none;
}

// Two frames written at the declared stride, then read back (or, for a
// stride too small, refused with nothing written).
void CheckCase(EWriter writer, const SShape& s, EStride kind, const std::string& path)
{
    const uint32_t declared = DeclaredStride(s, kind);
    ILxOutputImageFile* out = OpenWriter(writer, U16(path.c_str()));
    ASSERT_NE(nullptr, out);
    out->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = kWidth;
    a.uiHeight = kHeight;
    a.uiComp = s.comps;
    a.uiBpcInMemory = uint8_t(s.bits);
    a.uiBpcSignificant = uint8_t(s.bits == 16 ? 12 : 8);
    a.uiWidthBytes = declared;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    EXPECT_EQ(0, out->SetImageAttributes(a));
    const uint32_t stride = declared ? declared : s.Padded();
    for (uint32_t f = 0; f < kFrames; ++f) {
        const std::vector<uint8_t> frame = CallerFrame(s, stride, f);
        EXPECT_EQ(kind == eTooSmall ? -4 : 0, out->SetImageData(f, frame.data(), nullptr, nullptr))
            << "frame " << f;
    }
    out->Close();
    out->Release();
    if (kind == eTooSmall) {
        EXPECT_TRUE(NothingWritten(writer, path));
        return;
    }

    ILxInputImageFile* in = OpenReader(writer, U16(path.c_str()));
    ASSERT_NE(nullptr, in);
    in->AddRef();
    SLxImageAttributes got{};
    EXPECT_EQ(0, in->GetImageAttributes(got));
    EXPECT_EQ(kFrames, got.uiSequenceCount);
    EXPECT_GE(got.uiWidthBytes, s.RowBytes());
    for (uint32_t f = 0; f < kFrames && got.uiWidthBytes >= s.RowBytes(); ++f) {
        std::vector<uint8_t> back(size_t(got.uiWidthBytes) * kHeight, 0);
        EXPECT_EQ(0, in->GetImageData(f, back.data(), 0, 0)) << "frame " << f;
        const std::vector<uint8_t> given = CallerFrame(s, stride, f);
        for (uint32_t y = 0; y < kHeight; ++y)
            EXPECT_TRUE(std::equal(&given[size_t(y) * stride],
                                   &given[size_t(y) * stride + s.RowBytes()],
                                   &back[size_t(y) * got.uiWidthBytes]))
                << "frame " << f << " row " << y;
    }
    in->Release();
}

TEST(WriterStrides, DeclaredStrideIsHonouredOrRefused)
{
    const struct {
        const char* label;
        EWriter writer;
    } writers[] = {{"qx2 2.1", eQx2Version21}, {"qx2 1.0", eQx2Version10}, {"jp2", eJp2}};
    const SShape shapes[] = {{1, 8}, {3, 8}, {1, 16}, {3, 16}};
    const struct {
        const char* label;
        EStride kind;
    } strides[] = {{"not declared", eNotDeclared},
                   {"packed", ePacked},
                   {"padded", ePadded},
                   {"wider", eWider},
                   {"too small", eTooSmall}};
    ScopedTempDir dir;
    int n = 0;
    for (const auto& w : writers)
        for (const SShape& s : shapes)
            for (const auto& k : strides) {
                SCOPED_TRACE(std::string(w.label) + ", " + std::to_string(s.comps) + "x" +
                             std::to_string(s.bits) + ", " + k.label + " " +
                             std::to_string(DeclaredStride(s, k.kind)));
                const std::string name =
                    "f" + std::to_string(n++) + (w.writer == eJp2 ? ".jp2" : ".qx2");
                CheckCase(w.writer, s, k.kind, (dir.path() / name).string());
            }
}

} // namespace
