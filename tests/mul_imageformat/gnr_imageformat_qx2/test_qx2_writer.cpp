// The QX2 writers: what each setter stores, the time cache, the two
// versions' layouts, bad input, and round trips through the readers and
// the independent script.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2FrameEncoder.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2UnknownData.h"
#include "qx2_writer_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

SDocSpec Spec(uint32_t w, uint32_t h, uint32_t comps, uint32_t bits, bool zlib,
              uint32_t givenWidthBytes = 0)
{
    return SDocSpec{"Ver2.1", w, h, comps, bits, zlib, givenWidthBytes};
}

SLxImageAttributes GivenAttributes(const SDocSpec& s)
{
    SLxImageAttributes a = s.Attributes(0);
    a.uiWidthBytes = s.givenWidthBytes;
    a.uiTileWidth = a.uiTileHeight = 0;
    return a;
}

SLxPictureMetadata Metadata(double time)
{
    SLxPictureMetadata md;
    md.dTimeMSec = time;
    md.dCalibration = 0.25;
    md.dAspect = 1.0;
    md.bCalibrated = true;
    md.wsObjectiveName = u"Plan Apo 60x";
    return md;
}

class WriterTest : public ::testing::Test
{
  protected:
    std::u16string Path(const char* name = "w.qx2") { return m_dir.u16(name); }
    std::string Narrow(const char* name = "w.qx2") { return (m_dir.path() / name).string(); }
    int Open(WriterRef& w, const char* name = "w.qx2", bool append = false)
    {
        return OpenWriter(m_format, Path(name), append, w);
    }
    // A finished empty chunk file of that version.
    void MakeEmpty(const char* name, const char* version)
    {
        CLxFileChunker c;
        CLxStringA v(version);
        ASSERT_EQ(0, c.Open(Path(name).c_str(), false, false, v));
        ASSERT_EQ(0, c.Finalize());
    }

    ScopedTempDir m_dir;
    FormatDouble m_format;
};

// ---- The examples of the two versions ----

TEST(WriterLevels, ParameterToZlibLevel)
{
    const struct {
        double parameter;
        int level;
    } cases[] = {{4.0, 4}, {4.9, 4}, {0.5, 6}, {0.0, 6}, {-3.0, 6}, {12.0, 9}, {9.0, 9}, {1.0, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.level, LX_QX2ZlibLevel(c.parameter)) << c.parameter;
}

TEST(WriterReservation, FromTheExpectedFrames)
{
    SLxImageAttributes a{};
    a.uiWidth = a.uiHeight = 512;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    EXPECT_EQ(52428800u, LX_QX2ReservationSize(a, 100));
    EXPECT_EQ(40960000u, LX_QX2ReservationSize(a, 10));
    EXPECT_EQ(40960000u, LX_QX2ReservationSize(a, 0));
    a.uiWidth = 100000;
    a.uiHeight = 100000;
    a.uiComp = 4;
    // 80 GB a frame: 64-bit product, no wrap.
    EXPECT_EQ(uint64_t(80000000000) * 1000, LX_QX2ReservationSize(a, 1000));
}

TEST_F(WriterTest, ExperimentReservesAndReadsBack)
{
    const struct {
        uint32_t frames;
        uint64_t reserved;
    } cases[] = {{100, 52428800}, {10, 40960000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        SLxExperiment* exp = nullptr;
        SLxExperiment::Alloc(&exp);
        SLxExperiment::Init(*exp, SLxExperiment::eEtTime, true, c.frames, 0, 1);
        exp->uLoopPars.sTimeLoop.dPeriod = 50.0;
        WriterRef w;
        ASSERT_EQ(0, Open(w, "exp.qx2"));
        SLxImageAttributes a{};
        a.uiWidth = a.uiHeight = 512;
        a.uiComp = 1;
        a.uiBpcInMemory = 16;
        a.uiBpcSignificant = 12;
        ASSERT_EQ(0, w->SetImageAttributes(a));
        ASSERT_EQ(0, w->SetExperiment(*exp, nullptr));
        EXPECT_EQ(c.reserved, w.Own()->GetReservedSize());
        ASSERT_EQ(0, w->Close());
        w.Reset();
        SLxExperiment::FreeRecursive(exp);
        remove(Narrow("exp.qx2").c_str());
    }
}

TEST_F(WriterTest, ExperimentOfAWholeDocumentReadsBackEqual)
{
    const SDocSpec s = Spec(4, 4, 1, 8, false);
    SLxExperiment* exp = nullptr;
    SLxExperiment::Alloc(&exp);
    // A time loop over a Z stack: every level has its children (an empty
    // child slot is not stored).
    SLxExperiment::Init(*exp, SLxExperiment::eEtTime, true, 3, 0, 1);
    exp->uLoopPars.sTimeLoop.dPeriod = 50.0;
    ASSERT_EQ(0, SLxExperiment::Alloc(&exp->ppNextLevelEx[0]));
    ASSERT_EQ(0, SLxExperiment::Init(*exp->ppNextLevelEx[0], SLxExperiment::eEtZStack, true, 1, 0, 0));
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    ASSERT_EQ(0, w->SetExperiment(*exp, nullptr));
    CLxVariant saved;
    ASSERT_EQ(0, SLxExperiment::SaveToVariant(saved, *exp));
    for (uint32_t f = 0; f < 3; ++f) {
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ASSERT_EQ(0, w->Close());
    w.Reset();
    ReaderRef r;
    ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path().c_str(), &r.p));
    r.p->AddRef();
    SLxExperiment* got = nullptr;
    SLxExperiment::Alloc(&got);
    ASSERT_EQ(0, r->GetExperiment(*got, 0));
    // The tree as stored: equal to the caller's, and the same XML.
    EXPECT_TRUE(SLxExperiment::IsEqual(*exp, *got, true));
    CLxVariant back;
    ASSERT_EQ(0, SLxExperiment::SaveToVariant(back, *got));
    EXPECT_EQ(Xml(saved), Xml(back));
    SLxExperiment::FreeRecursive(got);
    SLxExperiment::FreeRecursive(exp);
}

TEST_F(WriterTest, TimeCacheKeepsTheTimesOfWrittenFrames)
{
    const SDocSpec s = Spec(6, 3, 1, 8, true);
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    for (uint32_t f = 0; f < 5; ++f)
        ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(100.0 + f), 0));
    for (uint32_t f : {0u, 1u, 3u}) {
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ASSERT_EQ(0, w->Close());
    const auto chunks = ChunksOf(Path());
    const std::string& cache = chunks.at("CustomData|AcqTimesCache!");
    ASSERT_EQ(40u, cache.size());
    const double want[] = {100.0, 101.0, -1.0, 103.0, -1.0};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(want[i], DoubleAt(cache, 8 * i)) << i;
    EXPECT_EQ(103.0, DoubleAt(chunks.at("ImageDataSeq|3!"), 0));
    // One picture metadata chunk and one calibration, from the first call.
    EXPECT_EQ(1u, CountPrefix(chunks, "ImageMetadataSeq|"));
    EXPECT_EQ(1u, chunks.count("ImageMetadataSeq|0!"));
    EXPECT_EQ(1u, CountPrefix(chunks, "ImageCalibration|"));
}

TEST_F(WriterTest, WithoutMetadataNoCacheAndZeroHeaders)
{
    const SDocSpec s = Spec(4, 2, 1, 8, false);
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    for (uint32_t f : {0u, 1u, 3u, 2u}) {
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ASSERT_EQ(0, w->Close());
    const auto chunks = ChunksOf(Path());
    EXPECT_EQ(0u, chunks.count("CustomData|AcqTimesCache!"));
    for (uint32_t f : {0u, 1u, 3u})
        EXPECT_EQ(0.0, DoubleAt(chunks.at("ImageDataSeq|" + std::to_string(f) + "!"), 0));
    // Frame 2 came after frame 3, which had made its cache entry.
    EXPECT_EQ(-1.0, DoubleAt(chunks.at("ImageDataSeq|2!"), 0));
    // Raw frame: the header, then exactly the rows.
    EXPECT_EQ(8u + 4 * 2, chunks.at("ImageDataSeq|2!").size());
}

TEST_F(WriterTest, NoFramesNoAttributesAndCloseTwice)
{
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetReportObjects(u"objects"));
    ASSERT_EQ(0, w->Close());
    EXPECT_EQ(0, w->Close());
    const auto chunks = ChunksOf(Path());
    EXPECT_EQ(0u, chunks.count("ImageAttributes!"));
    EXPECT_EQ("objects", chunks.at("ReportObjects!"));
    ExpectIndependentCheckPasses(Narrow());
}

TEST_F(WriterTest, Version1LayoutPerFrameAndUnpaddedRows)
{
    MakeEmpty("v1.qx2", "Ver1.0");
    WriterRef w;
    ASSERT_EQ(0, Open(w, "v1.qx2", true));
    ASSERT_TRUE(w.Own()->IsVersion1());
    SLxImageAttributes a{};
    a.uiWidth = 100;
    a.uiWidthBytes = 104;
    a.uiHeight = 10;
    a.uiComp = 1;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    a.eCompression = LX_COMPRESSION_NONE;
    ASSERT_EQ(0, w->SetImageAttributes(a));
    std::string frame(100 * 10, '\0');
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = char(i * 7);
    // The caller's rows are 104 bytes apart, as declared.
    std::string given(104 * 10, '\x5A');
    for (size_t y = 0; y < 10; ++y)
        given.replace(y * 104, 100, frame, y * 100, 100);
    for (uint32_t f = 0; f < 3; ++f) {
        ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(f), 0));
        ASSERT_EQ(0, w->SetImageData(f, given.data(), nullptr, nullptr));
    }
    ASSERT_EQ(0, w->Close());
    const auto chunks = ChunksOf(Path("v1.qx2"));
    EXPECT_EQ(3u, CountPrefix(chunks, "ImageMetadataSeq|"));
    EXPECT_EQ(3u, CountPrefix(chunks, "ImageCalibration|"));
    EXPECT_EQ(0u, chunks.count("CustomData|AcqTimesCache!"));
    EXPECT_EQ(frame, chunks.at("ImageDataSeq|1!"));
    EXPECT_NE(std::string::npos, chunks.at("ImageAttributes!").find("uiWidthBytes"));
    ReaderRef r;
    ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path("v1.qx2").c_str(), &r.p));
    r.p->AddRef();
    SLxImageAttributes got{};
    ASSERT_EQ(0, r->GetImageAttributes(got));
    EXPECT_EQ(100u, got.uiWidthBytes);
    EXPECT_EQ(3u, got.uiSequenceCount);
    std::string back(frame.size(), '\0');
    ASSERT_EQ(0, r->GetImageData(2, &back[0], 0, 0));
    EXPECT_EQ(frame, back);
}

TEST_F(WriterTest, RandomFrameStillCompressedSlightlyLarger)
{
    const SDocSpec s = Spec(64, 64, 1, 8, true);
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    std::string frame = Pattern(64 * 64, 7);
    ASSERT_EQ(0, w->SetImageData(0, frame.data(), nullptr, nullptr));
    ASSERT_EQ(0, w->Close());
    const std::string chunk = ChunksOf(Path()).at("ImageDataSeq|0!");
    const std::string stream = chunk.substr(8);
    EXPECT_GT(stream.size(), frame.size());
    std::string raw(frame.size(), '\0');
    uLongf size = uLongf(raw.size());
    ASSERT_EQ(Z_OK,
              uncompress(reinterpret_cast<Bytef*>(&raw[0]), &size,
                         reinterpret_cast<const Bytef*>(stream.data()), uLong(stream.size())));
    EXPECT_EQ(frame, raw);
}

// ---- Bad input ----

TEST_F(WriterTest, BadFramesWriteNothing)
{
    const SDocSpec s = Spec(8, 2, 1, 8, false);
    const std::string frame = ExpectedFrame(s, 0);
    struct SCase {
        const char* what;
        void (*spoil)(SLxImageAttributes&);
        uint32_t seq;
        bool nullBuffer;
    } cases[] = {
        {"width 0", [](SLxImageAttributes& a) { a.uiWidth = 0; }, 0, false},
        {"height 0", [](SLxImageAttributes& a) { a.uiHeight = 0; }, 0, false},
        {"components 0", [](SLxImageAttributes& a) { a.uiComp = 0; }, 0, false},
        {"bits 0", [](SLxImageAttributes& a) { a.uiBpcInMemory = 0; }, 0, false},
        {"bits 17", [](SLxImageAttributes& a) { a.uiBpcInMemory = 17; }, 0, false},
        {"index too high", [](SLxImageAttributes&) {}, 10000001, false},
        {"null buffer", [](SLxImageAttributes&) {}, 0, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriterRef w;
        ASSERT_EQ(0, Open(w, "bad.qx2"));
        SLxImageAttributes a = GivenAttributes(s);
        c.spoil(a);
        ASSERT_EQ(0, w->SetImageAttributes(a));
        EXPECT_EQ(-4,
                  w->SetImageData(c.seq, c.nullBuffer ? nullptr : frame.data(), nullptr, nullptr));
        ASSERT_EQ(0, w->Close());
        const auto chunks = ChunksOf(Path("bad.qx2"));
        EXPECT_EQ(0u, CountPrefix(chunks, "ImageDataSeq|"));
        EXPECT_EQ(0u, chunks.count("ImageAttributes!"));
    }
    WriterRef w;
    ASSERT_EQ(0, Open(w, "bad.qx2"));
    EXPECT_EQ(-4, w->SetImageData(0, frame.data(), nullptr, nullptr)) << "no attributes";
    EXPECT_EQ(-4, w->SetImageBinary(nullptr));
}

TEST_F(WriterTest, BadCustomItems)
{
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    const char data[] = "x";
    const std::u16string longName(600, u'a');
    EXPECT_EQ(-4, w->SetCustomData(nullptr, data, 1));
    EXPECT_EQ(-4, w->SetCustomData(u"", data, 1));
    EXPECT_EQ(-4, w->SetCustomData(u"a", nullptr, 1));
    EXPECT_EQ(-4, w->SetCustomData(u"a", data, 0));
    EXPECT_EQ(-4, w->SetCustomData(u"bang!name", data, 1));
    EXPECT_EQ(-4, w->SetCustomDataSeq(u"bang!", 1, data, 1));
    EXPECT_EQ(-4, w->SetCustomData(longName.c_str(), data, 1));
    EXPECT_EQ(-4, w->SetCustomDataVar(u"", CLxVariant(1.0, CLxStringW())));
    EXPECT_EQ(-4, w->SetCustomDataVarSeq(u"x!y", 0, CLxVariant(1.0, CLxStringW())));
    EXPECT_EQ(-4, w->SetCustomDataSeq(u"a", 10000001, data, 1));
    ASSERT_EQ(0, w->Close());
    const auto chunks = ChunksOf(Path());
    for (const auto& c : chunks)
        EXPECT_EQ(std::string::npos, c.first.find("Custom")) << c.first;
    ExpectIndependentCheckPasses(Narrow());
}

// ---- Round trips ----

TEST_F(WriterTest, EveryItemReadsBack)
{
    const SDocSpec s = Spec(5, 4, 3, 8, true);
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    ASSERT_EQ(0, w->SetImageMetadata(0, Metadata(12.5), 0));
    for (uint32_t f = 0; f < 3; ++f) {
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ASSERT_EQ(0, w->SetCalibration(7, 3.0, 2.0, false, u"none"));
    ASSERT_EQ(0, w->SetAcqTime(4321.0));
    ASSERT_EQ(0, w->SetReportObjects(u"r\u00e9port"));
    ASSERT_EQ(0, w->SetReportObjectsSeq(2, u"frame two"));
    SLxImageTextInfo info;
    info.wsText[0] = u"zero";
    info.wsText[13] = u"\u00fcber";
    ASSERT_EQ(0, w->SetTextInfo(info));
    SLxExperimentRecord events;
    ASSERT_EQ(0, w->SetEvents(events, 0));
    const std::string binary((5 + 31) / 32 * 4 * 4, '\x5a');
    ASSERT_EQ(0, w->SetImageBinary(reinterpret_cast<const uint8_t*>(binary.data())));
    const std::string bytes("raw\0bytes", 9);
    const char16_t* names[] = {u"with blanks", u"bar|inside", u"\u00e9t\u00e9 \u6e2c"};
    for (const char16_t* name : names) {
        ASSERT_EQ(0, w->SetCustomData(name, bytes.data(), uint32_t(bytes.size())));
        ASSERT_EQ(0, w->SetCustomDataSeq(name, 3, bytes.data(), 4));
        ASSERT_EQ(0, w->SetCustomDataVar(name, CLxVariant(CLxStringW(u"text"), CLxStringW(u"v"))));
        ASSERT_EQ(0, w->SetCustomDataVarSeq(name, 2, CLxVariant(2.5, CLxStringW(u"d"))));
    }
    ASSERT_EQ(0, w->Close());
    w.Reset();
    ExpectIndependentCheckPasses(Narrow());

    ReaderRef r;
    ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path().c_str(), &r.p));
    r.p->AddRef();
    SLxImageAttributes a{};
    ASSERT_EQ(0, r->GetImageAttributes(a));
    EXPECT_EQ(3u, a.uiSequenceCount);
    EXPECT_EQ(s.Stride(), a.uiWidthBytes);
    for (uint32_t f = 0; f < 3; ++f) {
        std::string got(s.Stride() * s.height, '\0');
        ASSERT_EQ(0, r->GetImageData(f, &got[0], 0, 0));
        EXPECT_EQ(ExpectedFrame(s, f), got) << f;
    }
    SLxPictureMetadata md;
    ASSERT_EQ(0, r->GetImageMetadata(0, md, 0));
    EXPECT_EQ(12.5, md.dTimeMSec);
    EXPECT_EQ(0.25, md.dCalibration);
    double cal = 9, aspect = 9;
    CLxStringW objective;
    ASSERT_EQ(0, r->GetCalibration(0, cal, aspect, objective));
    EXPECT_EQ(0.25, cal);
    EXPECT_TRUE(objective == CLxStringW(u"Plan Apo 60x"));
    ASSERT_EQ(0, r->GetCalibration(7, cal, aspect, objective));
    EXPECT_EQ(0.0, cal);
    EXPECT_EQ(1.0, aspect);
    double t = 0;
    ASSERT_EQ(0, r->GetAcqTime(t));
    EXPECT_EQ(4321.0, t);
    CLxStringW text;
    ASSERT_EQ(0, r->GetReportObjects(text));
    EXPECT_TRUE(text == CLxStringW(u"r\u00e9port"));
    ASSERT_EQ(0, r->GetReportObjectsSeq(2, text));
    EXPECT_TRUE(text == CLxStringW(u"frame two"));
    SLxImageTextInfo infoBack;
    ASSERT_EQ(0, r->GetTextInfo(infoBack));
    EXPECT_TRUE(infoBack.wsText[13] == info.wsText[13]);
    EXPECT_TRUE(infoBack.wsText[0] == info.wsText[0]);
    SLxExperimentRecord eventsBack;
    EXPECT_EQ(0, r->GetEvents(eventsBack, 0));
    std::string binaryBack(binary.size(), '\0');
    ASSERT_EQ(0, r->GetImageBinary(reinterpret_cast<uint8_t*>(&binaryBack[0])));
    EXPECT_EQ(binary, binaryBack);
    for (const char16_t* name : names) {
        CLxByteArray got;
        ASSERT_EQ(0, r->GetCustomData(name, got));
        EXPECT_EQ(bytes, Bytes(got));
        ASSERT_EQ(0, r->GetCustomDataSeq(name, 3, got));
        EXPECT_EQ(bytes.substr(0, 4), Bytes(got));
        CLxVariant v;
        ASSERT_EQ(0, r->GetCustomDataVar(name, v));
        EXPECT_TRUE(v.GetCLxStringW() == CLxStringW(u"text"));
        ASSERT_EQ(0, r->GetCustomDataVarSeq(name, 2, v));
        EXPECT_EQ(2.5, v.GetDouble());
    }
}

TEST_F(WriterTest, ForeignChunksCopiedByteForByte)
{
    // A file with two foreign chunks, as another program left them.
    {
        CLxFileChunker c;
        CLxStringA v("Ver2.1");
        ASSERT_EQ(0, c.Open(Path("src.qx2").c_str(), false, false, v));
        ASSERT_EQ(0, c.WriteChunk("Vendor|Thing!", "abc", 3));
        const std::string big = Pattern(10000, 3);
        ASSERT_EQ(0, c.WriteChunk("Vendor|Big!", big.data(), uint32_t(big.size())));
        ASSERT_EQ(0, c.Finalize());
    }
    ReaderRef r;
    ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path("src.qx2").c_str(), &r.p));
    r.p->AddRef();
    ILxImageUnknownData* keeper = nullptr;
    ASSERT_EQ(0, r->GetUnknownData(&keeper));
    ASSERT_NE(nullptr, keeper);
    WriterRef w;
    ASSERT_EQ(0, Open(w, "dst.qx2"));
    ASSERT_EQ(0, w->SetUnknownData(keeper));
    keeper->Release();
    FormatDouble other("JPEG2000");
    ASSERT_EQ(0, w->Close());
    const auto src = ChunksOf(Path("src.qx2"));
    const auto dst = ChunksOf(Path("dst.qx2"));
    EXPECT_EQ(src.at("Vendor|Thing!"), dst.at("Vendor|Thing!"));
    EXPECT_EQ(src.at("Vendor|Big!"), dst.at("Vendor|Big!"));
    EXPECT_EQ(-4, w->SetUnknownData(nullptr));
}

TEST_F(WriterTest, PythonInflatesEveryFrame)
{
    const SDocSpec specs[] = {Spec(101, 3, 1, 8, true), Spec(5, 4, 3, 8, true),
                              Spec(5, 4, 3, 8, false), Spec(7, 5, 1, 12, true),
                              Spec(9, 3, 1, 8, true, 16)};
    int n = 0;
    for (const SDocSpec& s : specs) {
        const std::string name = "py" + std::to_string(n++) + ".qx2";
        SCOPED_TRACE(name);
        WriterRef w;
        ASSERT_EQ(0, Open(w, name.c_str()));
        ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
        std::ofstream list(Narrow((name + ".txt").c_str()));
        for (uint32_t f = 0; f < 3; ++f) {
            const std::string frame = ExpectedFrame(s, f);
            const std::string given =
                s.givenWidthBytes ? FrameBytes(s, f, s.givenWidthBytes) : frame;
            ASSERT_EQ(0, w->SetImageData(f, given.data(), nullptr, nullptr));
            list << "frame " << f << " ";
            for (unsigned char c : frame)
                list << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
            list << "\n";
        }
        list.close();
        ASSERT_EQ(0, w->Close());
        if (HaveIndependentCheck())
            EXPECT_EQ(0, RunIndependentCheck("check-frames '" + Narrow(name.c_str()) + "' '" +
                                             Narrow((name + ".txt").c_str()) + "'"));
        ReaderRef r;
        ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path(name.c_str()).c_str(), &r.p));
        r.p->AddRef();
        for (uint32_t f = 0; f < 3; ++f) {
            std::string got(s.Stride() * s.height, '\0');
            ASSERT_EQ(0, r->GetImageData(f, &got[0], 0, 0));
            EXPECT_EQ(ExpectedFrame(s, f), got) << f;
        }
    }
}

// ---- Readers made by the writer ----

TEST_F(WriterTest, ReaderOfTheWriterSeesWrittenFramesAndRefreshes)
{
    const SDocSpec s = Spec(6, 2, 1, 16, true);
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
    for (uint32_t f = 0; f < 3; ++f) {
        ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(10.0 * f), 0));
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ILxInputImageFile* reader = nullptr;
    ASSERT_EQ(0, w->CreateInputFile(0, &reader, 0));
    ASSERT_NE(nullptr, reader);
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(3u, a.uiSequenceCount);
    SLxPictureMetadata md;
    ASSERT_EQ(0, reader->GetImageMetadata(2, md, 0));
    EXPECT_EQ(20.0, md.dTimeMSec);
    std::string got(s.Stride() * s.height, '\0');
    EXPECT_EQ(-13, reader->GetImageData(4, &got[0], 0, 0));

    for (uint32_t f = 3; f < 5; ++f) {
        ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(10.0 * f), 0));
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
    }
    ILxInputImageFile* same = reader;
    EXPECT_EQ(0, w->CreateInputFile(0xFFFFFFFFu, &same, 0));
    EXPECT_EQ(reader, same);
    ASSERT_EQ(0, reader->GetImageData(4, &got[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 4), got);
    ASSERT_EQ(0, reader->GetImageMetadata(4, md, 0));
    EXPECT_EQ(40.0, md.dTimeMSec);
    // The writer's names never reach a reader from outside.
    CLxByteArray none;
    EXPECT_EQ(-4, reader->GetCustomDataSeq(u"HACK_SET_m_fileChunker", 0x1234, none));
    reader->Release();
    ASSERT_EQ(0, w->Close());
}

// ---- Openers ----

TEST_F(WriterTest, VersionTextChoosesTheWriter)
{
    const struct {
        const char* version;
        bool version1;
    } cases[] = {{"Ver1.0", true}, {"", false}, {"Ver9.9", false}, {"Ver2.1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        MakeEmpty("v.qx2", c.version);
        WriterRef w;
        ASSERT_EQ(0, Open(w, "v.qx2", true));
        EXPECT_EQ(c.version1, w.Own()->IsVersion1());
        ASSERT_EQ(0, w->Close());
        w.Reset();
        remove(Narrow("v.qx2").c_str());
    }
}

TEST_F(WriterTest, AppendingToAFileWithoutMapRepairsItFirst)
{
    const SDocSpec s = Spec(4, 2, 1, 8, true);
    {
        WriterRef w;
        ASSERT_EQ(0, Open(w));
        ASSERT_EQ(0, w->SetImageAttributes(GivenAttributes(s)));
        for (uint32_t f = 0; f < 2; ++f) {
            ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(5.0 * f), 0));
            const std::string frame = ExpectedFrame(s, f);
            ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
        }
        // Dropped without Close: cut the map off as a killed writer leaves it.
        ASSERT_EQ(0, w->Close());
    }
    std::string bytes = ReadFileBytes(Narrow());
    const std::string cut = bytes.substr(0, bytes.size() - 4096);
    WriteFileBytes(Narrow(), cut);
    WriterRef w;
    ASSERT_EQ(0, Open(w, "w.qx2", true));
    SLxImageAttributes a = GivenAttributes(s);
    a.uiSequenceCount = 2;
    ASSERT_EQ(0, w->SetImageAttributes(a));
    const std::string frame = ExpectedFrame(s, 2);
    ASSERT_EQ(0, w->SetImageData(2, frame.data(), nullptr, nullptr));
    ASSERT_EQ(0, w->Close());
    w.Reset();
    ExpectIndependentCheckPasses(Narrow(), true);
    ReaderRef r;
    ASSERT_EQ(0, LX_OpenQX2InputFile(&m_format, Path().c_str(), &r.p));
    r.p->AddRef();
    for (uint32_t f = 0; f < 3; ++f) {
        std::string got(s.Stride() * s.height, '\0');
        ASSERT_EQ(0, r->GetImageData(f, &got[0], 0, 0));
        EXPECT_EQ(ExpectedFrame(s, f), got) << f;
    }
}

TEST_F(WriterTest, AppendingKeepsTheStoredTimes)
{
    const SDocSpec s = Spec(4, 2, 1, 8, true);
    for (uint32_t session = 0; session < 2; ++session) {
        WriterRef w;
        ASSERT_EQ(0, Open(w, "w.qx2", session > 0));
        SLxImageAttributes a = GivenAttributes(s);
        a.uiSequenceCount = 2 * session;
        ASSERT_EQ(0, w->SetImageAttributes(a));
        for (uint32_t f = 2 * session; f < 2 * session + 2; ++f) {
            ASSERT_EQ(0, w->SetImageMetadata(f, Metadata(7.0 * f), 0));
            const std::string frame = ExpectedFrame(s, f);
            ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
        }
        ASSERT_EQ(0, w->Close());
    }
    const std::string cache = ChunksOf(Path()).at("CustomData|AcqTimesCache!");
    ASSERT_EQ(32u, cache.size());
    for (size_t f = 0; f < 4; ++f)
        EXPECT_EQ(7.0 * f, DoubleAt(cache, 8 * f)) << f;
}

TEST_F(WriterTest, AppendingToAForeignFileIsRefused)
{
    const std::string foreign = std::string("\0\0\0\x0cjP  \r\n\x87\n", 12) + Pattern(5000, 1);
    WriteFileBytes(Narrow("image.jp2"), foreign);
    WriterRef w;
    EXPECT_EQ(-9, Open(w, "image.jp2", true));
    EXPECT_EQ(nullptr, w.p);
    EXPECT_EQ(foreign, ReadFileBytes(Narrow("image.jp2")));
    EXPECT_EQ(nullptr, LX_CreateQx2OutputFile(Path("image.jp2").c_str(), true));
    EXPECT_EQ(foreign, ReadFileBytes(Narrow("image.jp2")));
}

TEST_F(WriterTest, SecondWriterOfOneFileIsRefused)
{
    WriterRef w;
    ASSERT_EQ(0, Open(w));
    EXPECT_EQ(nullptr, LX_CreateQx2OutputFile(Path().c_str(), true));
    ASSERT_EQ(0, w->Close());
    ILxOutputImageFile* again = LX_CreateQx2OutputFile(Path().c_str(), true);
    ASSERT_NE(nullptr, again);
    again->AddRef();
    again->Release();
}

} // namespace
