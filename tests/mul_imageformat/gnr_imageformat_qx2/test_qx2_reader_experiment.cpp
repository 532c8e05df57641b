// The experiment of a document through the readers: a deep copy for the
// caller, the preview frame at the first Z stack's home plane, and the
// experiment an unfinished file gets on repair.
#include <gtest/gtest.h>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"
#include "qx2_document_writer.h"
#include "qx2_reader_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

// Time (timeCount) over Z (3 planes, home plane 1).
SLxExperiment* TimeOverZ(uint32_t timeCount)
{
    SLxExperiment* root = nullptr;
    SLxExperiment::Alloc(&root);
    SLxExperiment::Init(*root, SLxExperiment::eEtTime, true, timeCount, 0, 1);
    root->uLoopPars.sTimeLoop.dPeriod = 100.0;
    SLxExperiment* z = nullptr;
    SLxExperiment::Alloc(&z);
    SLxExperiment::Init(*z, SLxExperiment::eEtZStack, true, 3, 0, 0);
    z->uLoopPars.sZStackLoop.dZLow = 0.0;
    z->uLoopPars.sZStackLoop.dZHigh = 2.0;
    z->uLoopPars.sZStackLoop.dZHome = 1.0;
    z->uLoopPars.sZStackLoop.iType = 1;
    z->uiRepeatCount = 1;
    root->ppNextLevelEx[0] = z;
    return root;
}

std::string ExperimentXml(const SLxExperiment& exp)
{
    CLxVariant v;
    EXPECT_EQ(0, SLxExperiment::SaveToVariant(v, exp));
    return Xml(v);
}

TEST(ReaderExperiment, CallerGetsATreeOfItsOwn)
{
    const SDocSpec s{"Ver2.1", 4, 4, 1, 8, false, 0};
    SLxExperiment* stored = TimeOverZ(2);
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Attributes(6));
        ASSERT_EQ(0, w.Chunk("ImageMetadata!", ExperimentXml(*stored)));
        ASSERT_EQ(0, w.Finish());
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    for (int round = 0; round < 2; ++round) {
        SLxExperiment* got = nullptr;
        SLxExperiment::Alloc(&got);
        ASSERT_EQ(0, reader->GetExperiment(*got, 0));
        EXPECT_TRUE(SLxExperiment::IsEqual(*stored, *got, true));
        SLxExperiment::FreeRecursive(got);
    }
    SLxExperiment::FreeRecursive(stored);
}

TEST(ReaderExperiment, PreviewShowsTheFirstZStacksHomePlane)
{
    const SDocSpec s{"Ver2.1", 6, 4, 1, 8, true, 0};
    SLxExperiment* stored = TimeOverZ(2);
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Attributes(6));
        ASSERT_EQ(0, w.Chunk("ImageMetadata!", ExperimentXml(*stored)));
        for (uint32_t f = 0; f < 6; ++f)
            ASSERT_EQ(0, w.Frame(f));
        ASSERT_EQ(0, w.Finish());
    }
    SLxExperiment::FreeRecursive(stored);
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    uint32_t w = 6, h = 4;
    std::string rgb(size_t(20) * 4, '\0');
    ASSERT_EQ(0, reader->GetPreviewImage(w, h, reinterpret_cast<uint8_t*>(&rgb[0]), true, 0, 0));
    // Without metadata a grey frame: every colour sample is the frame's.
    const std::string frame = ExpectedFrame(s, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(frame[y * 8 + x], rgb[y * 20 + x * 3 + 1]) << x << "," << y;
}

TEST(ReaderExperiment, RepairCutsTheExperimentToTheFramesFound)
{
    const SDocSpec s{"Ver2.1", 4, 4, 1, 8, false, 0};
    SLxExperiment* stored = TimeOverZ(10);
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Attributes(0));
        ASSERT_EQ(0, w.Chunk("ImageMetadata!", ExperimentXml(*stored)));
        // Two whole time points and one plane of the third; times 0, 100,
        // 250 ms at the time points' first planes.
        const double times[7] = {0, 1, 2, 100, 101, 102, 250};
        for (uint32_t f = 0; f < 7; ++f)
            ASSERT_EQ(0, w.Frame(f, times[f]));
    }
    SLxExperiment::FreeRecursive(stored);
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxExperiment* got = nullptr;
    SLxExperiment::Alloc(&got);
    ASSERT_EQ(0, reader->GetExperiment(*got, 0));
    EXPECT_EQ(2u, got->uLoopPars.sTimeLoop.uiCount);
    EXPECT_DOUBLE_EQ(100.0, got->uLoopPars.sTimeLoop.dMinPeriodDiff);
    EXPECT_DOUBLE_EQ(100.0, got->uLoopPars.sTimeLoop.dAvgPeriodDiff);
    ASSERT_EQ(1u, got->uiNextLevelCount);
    EXPECT_EQ(3u, got->ppNextLevelEx[0]->uLoopPars.sZStackLoop.uiCount);
    SLxExperiment::FreeRecursive(got);
}

TEST(ReaderExperiment, VersionOneRepairAddsTheExperimentAndNoTimes)
{
    const SDocSpec s{"Ver1.0", 4, 4, 1, 8, false, 0};
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Attributes(0));
        for (uint32_t f = 0; f < 4; ++f)
            ASSERT_EQ(0, w.Frame(f));
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    // No experiment in the file: the empty one it gets has no loop.
    SLxExperiment* got = nullptr;
    SLxExperiment::Alloc(&got);
    ASSERT_EQ(0, reader->GetExperiment(*got, 0));
    EXPECT_EQ(SLxExperiment::eEtUnknown, got->eType);
    SLxExperiment::FreeRecursive(got);
    CLxByteArray times;
    EXPECT_EQ(-13, reader->GetCustomData(u"AcqTimesCache", times));
}

TEST(ReaderExperiment, WritersReaderKeepsACopyRepairedToItsFrames)
{
    const SDocSpec s{"Ver2.1", 4, 4, 1, 8, false, 0};
    SLxExperiment* planned = TimeOverZ(10);
    ChunkStore store(eOnFile);
    DocumentWriter w(store, s);
    ASSERT_EQ(0, w.Attributes(0));
    ASSERT_EQ(0, w.Chunk("ImageMetadata!", ExperimentXml(*planned)));
    SLxExperiment::FreeRecursive(planned);
    for (uint32_t f = 0; f < 4; ++f)
        ASSERT_EQ(0, w.Frame(f));
    FormatDouble format;
    CLxQX2InputFile_V02* reader = nullptr;
    ASSERT_EQ(0, CLxQX2InputFile_V02::CreateFromWriter(&format, CLxStringW(), w.Chunker(),
                                                       CLxByteArray(), &reader));
    reader->AddRef();
    SLxExperiment* got = nullptr;
    SLxExperiment::Alloc(&got);
    ASSERT_EQ(0, reader->GetExperiment(*got, 0));
    EXPECT_EQ(1u, got->uLoopPars.uiCount); // 4 frames: one whole time point
    SLxExperiment::FreeRecursive(got);
    for (uint32_t f = 4; f < 9; ++f)
        ASSERT_EQ(0, w.Frame(f));
    ASSERT_EQ(0, reader->RefreshFromWriter(9, CLxByteArray(), w.Chunker()));
    SLxExperiment::Alloc(&got);
    ASSERT_EQ(0, reader->GetExperiment(*got, 0));
    // The copy was cut to one time point before; a repair never grows it.
    EXPECT_LE(got->uLoopPars.uiCount, 3u);
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(9u, a.uiSequenceCount);
    SLxExperiment::FreeRecursive(got);
    reader->Release();
}

} // namespace
