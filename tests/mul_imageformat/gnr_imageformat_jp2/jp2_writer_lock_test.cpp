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
