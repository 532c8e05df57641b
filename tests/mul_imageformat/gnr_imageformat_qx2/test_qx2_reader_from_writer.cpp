// The reader a version 2.1 writer hands out over the file it is writing,
// and the typed call through which the writer brings it up to date.
#include <gtest/gtest.h>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"
#include "qx2_document_writer.h"
#include "qx2_reader_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

class ReaderFromWriter : public ::testing::TestWithParam<ETarget>
{
};

TEST_P(ReaderFromWriter, SeesTheFramesWrittenAndIsRefreshedByTheWriter)
{
    const SDocSpec s{"Ver2.1", 7, 3, 1, 8, true, 0};
    ChunkStore store(GetParam());
    DocumentWriter w(store, s);
    ASSERT_EQ(0, w.Attributes(0));
    ASSERT_EQ(0, w.Frame(0, 5.0));
    ASSERT_EQ(0, w.Frame(1, 6.0));
    ASSERT_EQ(0, w.Metadata(0, SLxPictureMetadata()));

    FormatDouble format;
    CLxQX2InputFile_V02* reader = nullptr;
    CLxByteArray times;
    times.SetData((Double(5.0) + Double(6.0)).data(), 16, eLxByteArrayOpFromStart,
                  eLxByteArrayAllocExact);
    ASSERT_EQ(0, CLxQX2InputFile_V02::CreateFromWriter(&format, CLxStringW(), w.Chunker(), times,
                                                       &reader));
    reader->AddRef();
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(2u, a.uiSequenceCount) << "from the frames in the writer's map";
    std::string frame(size_t(s.Stride()) * s.height, '\0');
    ASSERT_EQ(0, reader->GetImageData(1, &frame[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 1), frame);
    EXPECT_EQ(-13, reader->GetImageData(2, &frame[0], 0, 0));
    SLxPictureMetadata md;
    ASSERT_EQ(0, reader->GetImageMetadata(1, md, 0));
    EXPECT_DOUBLE_EQ(6.0, md.dTimeMSec);

    ASSERT_EQ(0, w.Frame(2, 7.0));
    times.SetData(Double(7.0).data(), 8, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement);
    ASSERT_EQ(0, reader->RefreshFromWriter(3, times, w.Chunker()));
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(3u, a.uiSequenceCount) << "the refresh sets the frame count";
    ASSERT_EQ(0, reader->GetImageData(2, &frame[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 2), frame);
    ASSERT_EQ(0, reader->GetImageMetadata(2, md, 0));
    EXPECT_DOUBLE_EQ(7.0, md.dTimeMSec);

    // The old refresh names are no way in from outside.
    CLxByteArray bytes;
    EXPECT_EQ(-4,
              reader->GetCustomDataSeq(u"HACK_SET_m_fileChunker",
                                       uint32_t(reinterpret_cast<uintptr_t>(&w.Chunker())), bytes));
    EXPECT_EQ(-4, reader->GetCustomDataSeq(u"HACK_SET_m_uiTotalSeqCount", 9, bytes));
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(3u, a.uiSequenceCount);
    reader->Release();

    // The writer goes on and finishes; the file reads as a whole.
    ASSERT_EQ(0, w.Frame(3, 8.0));
    ASSERT_EQ(0, w.Finish());
}

INSTANTIATE_TEST_SUITE_P(Targets, ReaderFromWriter, ::testing::Values(eOnFile, eInMemory),
                         [](const auto& info) { return std::string(TargetName(info.param)); });

TEST(ReaderFromWriterV1, FrameCountFromTheMap)
{
    const SDocSpec s{"Ver1.0", 7, 3, 3, 8, false, 0};
    ChunkStore store(eOnFile);
    DocumentWriter w(store, s);
    ASSERT_EQ(0, w.Attributes(0));
    ASSERT_EQ(0, w.Frame(0));
    ASSERT_EQ(0, w.Frame(4));
    FormatDouble format;
    CLxQX2InputFile_V01* reader = nullptr;
    ASSERT_EQ(0,
              CLxQX2InputFile_V01::CreateFromWriter(&format, CLxStringW(), w.Chunker(), &reader));
    reader->AddRef();
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(5u, a.uiSequenceCount);
    std::string frame(size_t(s.Stride()) * s.height, '\0');
    ASSERT_EQ(0, reader->GetImageData(4, &frame[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 4), frame);
    reader->Release();
    ASSERT_EQ(0, w.Finish());
}

TEST(ReaderFromWriterV1, NoFrameYetCountsNone)
{
    const SDocSpec s{"Ver1.0", 7, 3, 3, 8, false, 0};
    ChunkStore store(eOnFile);
    DocumentWriter w(store, s);
    ASSERT_EQ(0, w.Attributes(0));
    FormatDouble format;
    CLxQX2InputFile_V01* reader = nullptr;
    ASSERT_EQ(0,
              CLxQX2InputFile_V01::CreateFromWriter(&format, CLxStringW(), w.Chunker(), &reader));
    reader->AddRef();
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(0u, a.uiSequenceCount);
    reader->Release();
    ASSERT_EQ(0, w.Finish());
}

} // namespace
