// Writes the seed corpus of fuzz_qx2_reader into the folder given (made when
// missing): small QX2 documents of both versions (8 and 16 bits, 1 and 3
// components, zlib and raw, odd widths, with metadata, texts, custom items
// and a foreign chunk), finished and unfinished, as the target's chunk
// records and as the blocks the chunk layer writes, and the crash cuts of
// one of them.
#include <libdeflate.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"

namespace
{

std::filesystem::path g_folder;
int g_failures = 0;

void Check(int rc)
{
    if (rc != 0)
        ++g_failures;
}

void Save(const std::string& name, const std::string& bytes)
{
    std::ofstream out(g_folder / name, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        ++g_failures;
}

std::string Xml(const CLxVariant& v)
{
    CLxStringA text;
    CLxXMLAPI::VariantToXMLDocument_UTF8(text, v);
    return std::string(text.GetString(), size_t(text.GetLength()));
}

std::string Zlib(const std::string& raw)
{
    libdeflate_compressor* c = libdeflate_alloc_compressor(4);
    std::string out(libdeflate_zlib_compress_bound(c, raw.size()), '\0');
    out.resize(libdeflate_zlib_compress(c, raw.data(), raw.size(), &out[0], out.size()));
    libdeflate_free_compressor(c);
    return out;
}

std::string Double(double d)
{
    std::string bytes(8, '\0');
    memcpy(&bytes[0], &d, 8); // little-endian machine
    return bytes;
}

struct SSpec {
    const char* version;
    uint32_t width, height, comps, bits;
    bool zlib;
    uint32_t frames;
    bool finish;
    bool extras = true; // calibration, texts, custom items, binary, foreign chunk
};

struct SWritten {
    std::string records; // the target's form: u8 name length, name, u16 size, data
    std::string block;   // the chunk file
};

SWritten Document(const SSpec& s)
{
    SWritten out;
    const bool v1 = strcmp(s.version, "Ver1.0") == 0;
    const uint32_t sample = s.bits > 8 ? 2 : 1;
    const uint32_t row = s.width * s.comps * sample;
    CLxByteArray block;
    CLxFileChunker chunker;
    CLxStringA version(s.version);
    Check(chunker.OpenMemory(&block, false, false, version));
    auto chunk = [&](const std::string& name, const std::string& data) {
        Check(chunker.WriteChunk(name.c_str(), data.data(), uint32_t(data.size())));
        out.records += char(name.size()) + name;
        out.records += char(data.size() & 0xFF);
        out.records += char(data.size() >> 8);
        out.records += data;
    };
    CLxVariant a(CLxListVariant(), CLxStringW(u"a"));
    const uint32_t values[] = {s.width, row,      s.height, s.comps, s.bits > 8 ? 16u : 8u,
                               s.bits,  s.frames, s.width,  s.height};
    const char16_t* keys[] = {u"uiWidth",         u"uiWidthBytes",  u"uiHeight",
                              u"uiComp",          u"uiBpcInMemory", u"uiBpcSignificant",
                              u"uiSequenceCount", u"uiTileWidth",   u"uiTileHeight"};
    for (int i = 0; i < 9; ++i)
        a.Append(CLxVariant(values[i], CLxStringW(keys[i])));
    a.Append(CLxVariant(s.zlib ? 0 : 2, CLxStringW(u"eCompression")));
    a.Append(CLxVariant(4.0, CLxStringW(u"dCompressionParam")));
    chunk("ImageAttributes!", Xml(a));
    std::string times;
    for (uint32_t f = 0; f < s.frames; ++f) {
        std::string raw(size_t(row) * s.height, '\0');
        for (size_t i = 0; i < raw.size(); ++i)
            raw[i] = char(i * 7 + f * 13 + (i >> 5));
        const std::string pixels = s.zlib ? Zlib(raw) : raw;
        chunk("ImageDataSeq|" + std::to_string(f) + "!", v1 ? pixels : Double(100.0 * f) + pixels);
        times += Double(100.0 * f);
        if (v1 || f == 0) {
            SLxPictureMetadata md;
            md.dTimeAbsolute = 2460000.5;
            md.dTimeMSec = 100.0 * f;
            md.dXPos = f;
            SLxPicturePlanes::Alloc(md.sPicturePlanes, 1);
            md.sPicturePlanes.uiCompCount = s.comps;
            md.sPicturePlanes.sPlane[0].uiCompCount = s.comps;
            md.sPicturePlanes.sPlane[0].uiColor = 0x00FF00;
            CLxVariant v;
            SLxPictureMetadata::SaveToVariant(v, md);
            chunk("ImageMetadataSeq|" + std::to_string(f) + "!", Xml(v));
        }
    }
    if (!s.extras) {
        if (s.finish)
            Check(chunker.Finalize());
        out.block.assign(reinterpret_cast<const char*>(block.GetData()), block.GetSize());
        return out;
    }
    CLxVariant cal(CLxListVariant(), CLxStringW(u"c"));
    cal.Append(CLxVariant(0.5, CLxStringW(u"dCalibration")));
    cal.Append(CLxVariant(1.0, CLxStringW(u"dAspect")));
    cal.Append(CLxVariant(true, CLxStringW(u"bValid")));
    cal.Append(CLxVariant(u"60x", CLxStringW(u"sObjective")));
    chunk("ImageCalibration|0!", Xml(cal));
    CLxVariant texts(CLxListVariant(), CLxStringW(u"t"));
    texts.Append(CLxVariant(u"text", CLxStringW(u"TextInfoItem_0")));
    chunk("ImageTextInfo!", Xml(texts));
    chunk("ReportObjects!", "objects");
    chunk("ReportObjects|0!", "frame objects");
    chunk("CustomDataVar|AcqTimeV1_0!", Xml(CLxVariant(12.5, CLxStringW())));
    chunk("CustomData|name!", "raw item");
    chunk("CustomDataSeq|name|0!", "raw item of frame 0");
    chunk("ImageBinary!", std::string(size_t((s.width + 31) / 32 * 4) * s.height, '\x55'));
    chunk("Foreign|1!", "kept for the next file");
    if (!v1)
        chunk("CustomData|AcqTimesCache!", times);
    if (s.finish)
        Check(chunker.Finalize());
    out.block.assign(reinterpret_cast<const char*>(block.GetData()), block.GetSize());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    g_folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(g_folder, ec);

    const SSpec specs[] = {
        {"Ver2.1", 101, 5, 1, 8, true, 3, true}, {"Ver2.1", 5, 4, 3, 8, false, 2, true},
        {"Ver2.1", 3, 6, 3, 12, true, 2, true},  {"Ver2.1", 16, 4, 1, 16, false, 3, false},
        {"Ver1.0", 101, 5, 1, 8, true, 3, true}, {"Ver1.0", 5, 4, 3, 16, false, 2, true},
        {"Ver1.0", 7, 3, 1, 8, true, 2, false},  {"Ver2.0", 8, 2, 1, 8, true, 1, true},
    };
    // The first input byte: low bits 0 a block as it is; otherwise records,
    // bit 0 finished, bit 2 version 1.0.
    int n = 0;
    for (const SSpec& s : specs) {
        const SWritten doc = Document(s);
        const bool v1 = strcmp(s.version, "Ver1.0") == 0;
        // Bit 3 asks for the preview, bit 4 for the foreign chunks, bits 5
        // and 6 choose the frame whose records are read.
        const char mode = char((s.finish ? 1 : 2) | (v1 ? 4 : 0) | (n % 2 ? 8 : 16) | (n % 4) << 5);
        Save("records_" + std::to_string(n), mode + doc.records);
        if (n % 3 == 0)
            Save("block_" + std::to_string(n), char(8 | 16) + doc.block);
        ++n;
    }
    // Small finished documents (attributes, frames, metadata and the map):
    // blocks short enough for the fuzzer to mutate their maps, both versions.
    for (int i : {0, 2, 4}) {
        SSpec s = specs[i];
        s.frames = 1;
        s.extras = false;
        const SWritten small = Document(s);
        const bool v1 = strcmp(s.version, "Ver1.0") == 0;
        Save("small_block_" + std::to_string(i), char(8 | 16) + small.block);
        Save("small_records_" + std::to_string(i), char(1 | (v1 ? 4 : 0) | 8) + small.records);
    }
    // Crash cuts of one document: block boundaries, inside a header, a
    // name, data, padding, the map and the end record.
    const std::string doc = Document(specs[0]).block;
    const size_t cuts[] = {4096,
                           8192,
                           8192 + 9,
                           8192 + 20,
                           12288 + 40,
                           12288 + 3000,
                           doc.size() - 4096 - 100,
                           doc.size() - 20};
    for (size_t cut : cuts)
        if (cut < doc.size())
            Save("cut_" + std::to_string(cut), '\0' + doc.substr(0, cut));
    printf("%s\n", g_failures ? "failed" : "done");
    return g_failures ? 1 : 0;
}
