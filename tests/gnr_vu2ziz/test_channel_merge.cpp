// Spectral documents whose branches acquire different channels: where each
// component of a frame comes from, what is read from the file, and frames
// that cannot be built.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "document_test_support.h"
#include "fixtures/documents/merge_fixtures.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/experiment_builder.h"
#include "gnr_vu2ziz/meta_inputfile/LxChannelMerge.h"

using namespace lxtest_vu2ziz;
using namespace lxtest_merge;

namespace
{

// The frame as the reader builds it, and the source of each component.
std::vector<int64_t> Sources(WrappedDocument& doc, const SMergeDocument& d, uint32_t frame)
{
    std::vector<uint8_t> pixels(size_t(MergeRow(d) * d.height), 0xCD);
    CLxMetaInputFile* reader = doc->Reader();
    if (reader->SeekFrame(frame) != 0 || reader->ReadFrame(pixels.data()) != 0)
        return {};
    std::vector<int64_t> sources;
    for (uint32_t c = 0; c < d.components; ++c)
        sources.push_back(SourceOfComponent(d, pixels.data(), c));
    return sources;
}

std::vector<int64_t> Repeated(std::initializer_list<std::pair<int64_t, uint32_t>> runs)
{
    std::vector<int64_t> out;
    for (const auto& run : runs)
        out.insert(out.end(), run.second, run.first);
    return out;
}

struct SSourceCase {
    const char* document;
    uint32_t frame;
    std::vector<int64_t> sources; // -1: zero
};

TEST(ChannelMerge, EachComponentComesFromTheLatestFrameThatAcquiredIt)
{
    const SSourceCase cases[] = {
        // Point 1 at time 3: its own channel 2, channels 0 and 1 from point 0.
        {"merge_xy.qx2", 7, {6, 6, 7}},
        // The first point of a period also visits the later branches of it.
        {"merge_xy.qx2", 0, {0, 0, 1}},
        {"merge_xy.qx2", 2, {2, 2, 3}},
        {"merge_xy.qx2", 3, {2, 2, 3}},
        {"merge_whole.qx2", 0, {0, 0, 0}},
        {"merge_whole.qx2", 1, {0, 0, 1}},
        {"merge_whole.qx2", 3, {2, 2, 3}},
        // Worked by hand: period 0 turns {0, 1} and {2} over points 0-3,
        // period 1 ({0, 2} twice, {1} once) starts at point 4 and sees
        // nothing of period 0.
        {"merge_netime.qx2", 0, {0, 0, 1}},
        {"merge_netime.qx2", 1, {0, 0, 1}},
        {"merge_netime.qx2", 2, {2, 2, 1}},
        {"merge_netime.qx2", 3, {2, 2, 3}},
        {"merge_netime.qx2", 4, {4, 6, 4}},
        {"merge_netime.qx2", 5, {5, 6, 5}},
        {"merge_netime.qx2", 6, {5, 6, 5}},
        // Channels that a frame's own period never acquires come from the
        // last frame of the period before, else the first of the next.
        {"merge_periods.qx2", 0, {0, 0, 4}},
        {"merge_periods.qx2", 3, {3, 3, 4}},
        {"merge_periods.qx2", 4, {3, 3, 4}},
        {"merge_periods.qx2", 6, {3, 3, 6}},
        // More channels than the old fixed table of 28.
        {"merge30.qx2", 1, Repeated({{0, 15}, {1, 15}})},
        {"merge30.qx2", 2, Repeated({{2, 15}, {3, 15}})},
        // Channel 3 is switched off everywhere: no frame acquired it.
        {"merge_nosource.qx2", 0, {0, 0, 1, -1}},
        {"merge_nosource.qx2", 3, {2, 2, 3, -1}},
    };
    for (const SSourceCase& c : cases) {
        SCOPED_TRACE(std::string(c.document) + " frame " + std::to_string(c.frame));
        const SMergeDocument* d = FindMerge(c.document);
        ASSERT_NE(nullptr, d);
        WrappedDocument doc(c.document);
        ASSERT_NE(nullptr, doc.document);
        EXPECT_EQ(c.sources, Sources(doc, *d, c.frame));
    }
}

TEST(ChannelMerge, ChannelImagesShowTheMergedComponents)
{
    const SMergeDocument& d = *FindMerge("merge_xy.qx2");
    Document doc = OpenFixture(d.name);
    ASSERT_TRUE(doc);
    ASSERT_EQ(24u, doc->GetImageCount());
    const uint32_t expected[3] = {6, 6, 7};
    for (uint32_t c = 0; c < 3; ++c) {
        uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
        ASSERT_TRUE(doc->GetImageInfo(7 * 3 + c, &w, &wb, &h, &comps, &bits));
        ASSERT_EQ(1u, comps);
        std::vector<uint8_t> image(size_t(wb) * h, 0xCD);
        ASSERT_TRUE(doc->GetImage(7 * 3 + c, image.data()));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p = &image[size_t(y) * wb + size_t(x) * 2];
                ASSERT_EQ(MergeSample(expected[c], c, x, y), p[0] | p[1] << 8) << c;
            }
    }
}

// Every image of the document reached once through its loops, with the
// pixels of the frame the merge takes its channel from.
TEST(ChannelMerge, ChannelsSpreadOverPeriodsAreAChannelLoopOfTheirUnion)
{
    const SMergeDocument& d = *FindMerge("merge_periods.qx2");
    Document doc = OpenFixture(d.name);
    ASSERT_TRUE(doc);
    ASSERT_EQ(2u, doc->GetLoopCount());
    EXPECT_EQ(1u, doc->GetLoopType(0));
    EXPECT_EQ(3u, doc->GetLoopType(1));
    ASSERT_EQ(7u, doc->GetLoopSize(0));
    ASSERT_EQ(3u, doc->GetLoopSize(1));
    ASSERT_EQ(21u, doc->GetImageCount());
    std::vector<int> reached(21, 0);
    for (uint32_t t = 0; t < 7; ++t)
        for (uint32_t c = 0; c < 3; ++c) {
            SCOPED_TRACE("time " + std::to_string(t) + " channel " + std::to_string(c));
            uint32_t coordinates[2] = {t, c};
            const uint32_t seq = doc->GetSeqIndex(coordinates);
            ASSERT_LT(seq, 21u);
            ++reached[seq];
            uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
            ASSERT_TRUE(doc->GetImageInfo(seq, &w, &wb, &h, &comps, &bits));
            ASSERT_EQ(1u, comps);
            std::vector<uint8_t> image(size_t(wb) * h, 0xCD);
            ASSERT_TRUE(doc->GetImage(seq, image.data()));
            const uint32_t source = c == 2 ? (t < 4 ? 4 : t) : (t < 4 ? t : 3);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    const uint8_t* p = &image[size_t(y) * wb + size_t(x) * 2];
                    ASSERT_EQ(MergeSample(source, c, x, y), p[0] | p[1] << 8);
                }
            // Reading moves the reader into the other period: nothing changes.
            ASSERT_EQ(21u, doc->GetImageCount());
            ASSERT_EQ(3u, doc->GetLoopSize(1));
        }
    EXPECT_EQ(std::vector<int>(21, 1), reached);
}

TEST(ChannelMerge, CachedSourcesAreCopiedWithoutTheFile)
{
    const SMergeDocument& d = *FindMerge("merge_xy.qx2");
    {
        // Nothing cached: every component of frame 7 comes from the file.
        WrappedDocument doc(d.name);
        ASSERT_NE(nullptr, doc.document);
        EXPECT_EQ((std::vector<int64_t>{6, 6, 7}), Sources(doc, d, 7));
        EXPECT_EQ(3u, doc.wrapper->imageDataComponentCalls);
        EXPECT_EQ(0u, doc.wrapper->imageDataCalls);
    }
    WrappedDocument doc(d.name);
    ASSERT_NE(nullptr, doc.document);
    EXPECT_EQ((std::vector<int64_t>{6, 6, 7}), Sources(doc, d, 6));
    doc.wrapper->imageDataComponentCalls = 0;
    doc.wrapper->imageDataCalls = 0;
    EXPECT_EQ((std::vector<int64_t>{6, 6, 7}), Sources(doc, d, 7));
    EXPECT_EQ(1u, doc.wrapper->imageDataComponentCalls); // channel 2 of frame 7 only
    EXPECT_EQ(0u, doc.wrapper->imageDataCalls);
}

TEST(ChannelMerge, FrameHoldingAllItsChannelsIsReadDirectlyAndMergingGoesOn)
{
    const SMergeDocument& d = *FindMerge("merge_whole.qx2");
    WrappedDocument doc(d.name);
    ASSERT_NE(nullptr, doc.document);
    EXPECT_EQ((std::vector<int64_t>{0, 0, 0}), Sources(doc, d, 0));
    EXPECT_EQ(1u, doc.wrapper->imageDataCalls);
    EXPECT_EQ(0u, doc.wrapper->imageDataComponentCalls);
    // Still merged: point 1 takes channels 0 and 1 from the cached frame 0.
    EXPECT_EQ((std::vector<int64_t>{0, 0, 1}), Sources(doc, d, 1));
    EXPECT_EQ(1u, doc.wrapper->imageDataCalls);
    EXPECT_EQ(1u, doc.wrapper->imageDataComponentCalls);
}

TEST(ChannelMerge, FailedComponentReadFailsTheImage)
{
    const SMergeDocument& d = *FindMerge("merge_xy.qx2");
    WrappedDocument doc(d.name);
    ASSERT_NE(nullptr, doc.document);
    // The wrapper cannot hand out components: replace the inner reader's
    // frames so that GetImageDataComponent of frame 6 fails.
    struct CFailingComponents : CForwardingFile {
        using CForwardingFile::CForwardingFile;
        int GetImageDataComponent(uint32_t s, uint32_t c, void* dst, uint32_t wb,
                                  uint32_t dc) override
        {
            return s == 6 ? -9 : CForwardingFile::GetImageDataComponent(s, c, dst, wb, dc);
        }
    };
    ILxInputImageFile* file = OpenFormatReader(d.name);
    ASSERT_NE(nullptr, file);
    auto* failing = new CFailingComponents(file);
    failing->AddRef();
    auto* document = new CJp2InputFile;
    ASSERT_EQ(0, document->OpenFile(failing));
    std::vector<uint8_t> image(size_t(12 * d.height), 0xCD);
    EXPECT_FALSE(document->GetImage(7 * 3 + 2, image.data()));
    EXPECT_EQ(std::vector<uint8_t>(image.size(), 0xCD), image);
    // Frames that need nothing of frame 6 still come.
    EXPECT_TRUE(document->GetImage(3 * 3 + 2, image.data()));
    document->Release();
    failing->Release();
}

TEST(ChannelMerge, FailingWalkFailsTheImageAndWritesNothing)
{
    Document doc = OpenFixture("merge_badwalk.qx2");
    ASSERT_TRUE(doc);
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    ASSERT_TRUE(doc->GetImageInfo(0, &w, &wb, &h, &comps, &bits));
    std::vector<uint8_t> image(size_t(wb) * h, 0xCD);
    EXPECT_FALSE(doc->GetImage(0, image.data()));
    EXPECT_EQ(std::vector<uint8_t>(image.size(), 0xCD), image);
}

using namespace exptest;

// The walk on trees it cannot finish: the positions come back as given.
TEST(ChannelSourceWalk, FailuresRestoreThePositions)
{
    struct Case {
        const char* what;
        E* root;
        std::vector<uint32_t> positions;
        int status;
    };
    E* missing = XY(2, {Spect({u"a"}), Spect({u"b"})});
    E::FreeRecursive(missing->ppNextLevelEx[1]);
    missing->ppNextLevelEx[1] = nullptr;
    Case cases[] = {
        {"missing branch", Time(3, {missing}), {2, 1, 0}, -4},
        {"no children", Time(3, {XY(2)}), {1, 1}, -9},
        {"no period holds the point",
         NETime({{2, true, {Spect({u"a"})}}, {2, false, {Spect({u"b"})}}}), {3, 0}, -9},
        {"positions run out", Time(2, {XY(2, {Spect({u"a"})})}), {1}, -4},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpTree tree(c.root);
        SLxPicturePlanes planes;
        CLxExperimentAPI::GetSpectPlanes(tree.get(), planes);
        std::vector<uint32_t> sources(2, kLxNoChannelSource);
        std::vector<uint32_t> positions = c.positions;
        EXPECT_EQ(c.status, LX_WalkChannelSources(tree.get(), uint32_t(positions.size()),
                                                  positions.data(), planes, sources));
        EXPECT_EQ(c.positions, positions);
        SLxPicturePlanes::Free(planes);
    }
}

// Three nested loops of 2,000 items in two branches each: billions of
// visits, refused after a bounded number.
E* Wide(uint32_t depth)
{
    if (depth == 0)
        return Spect({u"a"});
    return Level(E::eEtCustom, 2000, {Repeat(Wide(depth - 1), 1000), Repeat(Wide(depth - 1), 1000)});
}

TEST(ChannelSourceWalk, TreeAskingForTooManyVisitsFails)
{
    ExpTree tree(Wide(3));
    SLxPicturePlanes planes;
    ASSERT_EQ(0, CLxExperimentAPI::GetSpectPlanes(tree.get(), planes));
    std::vector<uint32_t> sources(1, kLxNoChannelSource);
    std::vector<uint32_t> positions = {1999, 1999, 1999, 0};
    EXPECT_EQ(-9, LX_WalkChannelSources(tree.get(), 4, positions.data(), planes, sources));
    EXPECT_EQ((std::vector<uint32_t>{1999, 1999, 1999, 0}), positions);
    SLxPicturePlanes::Free(planes);
}

// Channels a, b, c over four periods (the third switched off): a channel
// that a frame's period lacks comes from the nearest earlier period's last
// frame, else from the nearest later period's first.
TEST(ChannelSourceWalk, PeriodsLackingAChannelTakeItFromTheNearestPeriodWithIt)
{
    ExpTree tree(NETime({{2, true, {Spect({u"a"})}},
                         {3, true, {Spect({u"b"})}},
                         {2, false, {Spect({u"c"})}},
                         {1, true, {Spect({u"a", u"c"})}}}));
    SLxPicturePlanes planes;
    ASSERT_EQ(0, CLxExperimentAPI::GetSpectPlanes(tree.get(), planes));
    ASSERT_EQ(3u, planes.uiCount);
    const struct {
        uint32_t time;
        std::vector<uint32_t> sources; // of a, b, c
    } cases[] = {
        {0, {0, 2, 5}},
        {3, {1, 3, 5}},
        {5, {5, 4, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("time " + std::to_string(c.time));
        std::vector<uint32_t> sources(3, kLxNoChannelSource);
        std::vector<uint32_t> positions = {c.time, 0};
        ASSERT_EQ(0, LX_WalkChannelSources(tree.get(), 2, positions.data(), planes, sources));
        EXPECT_EQ(c.sources, sources);
        EXPECT_EQ((std::vector<uint32_t>{c.time, 0}), positions);
    }
    SLxPicturePlanes::Free(planes);
}

TEST(ChannelSourceWalk, PlanesOfSeveralComponentsFillAllTheirComponents)
{
    // Point 0 takes an RGB plane (3 components), point 1 a grey one.
    ExpTree tree(Time(2, {XY(2, {Spect({u"rgb"}), Spect({u"grey"})})}));
    SLxExperiment* xy = tree->ppNextLevelEx[0];
    xy->ppNextLevelEx[0]->uLoopPars.sSpectLoop.pPlaneDesc[0].uiCompCount = 3;
    xy->ppNextLevelEx[1]->uLoopPars.sSpectLoop.pPlaneDesc[0].uiCompCount = 1;
    SLxPicturePlanes planes;
    ASSERT_EQ(0, CLxExperimentAPI::GetSpectPlanes(tree.get(), planes));
    ASSERT_EQ(4u, planes.uiCompCount);
    std::vector<uint32_t> sources(4, kLxNoChannelSource);
    std::vector<uint32_t> positions = {1, 1, 0};
    ASSERT_EQ(0, LX_WalkChannelSources(tree.get(), 3, positions.data(), planes, sources));
    EXPECT_EQ((std::vector<uint32_t>{2, 2, 2, 3}), sources);
    SLxPicturePlanes::Free(planes);
}

} // namespace
