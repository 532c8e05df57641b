// Writes QX2 documents for the reader tests straight through the chunk
// layer, laid out as the writers of versions 2.1 and 1.0 store them: the
// attributes XML, frame chunks (2.1: an 8-byte time, then a zlib stream or
// the raw rows), picture metadata (2.1 once, 1.0 per frame), the time cache
// and any other chunk a test wants, finished with the map or left without.
#pragma once

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "chunk_store.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"

namespace qx2test
{

// What a document holds; rows as the 2.1 writer normalises them.
struct SDocSpec {
    const char* version; // "Ver2.1" or "Ver1.0"
    uint32_t width, height, comps, bits;
    bool zlib;
    uint32_t givenWidthBytes; // what the caller gave the writer (0: none)

    bool V1() const { return strcmp(version, "Ver1.0") == 0; }
    uint32_t SampleBytes() const { return bits > 8 ? 2 : 1; }
    uint32_t RowBytes() const { return width * comps * SampleBytes(); }
    // The interface's stride: rows padded to 4 bytes.
    uint32_t Stride() const { return (RowBytes() + 3) / 4 * 4; }
    // Rows as stored: 1.0 always unpadded, 2.1 the larger of the given size
    // and the pixels.
    uint32_t StoredStride() const
    {
        return V1() ? RowBytes() : std::max(givenWidthBytes, RowBytes());
    }
    SLxImageAttributes Attributes(uint32_t frames) const
    {
        SLxImageAttributes a{};
        a.uiWidth = width;
        a.uiWidthBytes = StoredStride();
        a.uiHeight = height;
        a.uiComp = comps;
        a.uiBpcInMemory = uint8_t(bits > 8 ? 16 : 8);
        a.uiBpcSignificant = uint8_t(bits);
        a.uiSequenceCount = frames;
        a.uiTileWidth = width;
        a.uiTileHeight = height;
        a.eCompression = zlib ? 0 : 2;
        a.dCompressionParam = zlib ? 4.0 : 0.0;
        return a;
    }
};

// Sample k of pixel (x, y) of frame f, within the significant bits.
inline uint32_t SampleValue(const SDocSpec& s, uint32_t f, uint32_t x, uint32_t y, uint32_t k)
{
    const uint32_t v = (x * 7 + y * 13 + k * 101 + f * 37) ^ (x * y);
    return v & ((1u << s.bits) - 1);
}

// The frame's rows at the given stride, padding zero.
inline std::string FrameBytes(const SDocSpec& s, uint32_t f, uint32_t stride)
{
    std::string rows(size_t(stride) * s.height, '\0');
    for (uint32_t y = 0; y < s.height; ++y)
        for (uint32_t x = 0; x < s.width; ++x)
            for (uint32_t k = 0; k < s.comps; ++k) {
                const uint32_t v = SampleValue(s, f, x, y, k);
                const size_t at = size_t(y) * stride + (size_t(x) * s.comps + k) * s.SampleBytes();
                rows[at] = char(v);
                if (s.SampleBytes() == 2)
                    rows[at + 1] = char(v >> 8);
            }
    return rows;
}

// What GetImageData must give.
inline std::string ExpectedFrame(const SDocSpec& s, uint32_t f)
{
    return FrameBytes(s, f, s.Stride());
}

inline std::string Zlib(const std::string& raw, int level = 4)
{
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
              uLong(raw.size()), level);
    out.resize(size);
    return out;
}

inline std::string Double(double d)
{
    std::string bytes(8, '\0');
    uint64_t bits;
    memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i)
        bytes[size_t(i)] = char(bits >> (8 * i));
    return bytes;
}

inline std::string Xml(const CLxVariant& v)
{
    CLxStringA text;
    CLxXMLAPI::VariantToXMLDocument_UTF8(text, v);
    return std::string(text.GetString(), size_t(text.GetLength()));
}

class DocumentWriter
{
  public:
    DocumentWriter(chunktest::ChunkStore& store, const SDocSpec& spec) : m_spec(spec)
    {
        m_opened = store.OpenWrite(m_chunker, spec.version);
    }
    int Opened() const { return m_opened; }

    int Chunk(const std::string& name, const std::string& data)
    {
        return m_chunker.WriteChunk(name.c_str(), data.data(), uint32_t(data.size()));
    }
    int Attributes(uint32_t frames)
    {
        SLxImageAttributes a = m_spec.Attributes(frames);
        CLxVariant v(CLxListVariant(), CLxStringW(u"attributes"));
        auto put = [&](const char16_t* key, unsigned value) {
            v.Append(CLxVariant(value, CLxStringW(key)));
        };
        put(u"uiWidth", a.uiWidth);
        put(u"uiWidthBytes", a.uiWidthBytes);
        put(u"uiHeight", a.uiHeight);
        put(u"uiComp", a.uiComp);
        put(u"uiBpcInMemory", a.uiBpcInMemory);
        put(u"uiBpcSignificant", a.uiBpcSignificant);
        put(u"uiSequenceCount", a.uiSequenceCount);
        put(u"uiTileWidth", a.uiTileWidth);
        put(u"uiTileHeight", a.uiTileHeight);
        v.Append(CLxVariant(int(a.eCompression), CLxStringW(u"eCompression")));
        v.Append(CLxVariant(a.dCompressionParam, CLxStringW(u"dCompressionParam")));
        put(u"uiVirtualComponents", a.uiComp);
        return Chunk("ImageAttributes!", Xml(v));
    }
    // The chunk of frame f as the writer of the spec's version stores it.
    std::string FrameChunk(uint32_t f, double time) const
    {
        const std::string raw = FrameBytes(m_spec, f, m_spec.StoredStride());
        const std::string pixels = m_spec.zlib ? Zlib(raw) : raw;
        return m_spec.V1() ? pixels : Double(time) + pixels;
    }
    int Frame(uint32_t f, double time = 0.0)
    {
        return Chunk("ImageDataSeq|" + std::to_string(f) + "!", FrameChunk(f, time));
    }
    int Metadata(uint32_t seq, const SLxPictureMetadata& md)
    {
        CLxVariant v;
        SLxPictureMetadata::SaveToVariant(v, md);
        return Chunk("ImageMetadataSeq|" + std::to_string(seq) + "!", Xml(v));
    }
    int TimeCache(const std::vector<double>& times)
    {
        std::string bytes;
        for (double t : times)
            bytes += Double(t);
        return Chunk("CustomData|AcqTimesCache!", bytes);
    }
    int Finish() { return m_chunker.Finalize(); }
    CLxFileChunker& Chunker() { return m_chunker; }

  private:
    SDocSpec m_spec;
    CLxFileChunker m_chunker;
    int m_opened;
};

} // namespace qx2test
