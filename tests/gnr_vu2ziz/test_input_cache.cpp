// Documents over the process-wide frame cache: many frames, a small budget
// shared by two documents on two threads, hits on a second pass, and a
// frame too large to hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "document_test_support.h"
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"
#include "mul_imageformat/LxOutputImageFile.h"

using namespace lxtest_vu2ziz;
using namespace lxtest_documents;
namespace fc = lx_frame_cache;

namespace
{

std::atomic<uint64_t> g_physical;

uint64_t testPhysical()
{
    return g_physical;
}

class InputCache : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(0u, fc::Count()); }
    void TearDown() override
    {
        fc::SetSeams(nullptr);
        EXPECT_EQ(0u, fc::Count());
        EXPECT_EQ(0u, fc::Total());
    }
    // A budget of `frames` frames of `bytes` (and a half, the limits being
    // strict).
    static void BudgetOfFrames(uint64_t frames, uint64_t bytes)
    {
        static const fc::SLxFrameCacheSeams seams = {testPhysical, nullptr, nullptr, nullptr};
        g_physical = ((frames * bytes + bytes / 2) * 100 + 32) / 33;
        fc::SetSeams(&seams);
    }
};

TEST_F(InputCache, EightThousandFramesInOrderAndAtRandom)
{
    const SDocument& d = *Find("many.qx2");
    Document doc = OpenFixture(d.name);
    ASSERT_TRUE(doc);
    ASSERT_EQ(8100u, doc->GetImageCount());
    std::vector<uint32_t> order(8100);
    for (uint32_t i = 0; i < 8100; ++i)
        order[i] = i;
    std::vector<uint32_t> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(24));
    uint32_t most = 0;
    for (const std::vector<uint32_t>* pass : {&order, &shuffled, &order}) {
        uint32_t same = 0;
        std::vector<uint8_t> image(64);
        for (uint32_t seq : *pass) {
            ASSERT_TRUE(doc->GetImage(seq, image.data())) << seq;
            same += image == Pixels(d, seq, 0, 1, 8);
            most = std::max(most, fc::Count());
        }
        EXPECT_EQ(8100u, same);
    }
    EXPECT_EQ(7999u, most);
}

// Each thread reads its own document over and over; the cache holds 4
// frames in all.
TEST_F(InputCache, TwoDocumentsOnTwoThreadsShareAFourFrameBudget)
{
    const SDocument& spectral = *Find("spectral.qx2");
    BudgetOfFrames(4, PaddedRow(spectral, 3) * spectral.height);
    std::atomic<uint32_t> wrong{0}, failed{0}, most{0};
    const auto reader = [&](const char* name) {
        const SDocument& d = *Find(name);
        Document doc = OpenFixture(name);
        if (!doc) {
            ++failed;
            return;
        }
        const uint32_t cc = doc->GetImageCount() / d.frames;
        std::mt19937 random(name[0]);
        for (uint32_t round = 0; round < 40; ++round)
            for (uint32_t k = 0; k < doc->GetImageCount(); ++k) {
                const uint32_t seq = random() % doc->GetImageCount();
                uint32_t w, wb, h, comps, bits;
                if (!doc->GetImageInfo(seq, &w, &wb, &h, &comps, &bits)) {
                    ++failed;
                    continue;
                }
                std::vector<uint8_t> image(wb * h);
                if (!doc->GetImage(seq, image.data()))
                    ++failed;
                else if (image != Pixels(d, seq / cc, cc > 1 ? seq % cc : 0, comps, wb))
                    ++wrong;
                uint32_t seen = most;
                const uint32_t now = fc::Count();
                while (now > seen && !most.compare_exchange_weak(seen, now)) {
                }
            }
    };
    std::thread a(reader, "spectral.qx2");
    std::thread b(reader, "spectral.jp2");
    a.join();
    b.join();
    EXPECT_EQ(0u, failed.load());
    EXPECT_EQ(0u, wrong.load());
    EXPECT_LE(most.load(), 4u);
}

// 100 frames of 1 MiB: the second pass reads nothing from the file (and
// the memory probe stays quiet at rest).
TEST_F(InputCache, SecondPassOverFramesOfOneMebibyteHits)
{
    ScopedTempDir dir;
    const std::u16string path = dir.u16("big.qx2");
    constexpr uint32_t kWidth = 512, kHeight = 1024, kFrames = 100;
    {
        ILxOutputImageFile* out = LX_CreateQx2OutputFile(path.c_str(), false);
        ASSERT_NE(nullptr, out);
        out->AddRef();
        SLxImageAttributes a{};
        a.uiWidth = kWidth;
        a.uiHeight = kHeight;
        a.uiWidthBytes = kWidth * 2;
        a.uiComp = 1;
        a.uiBpcInMemory = 16;
        a.uiBpcSignificant = 16;
        a.uiSequenceCount = kFrames;
        a.eCompression = LX_COMPRESSION_LOSSLESS;
        a.dCompressionParam = 1.0;
        ASSERT_EQ(0, out->SetImageAttributes(a));
        SLxExperiment* time = nullptr;
        SLxExperiment::Alloc(&time);
        SLxExperiment::Init(*time, SLxExperiment::eEtTime, false, kFrames, 0, 0);
        ASSERT_EQ(0, out->SetExperiment(*time, nullptr));
        SLxExperiment::FreeRecursive(time);
        std::vector<uint16_t> frame(kWidth * kHeight);
        for (uint32_t f = 0; f < kFrames; ++f) {
            std::fill(frame.begin(), frame.end(), uint16_t(f * 7 + 1));
            ASSERT_EQ(0, out->SetImageData(f, frame.data(), nullptr, nullptr));
        }
        ASSERT_EQ(0, out->Close());
        out->Release();
    }
    ILxInputImageFile* file = LX_CreateQx2InputFile(path.c_str());
    ASSERT_NE(nullptr, file);
    CForwardingFile* wrapper = new CForwardingFile(file);
    wrapper->AddRef();
    CJp2InputFile* doc = new CJp2InputFile;
    ASSERT_EQ(0, doc->OpenFile(wrapper));
    ASSERT_EQ(kFrames, doc->GetImageCount());
    std::vector<uint16_t> image(kWidth * kHeight);
    for (int pass = 0; pass < 2; ++pass) {
        uint32_t same = 0;
        for (uint32_t f = 0; f < kFrames; ++f) {
            ASSERT_TRUE(doc->GetImage(f, image.data()));
            same += image[0] == f * 7 + 1 && image.back() == f * 7 + 1;
        }
        EXPECT_EQ(kFrames, same);
        EXPECT_EQ(kFrames, wrapper->imageDataCalls) << "pass " << pass;
    }
    EXPECT_EQ(kFrames, fc::Count());
    doc->Release();
    wrapper->Release();
}

// 100,000 x 100,000 pixels of 3 x 16 bits: described, never delivered.
TEST_F(InputCache, FrameTooLargeToHoldMakesReadsFail)
{
    WrappedDocument doc("rgb.qx2", [](CForwardingFile& file) {
        file.attributes = [](SLxImageAttributes& a) {
            a.uiWidth = a.uiHeight = 100000;
            a.uiBpcInMemory = a.uiBpcSignificant = 16;
            a.uiWidthBytes = 600000;
        };
    });
    ASSERT_TRUE(doc.document);
    uint32_t w, wb, h, comps, bits;
    ASSERT_TRUE(doc->GetImageInfo(0, &w, &wb, &h, &comps, &bits));
    EXPECT_EQ(600000u, wb);
    uint8_t guard[16] = {};
    EXPECT_FALSE(doc->GetImage(0, guard));
    EXPECT_EQ(0u, doc.wrapper->imageDataCalls);
}

} // namespace
