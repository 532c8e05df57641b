// The input document's loops, sequence indices and metadata over the test
// documents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "document_test_support.h"
#include "gnr_metaformats/LxPictureMetadata.h"

using namespace lxtest_vu2ziz;
using namespace lxtest_documents;

namespace
{

TEST(InputDocument, SpectralLoopsCountImagesAsChannelsOfFrames)
{
    for (const char* name : {"spectral.qx2"}) {
        SCOPED_TRACE(name);
        Document doc = OpenFixture(name);
        ASSERT_TRUE(doc);
        EXPECT_EQ(30u, doc->GetImageCount());
        ASSERT_EQ(2u, doc->GetLoopCount());
        EXPECT_EQ(1u, doc->GetLoopType(0));
        EXPECT_EQ(3u, doc->GetLoopType(1));
        EXPECT_EQ(10u, doc->GetLoopSize(0));
        EXPECT_EQ(3u, doc->GetLoopSize(1));

        uint32_t coordinates[2] = {4, 2};
        EXPECT_EQ(14u, doc->GetSeqIndex(coordinates));
        EXPECT_EQ(4u, coordinates[0]);
        EXPECT_EQ(2u, coordinates[1]);

        uint32_t width = 0, widthBytes = 0, height = 0, components = 0, bits = 0;
        ASSERT_TRUE(doc->GetImageInfo(14, &width, &widthBytes, &height, &components, &bits));
        EXPECT_EQ(24u, width);
        EXPECT_EQ(10u, height);
        EXPECT_EQ(1u, components); // plane 2 alone
        EXPECT_EQ(12u, bits);
        EXPECT_EQ(48u, widthBytes);
    }
}

TEST(InputDocument, SeqIndexLeavesCoordinatesAsTheyWereAlsoOnFailure)
{
    Document doc = OpenFixture("spectral.qx2");
    ASSERT_TRUE(doc);
    struct Case {
        uint32_t time, channel;
    };
    for (const Case c : {Case{10, 0}, Case{0, 3}, Case{99, 99}, Case{0xFFFFFFFF, 1}}) {
        uint32_t coordinates[2] = {c.time, c.channel};
        EXPECT_EQ(0u, doc->GetSeqIndex(coordinates)) << c.time << " " << c.channel;
        EXPECT_EQ(c.time, coordinates[0]);
        EXPECT_EQ(c.channel, coordinates[1]);
    }
    EXPECT_EQ(0u, doc->GetSeqIndex(nullptr));
    uint32_t last[2] = {9, 2};
    EXPECT_EQ(29u, doc->GetSeqIndex(last));
}

TEST(InputDocument, OutOfRangeRequestsFailAndWriteNothing)
{
    Document doc = OpenFixture("spectral.qx2");
    ASSERT_TRUE(doc);
    EXPECT_EQ(0u, doc->GetLoopType(2));
    EXPECT_EQ(0u, doc->GetLoopSize(2));
    EXPECT_EQ(0u, doc->GetLoopType(0xFFFFFFFF));
    uint32_t w = 7, wb = 7, h = 7, c = 7, b = 7;
    EXPECT_FALSE(doc->GetImageInfo(30, &w, &wb, &h, &c, &b));
    EXPECT_EQ(7u, w + 0 * (wb + h + c + b));
    EXPECT_FALSE(doc->GetImageInfo(0, nullptr, &wb, &h, &c, &b));
    std::vector<uint8_t> dst(48 * 10, 0xAB);
    EXPECT_FALSE(doc->GetImage(30, dst.data()));
    EXPECT_FALSE(doc->GetImage(0xFFFFFFFF, dst.data()));
    EXPECT_FALSE(doc->GetImage(0, nullptr));
    EXPECT_EQ(std::vector<uint8_t>(48 * 10, 0xAB), dst);
    double t = 3.0, x = 0, z = 0;
    EXPECT_FALSE(doc->GetTime(30, &t));
    EXPECT_EQ(3.0, t);
    EXPECT_FALSE(doc->GetTime(0, nullptr));
    EXPECT_FALSE(doc->GetPosition(0, &x, nullptr, &z));
    uint32_t m = 9;
    EXPECT_FALSE(doc->GetModality(30, &m));
    EXPECT_FALSE(doc->GetModality(0, nullptr));
    EXPECT_EQ(9u, m);
    double cal = 0;
    EXPECT_FALSE(doc->GetCalibration(0, &cal, nullptr));
    EXPECT_FALSE(doc->GetWavelength(0, &cal, nullptr, 4, nullptr, nullptr, nullptr));
}

TEST(InputDocument, ChannelMetadata)
{
    Document doc = OpenFixture("spectral.qx2");
    ASSERT_TRUE(doc);
    for (uint32_t c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        const uint32_t seq = 3 * 5 + c;
        double wavelength = 0;
        char16_t name[8];
        uint8_t r = 0, g = 0, b = 0;
        ASSERT_TRUE(doc->GetWavelength(seq, &wavelength, name, 8, &r, &g, &b));
        EXPECT_EQ(double(kSpectralEmission[c]), wavelength);
        EXPECT_EQ(std::u16string(kSpectralName[c]), std::u16string(name));
        EXPECT_EQ(kSpectralColor[c] & 0xFF, r);
        EXPECT_EQ((kSpectralColor[c] >> 8) & 0xFF, g);
        EXPECT_EQ((kSpectralColor[c] >> 16) & 0xFF, b);
    }
    // Modality 7 is multi-photon; 11 and -1 are unknown.
    const uint32_t expected[3] = {5, 0, 0};
    for (uint32_t c = 0; c < 3; ++c) {
        uint32_t modality = 99;
        ASSERT_TRUE(doc->GetModality(c, &modality));
        EXPECT_EQ(expected[c], modality) << c;
    }
}

TEST(InputDocument, NamesAreCopiedLikeWcsncpy)
{
    Document doc = OpenFixture("spectral.qx2");
    ASSERT_TRUE(doc);
    char16_t name[4] = {u'x', u'x', u'x', u'x'};
    double w = 0;
    uint8_t r, g, b;
    ASSERT_TRUE(doc->GetWavelength(1, &w, name, 4, &r, &g, &b));
    EXPECT_EQ(std::u16string(u"FITC"), std::u16string(name, 4)); // no terminator
    char16_t objective[32];
    double mag = 0, na = 0, ri = 0;
    ASSERT_TRUE(doc->GetObjective(0, objective, 32, &mag, &na, &ri));
    EXPECT_EQ(std::u16string(u"Plan Fluor 40x Oil"), std::u16string(objective));
    EXPECT_EQ(40.0, mag);
    EXPECT_EQ(1.3, na);
    EXPECT_EQ(1.515, ri);
    char16_t cut[5];
    ASSERT_TRUE(doc->GetObjective(0, cut, 5, &mag, &na, &ri));
    EXPECT_EQ(std::u16string(u"Plan "), std::u16string(cut, 5));
}

TEST(InputDocument, CalibrationOfCalibratedAndUncalibratedFrames)
{
    Document spectral = OpenFixture("spectral.qx2");
    ASSERT_TRUE(spectral);
    double cal = -1, aspect = -1;
    ASSERT_TRUE(spectral->GetCalibration(4, &cal, &aspect));
    EXPECT_EQ(0.5, cal);
    EXPECT_EQ(1.25, aspect);

    Document plain = OpenFixture("rgb.qx2");
    ASSERT_TRUE(plain);
    cal = aspect = -1;
    ASSERT_TRUE(plain->GetCalibration(0, &cal, &aspect));
    EXPECT_EQ(0.0, cal);
    EXPECT_EQ(0.0, aspect);
}

TEST(InputDocument, TimesComeFromTheCacheTheFileKeeps)
{
    // Times of the cache differ from the frames' own.
    WrappedDocument doc("spectral.qx2", [](CForwardingFile& file) {
        file.customData = [](const char16_t* name, CLxByteArray& data) {
            if (std::u16string(name) != u"AcqTimesCache")
                return -13;
            std::vector<uint8_t> bytes(10 * 8);
            for (uint32_t f = 0; f < 10; ++f) {
                const double t = 5000.0 + f;
                uint64_t bits;
                std::memcpy(&bits, &t, 8);
                for (int k = 0; k < 8; ++k)
                    bytes[f * 8 + k] = uint8_t(bits >> (8 * k));
            }
            return data.SetData(bytes.data(), uint32_t(bytes.size()), eLxByteArrayOpFromStart,
                                eLxByteArrayAllocExact);
        };
    });
    ASSERT_TRUE(doc.document);
    for (uint32_t seq : {29u, 0u, 14u}) {
        double t = 0;
        ASSERT_TRUE(doc->GetTime(seq, &t));
        EXPECT_EQ(5000.0 + seq / 3, t);
    }
    // Only frame 0's metadata was read, for the fields other than time.
    EXPECT_EQ(1u, doc.wrapper->metadataCalls);

    Document plain = OpenFixture("spectral.qx2");
    double t = 0;
    ASSERT_TRUE(plain->GetTime(29, &t));
    EXPECT_EQ(FrameTime(9), t);
}

TEST(InputDocument, WithoutTimesCacheTimesComeFromTheFrameFirstThenTheCache)
{
    for (const char* name : {"zxy.qx2", "rgb.jp2"}) {
        SCOPED_TRACE(name);
        WrappedDocument doc(name, WithoutTimesCache);
        ASSERT_TRUE(doc.document);
        const uint32_t frames = doc->GetImageCount();
        const std::vector<uint32_t> order = {frames - 1, 0, frames - 1, 0, frames / 2};
        for (uint32_t seq : order) {
            double t = 0;
            ASSERT_TRUE(doc->GetTime(seq, &t));
            EXPECT_EQ(FrameTime(seq), t) << seq;
        }
        // Frame 0 for the other fields, then each frame's own once.
        const std::set<uint32_t> distinct(order.begin(), order.end());
        EXPECT_EQ(1 + distinct.size(), doc.wrapper->metadataCalls);
    }
}

TEST(InputDocument, ZPositionsOfAStackWithoutStepAndValidStagePoints)
{
    Document doc = OpenFixture("zxy.qx2");
    ASSERT_TRUE(doc);
    ASSERT_EQ(2u, doc->GetLoopCount());
    EXPECT_EQ(4u, doc->GetLoopType(0));
    EXPECT_EQ(2u, doc->GetLoopType(1));
    EXPECT_EQ(2u, doc->GetLoopSize(0)); // point 1 is not valid
    EXPECT_EQ(5u, doc->GetLoopSize(1));
    EXPECT_EQ(10u, doc->GetImageCount());
    struct Case {
        uint32_t point, z;
        double x, y, zPos;
    };
    for (const Case c : {Case{0, 0, kPointX[0], kPointY[0], 20.0},
                         Case{0, 4, kPointX[0], kPointY[0], 10.0},
                         Case{1, 2, kPointX[2], kPointY[2], 15.0},
                         Case{1, 4, kPointX[2], kPointY[2], 10.0}}) {
        uint32_t coordinates[2] = {c.point, c.z};
        const uint32_t seq = doc->GetSeqIndex(coordinates);
        EXPECT_EQ(c.point * 5 + c.z, seq);
        double x = 0, y = 0, z = 0;
        ASSERT_TRUE(doc->GetPosition(seq, &x, &y, &z));
        EXPECT_EQ(c.x, x) << c.point << "," << c.z;
        EXPECT_EQ(c.y, y);
        EXPECT_DOUBLE_EQ(c.zPos, z);
    }
    uint32_t modality = 0;
    ASSERT_TRUE(doc->GetModality(3, &modality));
    EXPECT_EQ(2u, modality);
}

TEST(InputDocument, SameChannelsInEveryBranchReadOneFramePerCall)
{
    WrappedDocument doc("spectral.qx2");
    ASSERT_TRUE(doc.document);
    const uint32_t rowBytes = 48;
    std::vector<uint8_t> image(rowBytes * 10);
    for (uint32_t seq = 0; seq < 30; ++seq)
        ASSERT_TRUE(doc->GetImage(seq, image.data()));
    // Each frame read once from the file; its channels come from the cache.
    EXPECT_EQ(10u, doc.wrapper->imageDataCalls);
}

TEST(InputDocument, DocumentWithoutExperimentShowsFramesOfItsChannels)
{
    Document doc = OpenFixture("noexp.qx2");
    ASSERT_TRUE(doc);
    const uint32_t loops = doc->GetLoopCount();
    ASSERT_GE(loops, 1u);
    EXPECT_EQ(3u, doc->GetLoopType(loops - 1));
    EXPECT_EQ(2u, doc->GetLoopSize(loops - 1));
    EXPECT_EQ(2u, doc->GetImageCount());
    const SDocument& d = *Find("noexp.qx2");
    for (uint32_t c = 0; c < 2; ++c) {
        uint32_t w, wb, h, comps, bits;
        ASSERT_TRUE(doc->GetImageInfo(c, &w, &wb, &h, &comps, &bits));
        EXPECT_EQ(1u, comps);
        std::vector<uint8_t> image(wb * h);
        ASSERT_TRUE(doc->GetImage(c, image.data()));
        EXPECT_EQ(Pixels(d, 0, c, 1, wb), image) << c;
    }
}

TEST(InputDocument, JpegDocumentsWithoutExperimentReachEveryFrame)
{
    Document doc = OpenFixture("spectral.jp2");
    ASSERT_TRUE(doc);
    ASSERT_EQ(2u, doc->GetLoopCount());
    EXPECT_EQ(1u, doc->GetLoopType(0));
    EXPECT_EQ(3u, doc->GetLoopType(1));
    EXPECT_EQ(30u, doc->GetImageCount());
}

} // namespace

namespace
{

// The getters of one image, as one record.
struct SImageFacts {
    double time = 0, x = 0, y = 0, z = 0, wavelength = 0, calibration = 0, aspect = 0;
    std::u16string name;
    uint8_t r = 0, g = 0, b = 0;
    uint32_t modality = 0, widthBytes = 0, components = 0;
    bool ok = false;

    bool operator==(const SImageFacts& o) const
    {
        return ok == o.ok && time == o.time && x == o.x && y == o.y && z == o.z &&
               wavelength == o.wavelength && calibration == o.calibration &&
               aspect == o.aspect && name == o.name && r == o.r && g == o.g && b == o.b &&
               modality == o.modality && widthBytes == o.widthBytes &&
               components == o.components;
    }
};

SImageFacts FactsOf(IJp2InputFile* doc, uint32_t seq)
{
    SImageFacts f;
    char16_t name[64] = {};
    uint32_t width = 0, height = 0, bits = 0;
    f.ok = doc->GetTime(seq, &f.time) && doc->GetPosition(seq, &f.x, &f.y, &f.z) &&
           doc->GetWavelength(seq, &f.wavelength, name, 64, &f.r, &f.g, &f.b) &&
           doc->GetCalibration(seq, &f.calibration, &f.aspect) &&
           doc->GetModality(seq, &f.modality) &&
           doc->GetImageInfo(seq, &width, &f.widthBytes, &height, &f.components, &bits);
    f.name = name;
    return f;
}

// The document keeps the metadata of the frame last asked: images of other
// frames and other channels of the same frame asked in any order give what
// each gives alone.
TEST(InputDocument, GettersInAnyOrderGiveEachImagesOwnMetadata)
{
    for (const char* name : {"spectral.qx2", "zxy.qx2", "spectral.jp2", "merge30.qx2"}) {
        SCOPED_TRACE(name);
        const uint32_t count = OpenFixture(name)->GetImageCount();
        ASSERT_GT(count, 3u);
        std::vector<SImageFacts> alone;
        for (uint32_t seq = 0; seq < count; ++seq)
            alone.push_back(FactsOf(OpenFixture(name).p, seq));
        Document doc = OpenFixture(name);
        for (uint32_t k = 0; k < 3 * count; ++k) {
            const uint32_t seq = (k * 7 + k / count) % count;
            EXPECT_EQ(alone[seq], FactsOf(doc.p, seq)) << seq;
        }
        // A seq past the images fails also right after a good one.
        EXPECT_TRUE(FactsOf(doc.p, count - 1).ok);
        EXPECT_FALSE(FactsOf(doc.p, count).ok);
        EXPECT_TRUE(FactsOf(doc.p, count - 1) == alone[count - 1]);
    }
}

} // namespace
