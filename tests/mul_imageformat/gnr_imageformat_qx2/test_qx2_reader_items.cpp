// Everything but frames through the readers: picture metadata and the
// per-frame times, calibration, texts, events, custom data, the binary
// layer, foreign chunks and the preview.
#include <gtest/gtest.h>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "qx2_document_writer.h"
#include "qx2_reader_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

SLxPictureMetadata Metadata(double day, double msec, double x)
{
    SLxPictureMetadata md;
    md.dTimeAbsolute = day;
    md.dTimeMSec = msec;
    md.dXPos = x;
    md.dYPos = -x;
    SLxPicturePlanes::Alloc(md.sPicturePlanes, 1);
    md.sPicturePlanes.uiCompCount = 1;
    md.sPicturePlanes.sPlane[0].uiCompCount = 1;
    md.sPicturePlanes.sPlane[0].uiColor = 0x00FF00;
    return md;
}

class ReaderItems : public ::testing::Test
{
  protected:
    // A 2.1 document of 12 frames with one stored metadata record, under
    // the index of the first call (3), and a time cache of three entries.
    void WriteTimes(double storedDay, double storedMSec, const std::vector<double>& times)
    {
        DocumentWriter w(m_store, m_spec);
        ASSERT_EQ(0, w.Attributes(12));
        for (uint32_t f = 0; f < 12; ++f)
            ASSERT_EQ(0, w.Frame(f, f < times.size() ? times[f] : 0.0));
        ASSERT_EQ(0, w.Metadata(3, Metadata(storedDay, storedMSec, 5.0)));
        ASSERT_EQ(0, w.TimeCache(times));
        ASSERT_EQ(0, w.Finish());
    }
    int Open() { return OpenReader(m_store, m_format, m_reader); }

    SDocSpec m_spec{"Ver2.1", 8, 4, 1, 8, true, 0};
    ChunkStore m_store{eOnFile};
    FormatDouble m_format;
    ReaderRef m_reader;
};

TEST_F(ReaderItems, EachFrameGetsItsOwnTimeOverTheOneStoredRecord)
{
    WriteTimes(2460000.5, 0.0, {0.0, 43200000.0, -1.0});
    ASSERT_EQ(0, Open());
    struct Case {
        uint32_t seq;
        double day, msec;
    } cases[] = {
        {0, 2460000.5, 0.0},
        {1, 2460001.0, 43200000.0}, // half a day later
        {2, 2460000.5, -1.0},       // unknown: the stored day
        {7, 2460000.5, 0.0},        // beyond the cache: the stored times
    };
    for (const Case& c : cases) {
        SLxPictureMetadata md;
        ASSERT_EQ(0, m_reader->GetImageMetadata(c.seq, md, 0)) << c.seq;
        EXPECT_DOUBLE_EQ(c.day, md.dTimeAbsolute) << c.seq;
        EXPECT_DOUBLE_EQ(c.msec, md.dTimeMSec) << c.seq;
        EXPECT_DOUBLE_EQ(5.0, md.dXPos);
        ASSERT_EQ(1u, md.sPicturePlanes.uiCount);
    }
    // Computed for each call, never stored: asking again gives the same.
    SLxPictureMetadata again;
    ASSERT_EQ(0, m_reader->GetImageMetadata(1, again, 0));
    EXPECT_DOUBLE_EQ(2460001.0, again.dTimeAbsolute);
}

TEST_F(ReaderItems, StoredTimeIsTheOriginOfTheFrameTimes)
{
    // The stored record is that of a frame taken 1000 ms into the run.
    WriteTimes(2460000.5, 1000.0, {1000.0, 1000.0 + 86400000.0});
    ASSERT_EQ(0, Open());
    SLxPictureMetadata md;
    ASSERT_EQ(0, m_reader->GetImageMetadata(1, md, 0));
    EXPECT_DOUBLE_EQ(2460001.5, md.dTimeAbsolute);
    ASSERT_EQ(0, m_reader->GetImageMetadata(0, md, 0));
    EXPECT_DOUBLE_EQ(2460000.5, md.dTimeAbsolute);
}

TEST_F(ReaderItems, NoStoredMetadataIsNotFound)
{
    DocumentWriter w(m_store, m_spec);
    ASSERT_EQ(0, w.Attributes(1));
    // Names that only look like a metadata chunk.
    ASSERT_EQ(0, w.Chunk("ImageMetadataSeq|03!", Xml(CLxVariant(1, CLxStringW(u"x")))));
    ASSERT_EQ(0, w.Chunk("ImageMetadataSeq|99999999!", Xml(CLxVariant(1, CLxStringW(u"x")))));
    ASSERT_EQ(0, w.Finish());
    ASSERT_EQ(0, Open());
    SLxPictureMetadata md = Metadata(1.0, 2.0, 3.0);
    EXPECT_EQ(-13, m_reader->GetImageMetadata(0, md, 0));
    EXPECT_DOUBLE_EQ(3.0, md.dXPos);
}

TEST(ReaderItemsV1, EachFrameHasItsOwnRecord)
{
    const SDocSpec spec{"Ver1.0", 8, 4, 1, 8, false, 0};
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, spec);
        ASSERT_EQ(0, w.Attributes(3));
        for (uint32_t f = 0; f < 3; ++f) {
            ASSERT_EQ(0, w.Frame(f));
            ASSERT_EQ(0, w.Metadata(f, Metadata(2460000.5, 100.0 * f, 10.0 * f)));
        }
        ASSERT_EQ(0, w.Finish());
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    for (uint32_t f = 0; f < 3; ++f) {
        SLxPictureMetadata md;
        ASSERT_EQ(0, reader->GetImageMetadata(f, md, 0));
        EXPECT_DOUBLE_EQ(10.0 * f, md.dXPos);
        EXPECT_DOUBLE_EQ(100.0 * f, md.dTimeMSec);
    }
    SLxPictureMetadata md;
    EXPECT_EQ(-13, reader->GetImageMetadata(3, md, 0));
}

TEST_F(ReaderItems, RecordsAndTextsReadBack)
{
    {
        DocumentWriter w(m_store, m_spec);
        ASSERT_EQ(0, w.Attributes(1));
        CLxVariant cal(CLxListVariant(), CLxStringW(u"cal"));
        cal.Append(CLxVariant(0.25, CLxStringW(u"dCalibration")));
        cal.Append(CLxVariant(2.0, CLxStringW(u"dAspect")));
        cal.Append(CLxVariant(true, CLxStringW(u"bValid")));
        cal.Append(CLxVariant(u"Plan Apo 60\u00d7", CLxStringW(u"sObjective")));
        ASSERT_EQ(0, w.Chunk("ImageCalibration|4!", Xml(cal)));
        CLxVariant texts(CLxListVariant(), CLxStringW(u"texts"));
        texts.Append(CLxVariant(u"first", CLxStringW(u"TextInfoItem_0")));
        texts.Append(CLxVariant(u"\u00fcber", CLxStringW(u"TextInfoItem_13")));
        ASSERT_EQ(0, w.Chunk("ImageTextInfo!", Xml(texts)));
        ASSERT_EQ(0, w.Chunk("ReportObjects!", "obj \xc3\xa9t\xc3\xa9"));
        ASSERT_EQ(0, w.Chunk("ReportObjects|2!", "two"));
        SLxExperimentRecord events;
        events.wsNotes = u"notes";
        CLxVariant ev;
        SLxExperimentRecord::SaveToVariant(ev, events);
        ASSERT_EQ(0, w.Chunk("ImageEvents!", Xml(ev)));
        ASSERT_EQ(0, w.Chunk("CustomDataVar|AcqTimeV1_0!", Xml(CLxVariant(1234.5, CLxStringW()))));
        ASSERT_EQ(0, w.Finish());
    }
    ASSERT_EQ(0, Open());
    double cal = 0, aspect = 0;
    CLxStringW objective;
    ASSERT_EQ(0, m_reader->GetCalibration(4, cal, aspect, objective));
    EXPECT_DOUBLE_EQ(0.25, cal);
    EXPECT_DOUBLE_EQ(2.0, aspect);
    EXPECT_EQ(CLxStringW(u"Plan Apo 60\u00d7"), objective);
    EXPECT_EQ(-13, m_reader->GetCalibration(5, cal, aspect, objective));

    SLxImageTextInfo info;
    info.wsText[5] = u"kept";
    ASSERT_EQ(0, m_reader->GetTextInfo(info));
    EXPECT_EQ(CLxStringW(u"first"), info.wsText[0]);
    EXPECT_EQ(CLxStringW(u"\u00fcber"), info.wsText[13]);
    EXPECT_EQ(CLxStringW(u"kept"), info.wsText[5]); // missing item: left as it was

    CLxStringW objects(u"old");
    ASSERT_EQ(0, m_reader->GetReportObjects(objects));
    EXPECT_EQ(CLxStringW(u"obj \u00e9t\u00e9"), objects);
    ASSERT_EQ(0, m_reader->GetReportObjectsSeq(2, objects));
    EXPECT_EQ(CLxStringW(u"two"), objects);
    EXPECT_EQ(-13, m_reader->GetReportObjectsSeq(3, objects));
    EXPECT_EQ(CLxStringW(u"two"), objects);

    SLxExperimentRecord events;
    ASSERT_EQ(0, m_reader->GetEvents(events, 0));
    EXPECT_EQ(CLxStringW(u"notes"), events.wsNotes);
    SLxExperimentRecord::Free(events);

    double t = 0;
    ASSERT_EQ(0, m_reader->GetAcqTime(t));
    EXPECT_DOUBLE_EQ(1234.5, t);
    EXPECT_EQ(-1506, m_reader->Unsupported7(0));
    EXPECT_EQ(-2, m_reader->Unsupported17(0));
    EXPECT_EQ(-2, m_reader->GetImageRegion(0, 0, 0, 1, 1, &t, 0, 0));
    EXPECT_EQ(0, m_reader->CheckPixelFormat(0));
    EXPECT_EQ(-1506, m_reader->CheckPixelFormat(1));
    ILxImageFormat* format = m_reader->GetImageFormat();
    EXPECT_EQ(static_cast<ILxImageFormat*>(&m_format), format);
    EXPECT_EQ(2u, m_format.GetRefCount());
    m_format.Release();
}

TEST_F(ReaderItems, CustomNamesGoThroughUtf8)
{
    {
        DocumentWriter w(m_store, m_spec);
        ASSERT_EQ(0, w.Attributes(1));
        ASSERT_EQ(0, w.Chunk("CustomData|Z\xc3\xa4hler \xc2\xb5m!", "raw"));
        ASSERT_EQ(0, w.Chunk("CustomDataSeq|\xe2\x88\x91|7!", "seq"));
        ASSERT_EQ(
            0, w.Chunk("CustomDataVarSeq|\xe2\x88\x91|7!", Xml(CLxVariant(9, CLxStringW(u"v")))));
        ASSERT_EQ(0, w.Chunk("CustomData|!", "empty name"));
        ASSERT_EQ(0, w.Chunk("CustomDataSeq|HACK_SET_m_uiTotalSeqCount|1!", "stored"));
        ASSERT_EQ(0, w.Finish());
    }
    ASSERT_EQ(0, Open());
    CLxByteArray bytes;
    ASSERT_EQ(0, m_reader->GetCustomData(u"Z\u00e4hler \u00b5m", bytes));
    EXPECT_EQ("raw", Bytes(bytes));
    ASSERT_EQ(0, m_reader->GetCustomDataSeq(u"\u2211", 7, bytes));
    EXPECT_EQ("seq", Bytes(bytes));
    EXPECT_EQ(-13, m_reader->GetCustomDataSeq(u"\u2211", 8, bytes));
    CLxVariant v;
    ASSERT_EQ(0, m_reader->GetCustomDataVarSeq(u"\u2211", 7, v));
    EXPECT_EQ(9, v.GetLx_int32());

    // An empty name is refused for variants only; raw items look it up.
    EXPECT_EQ(-4, m_reader->GetCustomDataVar(u"", v));
    EXPECT_EQ(-4, m_reader->GetCustomDataVarSeq(u"", 7, v));
    EXPECT_EQ(-4, m_reader->GetCustomDataVar(nullptr, v));
    EXPECT_EQ(-4, m_reader->GetCustomData(nullptr, bytes));
    ASSERT_EQ(0, m_reader->GetCustomData(u"", bytes));
    EXPECT_EQ("empty name", Bytes(bytes));
    EXPECT_EQ(-13, m_reader->GetCustomData(u"none", bytes));
    // The names a writer once used to refresh its reader are refused.
    bytes.SetData("same", 4, eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
    EXPECT_EQ(-4, m_reader->GetCustomDataSeq(u"HACK_SET_m_uiTotalSeqCount", 1, bytes));
    EXPECT_EQ(-4, m_reader->GetCustomDataSeq(u"HACK_SET_m_fileChunker", 1, bytes));
    EXPECT_EQ("same", Bytes(bytes));
}

TEST_F(ReaderItems, EmptyCustomNameIsNotFoundWhenAbsent)
{
    DocumentWriter w(m_store, m_spec);
    ASSERT_EQ(0, w.Attributes(1));
    ASSERT_EQ(0, w.Finish());
    ASSERT_EQ(0, Open());
    CLxByteArray bytes;
    EXPECT_EQ(-13, m_reader->GetCustomData(u"", bytes));
    CLxVariant v;
    EXPECT_EQ(-13, m_reader->GetCustomDataVar(u"AcqTimeV1_0", v));
    double t = 7.0;
    EXPECT_EQ(-13, m_reader->GetAcqTime(t));
    EXPECT_DOUBLE_EQ(7.0, t);
}

TEST_F(ReaderItems, BinaryLayerOfExactlyItsSize)
{
    m_spec.width = 33; // 5 bytes a row, padded to 8
    struct Case {
        uint32_t size;
        int result;
    } cases[] = {{8 * 4, 0}, {8 * 4 + 1, -9}, {8 * 4 - 8, -9}, {0, -13}};
    for (const Case& c : cases) {
        ChunkStore store(eOnFile);
        {
            DocumentWriter w(store, m_spec);
            ASSERT_EQ(0, w.Attributes(1));
            ASSERT_EQ(0, w.Chunk("ImageBinary!", Pattern(c.size, 3)));
            ASSERT_EQ(0, w.Finish());
        }
        ReaderRef reader;
        ASSERT_EQ(0, OpenReader(store, m_format, reader));
        std::string out(8 * 4 + 16, '\x42');
        EXPECT_EQ(c.result, reader->GetImageBinary(reinterpret_cast<uint8_t*>(&out[0])));
        EXPECT_EQ(std::string(16, '\x42'), out.substr(32));
        if (c.result == 0)
            EXPECT_EQ(Pattern(c.size, 3), out.substr(0, 32));
        EXPECT_EQ(-4, reader->GetImageBinary(nullptr));
    }
}

TEST_F(ReaderItems, ForeignChunksReachOneKeeper)
{
    {
        DocumentWriter w(m_store, m_spec);
        ASSERT_EQ(0, w.Attributes(1));
        ASSERT_EQ(0, w.Frame(0));
        ASSERT_EQ(0, w.Chunk("Foo!", Pattern(10000, 1)));
        ASSERT_EQ(0, w.Chunk("ImageDataSeq|007!", "looks like a frame"));
        ASSERT_EQ(0, w.Chunk("CustomDataSeq|nameonly!", "no index"));
        ASSERT_EQ(0, w.Chunk("CustomData|kept by us!", "ours"));
        ASSERT_EQ(0, w.Finish());
    }
    ASSERT_EQ(0, Open());
    ILxImageUnknownData* keeper = nullptr;
    ASSERT_EQ(0, m_reader->GetUnknownData(&keeper));
    ILxImageUnknownData* again = nullptr;
    ASSERT_EQ(0, m_reader->GetUnknownData(&again));
    EXPECT_EQ(keeper, again);
    CLxStringA id;
    ASSERT_EQ(0, keeper->GetFormatID(id));
    EXPECT_STREQ("QXIMX", id);
    // Map order: unsigned bytes.
    const char* expectedNames[] = {"CustomDataSeq|nameonly!", "Foo!", "ImageDataSeq|007!"};
    const std::string expectedData[] = {"no index", Pattern(10000, 1), "looks like a frame"};
    ASSERT_EQ(3u, keeper->GetChunkCount());
    for (uint32_t i = 0; i < 3; ++i) {
        std::string data(expectedData[i].size() + 10, '\0');
        uint32_t size = uint32_t(data.size());
        ASSERT_EQ(0, keeper->ReadChunkData(i, 0, &data[0], &size));
        data.resize(size);
        EXPECT_EQ(expectedData[i], data) << expectedNames[i];
    }
    again->Release();
    keeper->Release();
    EXPECT_EQ(-4, m_reader->GetUnknownData(nullptr));
}

TEST_F(ReaderItems, PreviewFitsAndRendersTheFrame)
{
    m_spec.width = 200;
    m_spec.height = 100;
    {
        DocumentWriter w(m_store, m_spec);
        ASSERT_EQ(0, w.Attributes(1));
        ASSERT_EQ(0, w.Frame(0));
        ASSERT_EQ(0, w.Metadata(0, Metadata(1.0, 0.0, 0.0)));
        ASSERT_EQ(0, w.Finish());
    }
    ASSERT_EQ(0, Open());
    uint32_t width = 100, height = 100;
    ASSERT_EQ(0, m_reader->GetPreviewImage(width, height, nullptr, false, 0, 0));
    EXPECT_EQ(100u, width);
    EXPECT_EQ(50u, height);

    // At the picture's size: each sample through the green channel's ramp.
    width = 200;
    height = 100;
    std::string full(size_t(600) * 100, '\0');
    ASSERT_EQ(0, m_reader->GetPreviewImage(width, height, reinterpret_cast<uint8_t*>(&full[0]),
                                           true, 0, 0));
    const std::string frame = ExpectedFrame(m_spec, 0);
    for (uint32_t y : {0u, 37u, 99u})
        for (uint32_t x : {0u, 101u, 199u}) {
            const size_t at = size_t(y) * 600 + x * 3;
            EXPECT_EQ(0, full[at]);
            EXPECT_EQ(frame[size_t(y) * 200 + x], full[at + 1]) << x << "," << y;
            EXPECT_EQ(0, full[at + 2]);
        }
    // Halved: the pixel-centre neighbour of the full rendering.
    width = 100;
    height = 50;
    std::string half(size_t(300) * 50, '\0');
    ASSERT_EQ(0, m_reader->GetPreviewImage(width, height, reinterpret_cast<uint8_t*>(&half[0]),
                                           true, 0, 0));
    for (uint32_t y = 0; y < 50; ++y)
        for (uint32_t x = 0; x < 100; ++x)
            ASSERT_EQ(full.substr(size_t(2 * y + 1) * 600 + (2 * x + 1) * 3, 3),
                      half.substr(size_t(y) * 300 + x * 3, 3));
}

} // namespace
