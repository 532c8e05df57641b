// A writer holds its file from the first frame (or a re-close) to the end of
// Close or Abort: a second writer is refused (-9) and leaves the holder's
// file, frames and side file as they are.
#include <gtest/gtest.h>

#include <filesystem>

#include "../gnr_imageformat_qx2/qx2_format_double.h"
#include "jp2_test_support.h"
#include "jp2_writer_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "test_support.h"

using namespace jp2writer;

TEST(JP2WriterLock, SecondWriterIsRefusedAndTouchesNothing)
{
    ScopedTempDir dir;
    const std::u16string path = dir.u16("held.jp2");
    qx2test::FormatDouble qxim{"QXIM"};
    std::vector<Bytes> frames;
    for (uint32_t f = 0; f < 3; ++f)
        frames.push_back(Frame(20, 12, 1, 16, 90 + f));

    auto* holder = new CLxJP2OutputFile(&qxim, CLxStringW(path.c_str()));
    holder->AddRef();
    ASSERT_EQ(holder->SetImageAttributes(Attributes(20, 12, 1, 16)), 0);
    ASSERT_EQ(holder->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
    ASSERT_EQ(holder->SetImageData(1, frames[1].data(), nullptr, nullptr), 0);
    const Bytes held = jp2test::ReadFile(dir.path() / "held.jp2");
    const Bytes side = jp2test::ReadFile(dir.path() / "held.jp2.endmeta");
    ASSERT_FALSE(side.empty());

    for (bool withFrame : {true, false}) {
        auto* second = new CLxJP2OutputFile(&qxim, CLxStringW(path.c_str()));
        second->AddRef();
        ASSERT_EQ(second->SetImageAttributes(Attributes(20, 12, 1, 16)), 0);
        if (withFrame)
            EXPECT_EQ(second->SetImageData(0, frames[2].data(), nullptr, nullptr), -9);
        else
            ASSERT_EQ(second->SetReportObjects(CLxStringW(u"<ReportObjects/>")), 0);
        EXPECT_EQ(second->Close(), -9); // a re-close is refused too
        EXPECT_EQ(second->Abort(), 0);
        second->Release();
        EXPECT_TRUE(jp2test::ReadFile(dir.path() / "held.jp2") == held);
        EXPECT_TRUE(jp2test::ReadFile(dir.path() / "held.jp2.endmeta") == side);
    }

    ASSERT_EQ(holder->SetImageData(2, frames[2].data(), nullptr, nullptr), 0);
    ASSERT_EQ(holder->Close(), 0);
    holder->Release();
    CLxJP2InputFile in(nullptr, path.c_str());
    SLxImageAttributes a{};
    ASSERT_EQ(in.GetImageAttributes(a), 0);
    ASSERT_EQ(a.uiSequenceCount, 3u);
    for (uint32_t f = 0; f < 3; ++f) {
        Bytes back(frames[f].size());
        ASSERT_EQ(in.GetImageData(f, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == frames[f]) << f;
    }

    // Once the holder is done, a re-close goes through.
    auto* later = new CLxJP2OutputFile(nullptr, CLxStringW(path.c_str()));
    later->AddRef();
    ASSERT_EQ(later->SetReportObjects(CLxStringW(u"<ReportObjects/>")), 0);
    EXPECT_EQ(later->Close(), 0);
    later->Release();
}

// A reader made while writing sees the frames written so far and the records
// set so far, and does not touch the file.
TEST(JP2WriterLock, ReaderWhileWriting)
{
    ScopedTempDir dir;
    const std::u16string path = dir.u16("live.jp2");
    std::vector<Bytes> frames;
    for (uint32_t f = 0; f < 3; ++f)
        frames.push_back(Frame(64, 32, 4, 8, 60 + f));
    auto* w = new CLxJP2OutputFile(nullptr, CLxStringW(path.c_str()));
    w->AddRef();
    ILxInputImageFile* none = nullptr;
    EXPECT_EQ(w->CreateInputFile(0, &none, 0), -9); // nothing written yet
    EXPECT_EQ(none, nullptr);
    ASSERT_EQ(w->SetImageAttributes(Attributes(64, 32, 4, 8)), 0);
    ASSERT_EQ(w->SetImageData(0, frames[0].data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->SetImageData(1, frames[1].data(), nullptr, nullptr), 0);
    SLxImageTextInfo info;
    info.wsText[1] = CLxStringW(u"live");
    ASSERT_EQ(w->SetTextInfo(info), 0);
    ASSERT_EQ(w->SetCustomDataVar(u"Note", CLxVariant(5.0, CLxStringW(u"d"))), 0);
    const uint8_t blob[] = {4, 5};
    ASSERT_EQ(w->SetCustomData(u"Raw", blob, 2), 0);
    const Bytes before = jp2test::ReadFile(dir.path() / "live.jp2");

    ILxInputImageFile* in = nullptr;
    ASSERT_EQ(w->CreateInputFile(0, &in, 0), 0);
    ASSERT_NE(in, nullptr);
    SLxImageAttributes a{};
    ASSERT_EQ(in->GetImageAttributes(a), 0);
    EXPECT_EQ(a.uiSequenceCount, 2u);
    EXPECT_EQ(a.uiComp, 4u);
    for (uint32_t f = 0; f < 2; ++f) {
        Bytes back(frames[f].size());
        ASSERT_EQ(in->GetImageData(f, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == frames[f]) << f;
    }
    SLxImageTextInfo read;
    ASSERT_EQ(in->GetTextInfo(read), 0);
    EXPECT_EQ(U8(read.wsText[1].GetString()), "live");
    CLxVariant v;
    ASSERT_EQ(in->GetCustomDataVar(u"Note", v), 0);
    EXPECT_DOUBLE_EQ(v.GetDouble(), 5.0);
    CLxByteArray raw;
    ASSERT_EQ(in->GetCustomData(u"Raw", raw), 0);
    EXPECT_EQ(raw.GetSize(), 2u);
    in->Release();
    EXPECT_TRUE(jp2test::ReadFile(dir.path() / "live.jp2") == before);

    // Writing goes on; the finished document has all three frames.
    ASSERT_EQ(w->SetImageData(2, frames[2].data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->Close(), 0);
    ASSERT_EQ(w->CreateInputFile(0, &in, 0), 0);
    ASSERT_EQ(in->GetImageAttributes(a), 0);
    EXPECT_EQ(a.uiSequenceCount, 3u);
    in->Release();
    w->Release();
}
