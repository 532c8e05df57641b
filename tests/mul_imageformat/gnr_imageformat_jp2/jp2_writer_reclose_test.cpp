// Closing a writer that wrote no frame over an existing document: the
// file's own boxes stay byte for byte unless set again, its frames stay
// readable, and the box map is written anew.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "jp2_test_support.h"
#include "jp2_writer_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_unknowndata.h"
#include "test_support.h"

namespace
{

using namespace jp2writer;

// Own boxes of a file by code, through its box map: (code, whole box bytes).
std::multimap<uint32_t, Bytes> OwnBoxes(const std::u16string& path, const Bytes& file)
{
    std::multimap<uint32_t, Bytes> out;
    SLxJP2PositionsInfo* map = nullptr;
    if (LX_ReadJp2BoxMap(path.c_str(), &map) != 0 || !map)
        return out;
    const auto top = TopBoxes(file);
    for (uint32_t i = 0; i < map->uiCount; ++i) {
        const SLxJP2BoxPosition& e = map->pEntries[i];
        if (e.uiOwnCode == jp2_own_lunk || e.uiOwnCode == jp2_own_pmap)
            continue;
        for (size_t k = 0; k < top.size(); ++k)
            if (top[k].second == e.uiOffset) {
                const uint64_t end = k + 1 < top.size() ? top[k + 1].second : file.size();
                out.emplace(e.uiOwnCode, Bytes(file.begin() + long(e.uiOffset),
                                               file.begin() + long(end)));
            }
    }
    LX_FreeJp2PositionsInfo(map);
    return out;
}

class JP2WriterReclose : public ::testing::Test
{
  protected:
    ScopedTempDir dir;
    std::u16string Path() const { return dir.u16("doc.jp2"); }
    Bytes Read() const { return jp2test::ReadFile(dir.path() / "doc.jp2"); }

    // Two frames of 4 virtual components with every kind of own box.
    void WriteDocument()
    {
        Writer w(Path());
        SLxImageAttributes a = Attributes(24, 16, 4, 16);
        a.uiBpcSignificant = 12;
        ASSERT_EQ(w->SetImageAttributes(a), 0);
        for (uint32_t f = 0; f < 2; ++f) {
            frames.push_back(Frame(24, 16, 4, 12, 70 + f));
            ASSERT_EQ(w->SetImageData(f, frames.back().data(), nullptr, nullptr), 0);
        }
        SLxPictureMetadata md;
        md.SetToDefault();
        md.dTimeMSec = 500.0;
        ASSERT_EQ(w->SetImageMetadata(1, md, 0), 0);
        ASSERT_EQ(w->SetCalibration(0, 0.25, 1.0, true, CLxStringW(u"x40")), 0);
        ASSERT_EQ(w->SetReportObjects(CLxStringW(u"<ReportObjects a=\"1\"/>")), 0);
        ASSERT_EQ(w->SetReportObjectsSeq(1, CLxStringW(u"<r/>")), 0);
        SLxImageTextInfo info;
        info.wsText[0] = CLxStringW(u"first");
        ASSERT_EQ(w->SetTextInfo(info), 0);
        ASSERT_EQ(w->SetCustomDataVar(u"Grün", CLxVariant(1.5, CLxStringW(u"d"))), 0);
        ASSERT_EQ(w->SetCustomDataVarSeq(u"Seq", 1, CLxVariant(7u, CLxStringW(u"u"))), 0);
        const uint8_t blob[] = {9, 8, 7};
        ASSERT_EQ(w->SetCustomData(u"Blöb", blob, 3), 0);
        ASSERT_EQ(w->SetCustomDataSeq(u"PerFrame", 1, blob, 2), 0);
        std::vector<uint8_t> binary(size_t((24 + 31) / 32 * 4) * 16, 0x5A);
        ASSERT_EQ(w->SetImageBinary(binary.data()), 0);
        ASSERT_EQ(w->Close(), 0);
    }

    void ExpectFrames()
    {
        CLxJP2InputFile in(nullptr, Path().c_str());
        SLxImageAttributes a{};
        ASSERT_EQ(in.GetImageAttributes(a), 0);
        EXPECT_EQ(a.uiSequenceCount, frames.size());
        EXPECT_EQ(a.uiComp, 4u);
        EXPECT_EQ(a.uiBpcSignificant, 12u);
        for (size_t f = 0; f < frames.size(); ++f) {
            Bytes back(frames[f].size());
            ASSERT_EQ(in.GetImageData(uint32_t(f), back.data(), 0, 0), 0);
            EXPECT_TRUE(back == frames[f]) << "frame " << f;
        }
    }

    std::vector<Bytes> frames;
};

} // namespace

TEST_F(JP2WriterReclose, ChangingTextInfoKeepsEveryOtherBox)
{
    WriteDocument();
    const Bytes first = Read();
    const auto before = OwnBoxes(Path(), first);
    ASSERT_EQ(before.count(jp2_own_tinf), 1u);
    for (uint32_t code : {jp2_own_scdb, jp2_own_vcdb, jp2_own_binl, jp2_own_scdv, jp2_own_vcdv,
                          jp2_own_vimd, jp2_own_acal, jp2_own_srob, jp2_own_vrob, jp2_own_artt})
        EXPECT_EQ(before.count(code), 1u) << std::hex << code;
    EXPECT_EQ(before.count(jp2_own_vcal), 2u); // frame 1's follows its metadata

    {
        Writer w(Path());
        SLxImageTextInfo info;
        info.wsText[2] = CLxStringW(u"second");
        ASSERT_EQ(w->SetTextInfo(info), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    const Bytes second = Read();
    auto after = OwnBoxes(Path(), second);
    ASSERT_EQ(after.count(jp2_own_tinf), 1u);
    EXPECT_FALSE(after.find(jp2_own_tinf)->second == before.find(jp2_own_tinf)->second);
    auto rest = before, restAfter = after;
    rest.erase(jp2_own_tinf);
    restAfter.erase(jp2_own_tinf);
    EXPECT_TRUE(rest == restAfter);
    ExpectFrames();
    CLxJP2InputFile in(nullptr, Path().c_str());
    SLxImageTextInfo info;
    ASSERT_EQ(in.GetTextInfo(info), 0);
    EXPECT_EQ(U8(info.wsText[2].GetString()), "second");
    EXPECT_TRUE(info.wsText[0].IsEmpty());
    CLxByteArray blob;
    ASSERT_EQ(in.GetCustomData(u"Blöb", blob), 0);
    EXPECT_EQ(blob.GetSize(), 3u);
    ASSERT_EQ(in.GetCustomDataSeq(u"PerFrame", 1, blob), 0);
    EXPECT_EQ(blob.GetSize(), 2u);
    CLxVariant v;
    ASSERT_EQ(in.GetCustomDataVar(u"Grün", v), 0);
    EXPECT_DOUBLE_EQ(v.GetDouble(), 1.5);
    ASSERT_EQ(in.GetCustomDataVarSeq(u"Seq", 1, v), 0);
    EXPECT_EQ(v.GetLx_uint32(), 7u);
    SLxPictureMetadata md;
    ASSERT_EQ(in.GetImageMetadata(1, md, 0), 0);
    EXPECT_DOUBLE_EQ(md.dTimeMSec, 500.0);
}

TEST_F(JP2WriterReclose, SettingAgainReplacesByNameAndFrame)
{
    WriteDocument();
    {
        Writer w(Path());
        const uint8_t blob[] = {1, 2, 3, 4, 5};
        ASSERT_EQ(w->SetCustomData(u"Blöb", blob, 5), 0);
        ASSERT_EQ(w->SetCustomDataSeq(u"PerFrame", 0, blob, 1), 0); // another frame: both stay
        ASSERT_EQ(w->SetCustomDataVar(u"Grün", CLxVariant(3.0, CLxStringW(u"d"))), 0);
        ASSERT_EQ(w->SetCalibration(1, 0.5, 1.0, true, CLxStringW(u"x20")), 0);
        ASSERT_EQ(w->SetReportObjects(CLxStringW()), 0); // set empty: gone
        ASSERT_EQ(w->Close(), 0);
        EXPECT_EQ(w->Close(), 0);
    }
    ExpectFrames();
    const auto boxes = OwnBoxes(Path(), Read());
    EXPECT_EQ(boxes.count(jp2_own_scdb), 1u);
    EXPECT_EQ(boxes.count(jp2_own_vcdb), 2u);
    EXPECT_EQ(boxes.count(jp2_own_vcal), 2u);
    EXPECT_EQ(boxes.count(jp2_own_srob), 0u);
    CLxJP2InputFile in(nullptr, Path().c_str());
    CLxByteArray blob;
    ASSERT_EQ(in.GetCustomData(u"Blöb", blob), 0);
    EXPECT_EQ(blob.GetSize(), 5u);
    ASSERT_EQ(in.GetCustomDataSeq(u"PerFrame", 1, blob), 0);
    EXPECT_EQ(blob.GetSize(), 2u);
    CLxVariant v;
    ASSERT_EQ(in.GetCustomDataVar(u"Grün", v), 0);
    EXPECT_DOUBLE_EQ(v.GetDouble(), 3.0);
    double calibration = 0, aspect = 0;
    CLxStringW objective;
    ASSERT_EQ(in.GetCalibration(0, calibration, aspect, objective), 0);
    EXPECT_DOUBLE_EQ(calibration, 0.25);
    ASSERT_EQ(in.GetCalibration(1, calibration, aspect, objective), 0);
    EXPECT_DOUBLE_EQ(calibration, 0.5);
    EXPECT_EQ(U8(objective.GetString()), "x20");
}

// A plain JP2 file of one codestream gets its metadata after the codestream.
TEST_F(JP2WriterReclose, PlainFileAndRefusals)
{
    frames.push_back(Frame(10, 6, 1, 8, 3));
    {
        Writer w(Path());
        ASSERT_EQ(w->SetImageAttributes(Attributes(10, 6, 1, 8)), 0);
        ASSERT_EQ(w->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    {
        Writer w(Path());
        ASSERT_EQ(w->SetReportObjects(CLxStringW(u"<ReportObjects b=\"2\"/>")), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    {
        CLxJP2InputFile in(nullptr, Path().c_str());
        CLxStringW objects;
        ASSERT_EQ(in.GetReportObjects(objects), 0);
        EXPECT_EQ(U8(objects.GetString()), "<ReportObjects b=\"2\"/>");
        Bytes back(frames[0].size());
        ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == frames[0]);
    }
    // Not a JP2 file, or no file: untouched, -9; Abort removes only a file
    // the writer wrote.
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    jp2test::WriteFile(dir.path() / "doc.jp2", text);
    {
        Writer w(Path());
        ASSERT_EQ(w->SetReportObjects(CLxStringW(u"<ReportObjects b=\"2\"/>")), 0);
        EXPECT_EQ(w->Close(), -9);
        w->Abort();
    }
    EXPECT_TRUE(jp2test::ReadFile(dir.path() / "doc.jp2") == text);
    Writer none(dir.u16("none.jp2"));
    ASSERT_EQ(none->SetReportObjects(CLxStringW(u"<ReportObjects b=\"2\"/>")), 0);
    EXPECT_EQ(none->Close(), -9);
    none->Abort();
}

// ---- The experiment in both forms and foreign boxes -------------------------------

TEST_F(JP2WriterReclose, ExperimentBothFormsAndItsForeignItems)
{
    SLxExperiment* time = nullptr;
    ASSERT_EQ(SLxExperiment::Alloc(&time), 0);
    ASSERT_EQ(SLxExperiment::Init(*time, SLxExperiment::eEtTime, true, 3, 0, 0), 0);
    time->uLoopPars.sTimeLoop.dPeriod = 250.0;
    CLxVariant foreign(CLxVariantRunType(CLxStringA("CLxListVariant")), CLxStringW(u"x"));
    foreign.Append(CLxVariant(CLxStringW(u"kept"), CLxStringW(u"sForeignNote")));
    {
        Writer w(Path());
        ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
        for (uint32_t f = 0; f < 3; ++f) {
            frames.push_back(Frame(8, 8, 1, 8, f));
            ASSERT_EQ(w->SetImageData(f, frames.back().data(), nullptr, nullptr), 0);
        }
        ASSERT_EQ(w->SetExperiment(*time, &foreign), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    SLxExperiment::FreeRecursive(time);
    const auto boxes = OwnBoxes(Path(), Read());
    ASSERT_EQ(boxes.count(jp2_own_aim1), 1u);
    EXPECT_EQ(boxes.count(jp2_own_aimd), 1u); // a simple chain: the old form too
    const Bytes& aim1 = boxes.find(jp2_own_aim1)->second;
    const std::string text(aim1.begin(), aim1.end());
    EXPECT_NE(text.find("sForeignNote"), std::string::npos); // the copied foreign items
    EXPECT_NE(text.find("vUnknownData"), std::string::npos);

    CLxJP2InputFile in(nullptr, Path().c_str());
    SLxExperiment* read = nullptr;
    ASSERT_EQ(SLxExperiment::Alloc(&read), 0);
    ASSERT_EQ(in.GetExperiment(*read, 0), 0);
    EXPECT_EQ(read->eType, SLxExperiment::eEtTime);
    EXPECT_EQ(read->uLoopPars.uiCount, 3u);
    EXPECT_DOUBLE_EQ(read->uLoopPars.sTimeLoop.dPeriod, 250.0);
    SLxExperiment::FreeRecursive(read);
}

TEST_F(JP2WriterReclose, ForeignBoxesTravelThroughTheKeeper)
{
    // A plain file with a foreign XML box and a foreign UUID box after its codestream.
    frames.push_back(Frame(8, 8, 1, 8, 5));
    {
        Writer w(dir.u16("src.jp2"));
        ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
        ASSERT_EQ(w->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    const std::string xmlText = "<other>foreign</other>";
    Bytes uuid(16, 0xAB);
    uuid.insert(uuid.end(), {1, 2, 3});
    Bytes src = jp2test::ReadFile(dir.path() / "src.jp2");
    const Bytes xml = jp2test::Box("xml ", Bytes(xmlText.begin(), xmlText.end()));
    const Bytes uu = jp2test::Box("uuid", uuid);
    src.insert(src.end(), xml.begin(), xml.end());
    src.insert(src.end(), uu.begin(), uu.end());
    jp2test::WriteFile(dir.path() / "src.jp2", src);

    ILxImageUnknownData* keeper = nullptr;
    CLxJP2InputFile* reader = new CLxJP2InputFile(nullptr, dir.u16("src.jp2").c_str());
    reader->AddRef();
    ASSERT_EQ(reader->GetUnknownData(&keeper), 0);
    ASSERT_EQ(keeper->GetChunkCount(), 2u);
    {
        Writer w(Path());
        EXPECT_EQ(w->SetUnknownData(nullptr), -4);
        CLxJP2UnknownData* other = new CLxJP2UnknownData(CLxStringA("QX2"));
        other->AddRef();
        EXPECT_EQ(w->SetUnknownData(other), -4);
        other->Release();
        ASSERT_EQ(w->SetUnknownData(keeper), 0);
        ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
        ASSERT_EQ(w->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    keeper->Release();
    reader->Release();
    const Bytes out = Read();
    const auto top = TopBoxes(out);
    ASSERT_EQ(top.size(), 6u);
    EXPECT_EQ(top[4].first, "xml ");
    EXPECT_EQ(top[5].first, "uuid");
    EXPECT_TRUE(Bytes(out.begin() + long(top[4].second), out.begin() + long(top[5].second)) ==
                xml);
    EXPECT_TRUE(Bytes(out.begin() + long(top[5].second), out.end()) == uu);

    // Re-closing the copy with the keeper of its own file keeps each box once.
    CLxJP2InputFile* again = new CLxJP2InputFile(nullptr, Path().c_str());
    again->AddRef();
    ASSERT_EQ(again->GetUnknownData(&keeper), 0);
    {
        Writer w(Path());
        ASSERT_EQ(w->SetUnknownData(keeper), 0);
        ASSERT_EQ(w->SetReportObjects(CLxStringW(u"<ReportObjects c=\"3\"/>")), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    keeper->Release();
    again->Release();
    const auto reclosed = TopBoxes(Read());
    EXPECT_EQ(Count(reclosed, "xml "), 2u);
    EXPECT_EQ(Count(reclosed, "uuid"), 1u);
}

// A new calibration of frame 0 reaches the header's capture resolution too.
TEST_F(JP2WriterReclose, CalibrationRewritesTheCaptureResolution)
{
    frames.push_back(Frame(8, 8, 1, 8, 4));
    {
        Writer w(Path());
        ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
        ASSERT_EQ(w->SetCalibration(0, 0.5, 1.0, true, CLxStringW(u"x10")), 0);
        ASSERT_EQ(w->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    auto Capture = [&]() {
        jp2_file_source source;
        EXPECT_TRUE(source.open(Path().c_str(), 0));
        return source.is_open() ? source.access_resolution()->get_resolution(false) : 0.0f;
    };
    EXPECT_FLOAT_EQ(Capture(), 0.5f);
    {
        Writer w(Path());
        ASSERT_EQ(w->SetCalibration(0, 0.25, 1.0, true, CLxStringW(u"x20")), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    EXPECT_FLOAT_EQ(Capture(), 0.25f);
    CLxJP2InputFile in(nullptr, Path().c_str());
    double calibration = 0, aspect = 0;
    CLxStringW objective;
    ASSERT_EQ(in.GetCalibration(0, calibration, aspect, objective), 0);
    EXPECT_DOUBLE_EQ(calibration, 0.25);
    Bytes back(frames[0].size());
    ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
    EXPECT_TRUE(back == frames[0]);
}

// A file whose writer stopped inside its last codestream: re-closing keeps
// every complete frame and cuts the incomplete one off.
TEST_F(JP2WriterReclose, StoppedWriterFileKeepsItsFrames)
{
    {
        auto* w = new CLxJP2OutputFile(nullptr, CLxStringW(dir.u16("live.jp2").c_str()));
        w->AddRef();
        ASSERT_EQ(w->SetImageAttributes(Attributes(32, 16, 1, 8)), 0);
        for (uint32_t f = 0; f < 3; ++f) {
            frames.push_back(Frame(32, 16, 1, 8, 40 + f));
            ASSERT_EQ(w->SetImageData(f, frames.back().data(), nullptr, nullptr), 0);
        }
        Bytes cut = jp2test::ReadFile(dir.path() / "live.jp2");
        cut.resize(cut.size() - 30); // inside the third codestream
        jp2test::WriteFile(dir.path() / "doc.jp2", cut);
        w->Abort();
        w->Release();
    }
    {
        Writer w(Path());
        SLxImageTextInfo info;
        info.wsText[0] = CLxStringW(u"after the crash");
        ASSERT_EQ(w->SetTextInfo(info), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    CLxJP2InputFile in(nullptr, Path().c_str());
    SLxImageAttributes a{};
    ASSERT_EQ(in.GetImageAttributes(a), 0);
    ASSERT_EQ(a.uiSequenceCount, 2u); // the cut frame is gone
    for (uint32_t f = 0; f < 2; ++f) {
        Bytes back(frames[f].size());
        ASSERT_EQ(in.GetImageData(f, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == frames[f]) << f;
    }
    SLxImageTextInfo read;
    ASSERT_EQ(in.GetTextInfo(read), 0);
    EXPECT_EQ(U8(read.wsText[0].GetString()), "after the crash");
}
