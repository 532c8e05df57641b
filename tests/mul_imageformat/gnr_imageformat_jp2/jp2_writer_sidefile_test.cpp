// Side-file mode: a writer made by the QX2 document layer's format leaves
// one text per setter beside the file, a reader of the unfinished file takes
// them, and Close and Abort remove the side file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../gnr_imageformat_qx2/qx2_format_double.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "jp2_test_support.h"
#include "jp2_writer_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "test_support.h"

namespace
{

using namespace jp2writer;

size_t Texts(const Bytes& side)
{
    size_t n = 0;
    for (uint8_t b : side)
        n += b == 0;
    return n;
}

class JP2WriterSideFile : public ::testing::Test
{
  protected:
    ScopedTempDir dir;
    qx2test::FormatDouble qxim{"QXIM"};
    std::filesystem::path File() const { return dir.path() / "doc.jp2"; }
    std::filesystem::path Side() const { return dir.path() / "doc.jp2.endmeta"; }
    CLxJP2OutputFile* Make()
    {
        auto* w = new CLxJP2OutputFile(&qxim, CLxStringW(dir.u16("doc.jp2").c_str()));
        w->AddRef();
        return w;
    }
};

} // namespace

TEST_F(JP2WriterSideFile, OneTextPerSetterRemovedByClose)
{
    jp2test::WriteFile(Side(), {'o', 'l', 'd', 0}); // a stale side file goes at once
    CLxJP2OutputFile* w = Make();
    EXPECT_FALSE(std::filesystem::exists(Side()));
    ASSERT_EQ(w->SetImageAttributes(Attributes(16, 8, 4, 8)), 0);
    const Bytes f = Frame(16, 8, 4, 8, 1);
    ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
    SLxImageTextInfo info;
    info.wsText[0] = CLxStringW(u"early");
    ASSERT_EQ(w->SetTextInfo(info), 0);
    info.wsText[0] = CLxStringW(u"late");
    ASSERT_EQ(w->SetTextInfo(info), 0);
    ASSERT_EQ(w->SetCalibration(0, 0.125, 1.0, true, CLxStringW(u"x60")), 0);
    const uint8_t blob[] = {1};
    ASSERT_EQ(w->SetCustomData(u"b", blob, 1), 0); // no text
    ASSERT_EQ(w->SetAcqTime(42.0), 0);
    EXPECT_EQ(Texts(jp2test::ReadFile(Side())), 5u); // ARTT, TINF x 2, VCAL, VIMD

    // A reader of the unfinished document (its copy, as after a crash).
    std::filesystem::copy_file(File(), dir.path() / "copy.jp2");
    std::filesystem::copy_file(Side(), dir.path() / "copy.jp2.endmeta");
    {
        CLxJP2InputFile in(nullptr, dir.u16("copy.jp2").c_str());
        SLxImageAttributes a{};
        ASSERT_EQ(in.GetImageAttributes(a), 0);
        EXPECT_EQ(a.uiComp, 4u);
        EXPECT_EQ(a.uiSequenceCount, 1u);
        SLxImageTextInfo read;
        ASSERT_EQ(in.GetTextInfo(read), 0);
        EXPECT_EQ(U8(read.wsText[0].GetString()), "late");
        double calibration = 0, aspect = 0;
        CLxStringW objective;
        ASSERT_EQ(in.GetCalibration(0, calibration, aspect, objective), 0);
        EXPECT_DOUBLE_EQ(calibration, 0.125);
        double time = 0;
        ASSERT_EQ(in.GetAcqTime(time), 0);
        EXPECT_DOUBLE_EQ(time, 42.0);
        Bytes back(f.size());
        ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == f);
    }

    ASSERT_EQ(w->Close(), 0);
    EXPECT_FALSE(std::filesystem::exists(Side()));
    w->Release();
    CLxJP2InputFile in(nullptr, dir.u16("doc.jp2").c_str());
    SLxImageTextInfo read;
    ASSERT_EQ(in.GetTextInfo(read), 0);
    EXPECT_EQ(U8(read.wsText[0].GetString()), "late");
}

TEST_F(JP2WriterSideFile, AbortRemovesBothAndOtherFormatsWriteNone)
{
    CLxJP2OutputFile* w = Make();
    ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
    const Bytes f = Frame(8, 8, 1, 8, 2);
    ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
    ASSERT_TRUE(std::filesystem::exists(Side()));
    EXPECT_EQ(w->Abort(), 0);
    EXPECT_FALSE(std::filesystem::exists(Side()));
    EXPECT_FALSE(std::filesystem::exists(File()));
    w->Release();

    qx2test::FormatDouble other{"JPEG2000"};
    auto* plain = new CLxJP2OutputFile(&other, CLxStringW(dir.u16("doc.jp2").c_str()));
    plain->AddRef();
    ASSERT_EQ(plain->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
    EXPECT_FALSE(std::filesystem::exists(Side()));
    plain->Release();
}
