// Writes the seed corpus of one fuzz target into a folder, made by the
// library's own writers (and by GNU msgfmt for the standard catalogs, whose
// fixture files are copied).
//
//   make_fuzz_corpora TARGET FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/lut/LxLutParam.h"
#include "gnr_system/LxBase64.h"
#include "gnr_system/geometry/LxGeometry.h"
#include "gnr_system/intl/intl_test_support.h"
#include "gnr_system/rtti/LxGeometryRecords.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/string/LxStringUtils.h"
#include "gnr_system/time/LxDateTime.h"
#include "metaformats_records_corpus.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"
#include "mul_imageformat/gnr_imageformat_qx2/qx2_format_double.h"
#include "w32_system/LxResourceContainer.h"
#include "w32_system/LxUtf.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace
{

std::string g_folder;

void Write(const std::string& name, const std::string& bytes)
{
    std::ofstream(g_folder + "/" + name, std::ios::binary) << bytes;
}

std::string Bytes(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// UTF-16 little-endian bytes of a text.
std::string Utf16Bytes(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

void Catalogs()
{
    using namespace intl_test;
    const std::vector<Entry> entries = {{"Open", "Ouvrir", {}},
                                        {"Window", "Fenetre", u"Fen\u00eatre"},
                                        {"Close", "Fermer", {}},
                                        {"today", "aujourd'hui", {}}};
    int n = 0;
    for (bool own : {false, true})
        for (bool big : {false, true})
            for (Hash hash : {Hash::None, Hash::Unsigned, Hash::Signed}) {
                CatalogShape shape{"fuzz 1.0", entries, big, own, hash, 0};
                Write("written" + std::to_string(n++) + ".mo", Bytes(buildCatalog(shape)));
            }
    for (const char* name : {"messages-le.mo", "messages-be.mo", "messages-nohash.mo"})
        Write(std::string("msgfmt-") + name,
              FileBytes(std::string(LXTEST_INTL_FIXTURES) + "/" + name));
}

void ResourceContainers()
{
    SLxResourceEntry byId;
    byId.uiType = 6;
    byId.uiLanguage = 1033;
    byId.uiId = 101;
    byId.data = {'a', 'b', 'c'};
    SLxResourceEntry byName;
    byName.uiType = 10;
    byName.wsName = u"CATALOG_fr";
    byName.data.assign(300, 0x5A);
    SLxResourceEntry empty;
    empty.uiType = 3;
    const std::vector<std::vector<SLxResourceEntry>> sets = {
        {}, {byId}, {byName}, {byId, byName, empty}};
    for (size_t i = 0; i < sets.size(); ++i) {
        std::vector<uint8_t> bytes;
        if (LX_FormatResourceContainer(sets[i], &bytes))
            Write("set" + std::to_string(i) + ".rsrc", Bytes(bytes));
    }
}

void ElfFiles()
{
    const std::string module = FileBytes(LXTEST_SECTIONS_MODULE);
    Write("sections_module.so", module);
    Write("header_only.so", module.substr(0, 64));
}

void Base64Texts()
{
    int n = 0;
    for (std::string bytes :
         {std::string(), std::string("a"), std::string("ab"), std::string("abc"),
          std::string("\0\xff\x10\x80 binary", 11), std::string(100, 'q')}) {
        Base64Coder coder;
        coder.Encode(reinterpret_cast<const unsigned char*>(bytes.data()), unsigned(bytes.size()));
        unsigned length = 0;
        const char* text = coder.EncodedBuffer(&length);
        Write("text" + std::to_string(n++), std::string(text ? text : "", length));
    }
}

void UtfTexts()
{
    int n = 0;
    for (const char16_t* text : {u"", u"plain", u"Fen\u00eatre \u00b5m", u"\u4e2d\u6587",
                                 u"\U0001F600 \U000F0007", u"\uFFFD\uFEFF"}) {
        CLxStringA utf8;
        CLxStringUtils::WtoUTF8(text, utf8);
        Write("utf8_" + std::to_string(n), utf8.GetString());
        Write("utf16_" + std::to_string(n++), Utf16Bytes(text));
    }
}

void DateTexts()
{
    const CLxDateTime when(int64_t(1107302400000)); // 2005-02-02 00:00 UTC
    int n = 0;
    auto add = [&](uint8_t parser, const std::u16string& text) {
        Write("date" + std::to_string(n++), std::string(1, char(parser)) + Utf16Bytes(text));
    };
    for (const char16_t* format : {u"%x", u"%X", u"%c", u"%Y-%m-%d", u"%H:%M:%S"}) {
        const std::u16string text = when.Format(format).GetString();
        for (uint8_t parser = 0; parser < 6; ++parser)
            add(parser, text);
        add(6, std::u16string(format) + u'\0' + text);
    }
    add(2, u"Tue, 1 Feb 2005 10:20:30 +0100");
    add(2, u"1 Feb 05 10:20 GMT");
    add(0, u"today");
    add(0, u"Friday");
    add(0, u"01/02/2005");
    add(1, u"noon");
    add(1, u"11:30 PM");
    add(6, std::u16string(u"%d %B %Y %j %U %W %p %%") + u'\0' + u"12 March 2010 071 10 10 AM %");
}

void Formats()
{
    int n = 0;
    for (const char* format :
         {"%d %i %u %x %X %o %c", "%lld %I64d %I32u %hd %hhd %ld %zu", "%s %S %hs %ls %ws",
          "%f %e %g %a %F %E %G %A", "%#.*f %-+ 0*d", "%.2147483647g %e", "%p %n %%",
          "%10.4s|%-10s|", "%C %wc %hc", "%1$d %3$#x"}) {
        for (uint8_t kind : {0, 1}) {
            std::string bytes(1, char(kind));
            bytes += char(1); // a buffer of 256 units
            bytes += kind == 0 ? std::string(format) : Utf16Bytes(LX_Utf8ToUtf16(format));
            Write("format" + std::to_string(n++), bytes);
        }
    }
}

std::string Xml(const CLxVariant& v)
{
    CLxStringA text;
    CLxXMLAPI::VariantToXMLDocument_UTF8(text, v);
    return text.GetString();
}

void Records()
{
    std::vector<std::pair<std::string, CLxVariant>> records(7);
    SLxLutParam lut;
    lut.uiMaxSrc = 4095;
    SLxLutParam::SaveToVariant(records[0].second, lut);
    SLxRatioDesc::SaveToVariant(records[1].second, SLxRatioDesc());
    CLxDateTime(int64_t(1107302400000)).SaveToVariant(records[2].second);
    LX_GeometryToVariant(records[3].second, CLxPointBase<int>(3, -4));
    LX_GeometryToVariant(records[4].second, CLxSizeBase<double>(1.5, 2.5));
    LX_GeometryToVariant(records[5].second, CLxRectBase<int>(1, 2, 30, 40));
    LX_GeometryToVariant(records[6].second, CLxRectBase<double>(0.5, 1, 2, 3));
    const char* names[] = {"lut", "ratio", "time", "ipoint", "dsize", "irect", "drect"};
    CLxVariant tree;
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].first = names[i];
        records[i].second.SetName(CLxStringW(LX_Utf8ToUtf16(names[i]).c_str()));
        Write(records[i].first + ".xml", Xml(records[i].second));
        tree.Append(records[i].second);
    }
    const std::string all = Xml(tree);
    Write("all.xml", all);
    // Members of the wrong types: every run type swapped for another.
    const std::vector<std::pair<std::string, std::string>> swaps = {
        {"\"lx_uint32\"", "\"double\""},
        {"\"double\"", "\"CLxStringW\""},
        {"\"lx_int32\"", "\"bool\""},
        {"\"lx_int64\"", "\"CLxByteArray\""},
        {"\"lx_uint32\"", "\"CLxListVariant\""}};
    int n = 0;
    for (const auto& swap : swaps) {
        std::string text = all;
        for (size_t at = 0; (at = text.find(swap.first, at)) != std::string::npos;
             at += swap.second.size())
            text.replace(at, swap.first.size(), swap.second);
        Write("wrong_types" + std::to_string(n++) + ".xml", text);
    }
}

void MetaformatsRecords()
{
    for (const auto& doc : lx_fuzz::MetaformatsSeedDocuments())
        Write(doc.first + ".xml", doc.second);
}

// The catalog sections of modules that declare classes.
void CatalogSections()
{
    int n = 0;
    for (const char* module : {LXTEST_RTTI_MODULE, LXTEST_CORE_LIBRARY, LXTEST_SECTIONS_MODULE})
        for (const char* section : {"sta9IDX", "sta9ID"}) {
            void* data = nullptr;
            size_t size = 0;
            if (LX_GetDataSeg(LX_Utf8ToUtf16(module).c_str(), section, &data, &size) != 0)
                continue;
            Write("section" + std::to_string(n++), std::string(static_cast<char*>(data), size));
            LX_FreeDataSeg(&data);
        }
}

// Texts for the counted converters, behind their mode byte.
void CountedTexts()
{
    int n = 0;
    const std::u16string texts[] = {u"", u"plain", u"Fen\u00eatre \u00b5m", u"\U0001F600 \u4e2d",
                                    std::u16string(u"cut\0after", 9)};
    for (const std::u16string& wide : texts) {
        for (char terminated : {0, 2}) {
            Write("narrow" + std::to_string(n),
                  char(terminated) + LX_Utf16ToUtf8(wide.c_str(), ptrdiff_t(wide.size())));
            Write("wide" + std::to_string(n++), char(terminated | 1) + Utf16Bytes(wide));
        }
    }
}

// Time caches as our writer stores them, behind the mode byte (frames to add).
void StoredTimes()
{
    qx2test::FormatDouble format;
    int n = 0;
    for (uint32_t frames : {1u, 3u, 6u}) {
        CLxByteArray block;
        ILxOutputImageFile* writer = nullptr;
        if (LX_OpenQX2OutputMemory(&format, &block, false, &writer) != 0)
            continue;
        writer->AddRef();
        SLxImageAttributes a{};
        a.uiWidth = a.uiWidthBytes = 4;
        a.uiHeight = 2;
        a.uiComp = 1;
        a.uiBpcInMemory = a.uiBpcSignificant = 8;
        a.uiSequenceCount = frames;
        writer->SetImageAttributes(a);
        const std::vector<uint8_t> frame(8, 7);
        for (uint32_t seq = 0; seq < frames; ++seq) {
            SLxPictureMetadata md;
            md.dTimeMSec = 125.5 * seq;
            writer->SetImageMetadata(seq, md, 0);
            if (seq % 4 != 1) // a frame without data keeps no time
                writer->SetImageData(seq, frame.data(), nullptr, nullptr);
        }
        writer->Close();
        writer->Release();
        CLxFileChunker chunker;
        CLxStringA version;
        CLxByteArray times;
        if (chunker.OpenMemory(&block, true, false, version) != 0 ||
            chunker.GetChunk(LxQX2Names::kTimeCache, times) != 0)
            continue;
        const std::string bytes(reinterpret_cast<const char*>(times.GetData()), times.GetSize());
        for (char added : {0, 1, 3})
            Write("times" + std::to_string(n++), added + bytes);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::map<std::string, void (*)()> corpora = {
        {"fuzz_msg_catalog", Catalogs},
        {"fuzz_resource_container", ResourceContainers},
        {"fuzz_elf_section", ElfFiles},
        {"fuzz_base64", Base64Texts},
        {"fuzz_utf_conversion", UtfTexts},
        {"fuzz_date_parse", DateTexts},
        {"fuzz_format", Formats},
        {"fuzz_record_loaders", Records},
        {"fuzz_metaformats_records", MetaformatsRecords},
        {"fuzz_section_to_variant", CatalogSections},
        {"fuzz_counted_text", CountedTexts},
        {"fuzz_qx2_append_times", StoredTimes}};
    const auto found = argc == 3 ? corpora.find(argv[1]) : corpora.end();
    if (found == corpora.end()) {
        fprintf(stderr, "usage: make_fuzz_corpora TARGET FOLDER\n");
        return 2;
    }
    LX_SetFailifOptions(32);
    g_folder = argv[2];
    std::error_code error;
    std::filesystem::create_directories(g_folder, error);
    found->second();
    return 0;
}
