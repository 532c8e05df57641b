// Files and frames that cannot be read: null documents with no descriptor
// left open, and failed reads that write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "document_test_support.h"

using namespace lxtest_vu2ziz;
using namespace lxtest_documents;

namespace
{

TEST(InputBadFiles, FilesThatOpenAsNeitherFormatGiveNull)
{
    ScopedTempDir dir;
    const auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream((dir.path() / name).string(), std::ios::binary) << bytes;
        return (dir.path() / name).string();
    };
    std::string qx2;
    {
        std::ifstream in(DocumentPath("spectral.qx2"), std::ios::binary);
        qx2.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(qx2.size(), 5000u);
    const std::vector<std::string> paths = {
        write("text.qx2", "not a document at all\n"),
        write("empty.jp2", ""),
        write("cut.qx2", qx2.substr(0, 5000)),
        (dir.path() / "missing.qx2").string(),
        dir.path().string(),
    };
    const int before = OpenDescriptors();
    for (const std::string& path : paths) {
        Document doc(path);
        EXPECT_FALSE(doc) << path;
    }
    EXPECT_EQ(nullptr, CreateJp2InputFile(nullptr));
    EXPECT_EQ(nullptr, CreateJp2InputFile(u""));
    EXPECT_EQ(before, OpenDescriptors());
}

TEST(InputBadFiles, ReleaseClosesTheFile)
{
    const int before = OpenDescriptors();
    {
        Document doc = OpenFixture("spectral.qx2");
        ASSERT_TRUE(doc);
        EXPECT_EQ(2u, doc->AddRef());
        EXPECT_EQ(1u, doc->Release());
    }
    EXPECT_EQ(before, OpenDescriptors());
}

// A frame the file cannot give (bad zlib stream, damaged codestream, read
// error) is never delivered, neither as zeros nor from the cache later.
TEST(InputBadFrames, FailedFrameReadsWriteNothingAndAreTriedAgain)
{
    for (const char* name : {"rgb.qx2", "spectral.qx2", "odd101x12.jp2"}) {
        SCOPED_TRACE(name);
        bool failing = true;
        WrappedDocument doc(name, [&](CForwardingFile& file) {
            file.imageData = [&file, &failing](uint32_t seq, void* dst) {
                if (failing) {
                    std::memset(dst, 0, 16); // a reader may have written part
                    return -9;
                }
                return file.Inner()->GetImageData(seq, dst, 0, 0);
            };
        });
        ASSERT_TRUE(doc.document);
        uint32_t w, wb, h, comps, bits;
        ASSERT_TRUE(doc->GetImageInfo(1, &w, &wb, &h, &comps, &bits));
        std::vector<uint8_t> image(wb * h, 0x5A);
        EXPECT_FALSE(doc->GetImage(1, image.data()));
        EXPECT_EQ(std::vector<uint8_t>(wb * h, 0x5A), image);
        EXPECT_FALSE(doc->GetImage(1, image.data()));
        EXPECT_EQ(2u, doc.wrapper->imageDataCalls);
        failing = false;
        ASSERT_TRUE(doc->GetImage(1, image.data()));
        const SDocument& d = *Find(name);
        const uint32_t cc = doc->ChannelCount();
        EXPECT_EQ(Pixels(d, 1 / cc, cc > 1 ? 1 : 0, comps, wb), image);
    }
}

// A file whose channels claim more components than its frames hold.
TEST(InputBadFrames, PlanesBeyondTheFrameComponentsFail)
{
    WrappedDocument doc("spectral.qx2", [](CForwardingFile& file) {
        file.attributes = [](SLxImageAttributes& a) {
            a.uiComp = 2;
            a.uiWidthBytes = 24 * 2 * 2;
        };
        file.imageData = [&file](uint32_t, void* dst) {
            std::memset(dst, 1, 24 * 2 * 2 * 10);
            return 0;
        };
    });
    ASSERT_TRUE(doc.document);
    std::vector<uint8_t> image(48 * 10, 0x5A);
    EXPECT_TRUE(doc->GetImage(1, image.data()));
    EXPECT_FALSE(doc->GetImage(2, image.data()));
}

// Planes that name fewer components than the frame holds: the image is
// the plane's components, exactly as GetImageInfo reports it.
TEST(InputBadFrames, PlaneOfFewerComponentsThanTheFrame)
{
    const SDocument& d = *Find("rgb.qx2");
    WrappedDocument doc(d.name, [](CForwardingFile& file) {
        file.metadata = [](SLxPictureMetadata& md) {
            if (md.sPicturePlanes.uiCount)
                md.sPicturePlanes.sPlane[0].uiCompCount = 1;
        };
    });
    ASSERT_TRUE(doc.document);
    uint32_t w, wb = 0, h = 0, comps = 0, bits;
    ASSERT_TRUE(doc->GetImageInfo(1, &w, &wb, &h, &comps, &bits));
    EXPECT_EQ(1u, comps);
    EXPECT_EQ(20u, wb);
    std::vector<uint8_t> image(size_t(wb) * h + 1, 0xA5);
    ASSERT_TRUE(doc->GetImage(1, image.data()));
    EXPECT_EQ(0xA5, image.back());
    image.pop_back();
    EXPECT_EQ(Pixels(d, 1, 0, 1, wb), image);
}

} // namespace
