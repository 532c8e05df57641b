// Every image of every test document, QX2 and JPEG 2000, in the one layout
// the interface reports: rows padded to 4 bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "document_test_support.h"
#include "test_support.h"

using namespace lxtest_vu2ziz;
using namespace lxtest_documents;

namespace
{

// Checks every image of the document against the fixture's pixels.
void ExpectAllImages(IJp2InputFile* doc, const SDocument& d)
{
    const uint32_t count = doc->GetImageCount();
    ASSERT_GT(count, 0u);
    const uint32_t cc = count / d.frames ? count / d.frames : 1;
    uint32_t same = 0;
    for (uint32_t seq = 0; seq < count; ++seq) {
        uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
        ASSERT_TRUE(doc->GetImageInfo(seq, &w, &wb, &h, &comps, &bits)) << seq;
        ASSERT_EQ(d.width, w);
        ASSERT_EQ(d.height, h);
        ASSERT_EQ(d.bits, bits);
        ASSERT_EQ(PaddedRow(d, comps), wb);
        // One spare row shows that nothing is written past the image.
        std::vector<uint8_t> image(size_t(wb) * (h + 1), 0xEE);
        ASSERT_TRUE(doc->GetImage(seq, image.data())) << seq;
        const uint32_t first = cc > 1 ? seq % cc : 0;
        std::vector<uint8_t> expected = Pixels(d, seq / cc, first, comps, wb);
        expected.resize(image.size(), 0xEE);
        if (image == expected)
            ++same;
    }
    EXPECT_EQ(count, same);
}

TEST(InputImages, EveryImageOfEveryDocumentMatches)
{
    for (const SDocument& d : Documents()) {
        SCOPED_TRACE(d.name);
        Document doc = OpenFixture(d.name);
        ASSERT_TRUE(doc);
        ExpectAllImages(doc.p, d);
    }
}

TEST(InputImages, OddWidthsGivePaddedRows)
{
    struct Case {
        const char* name;
        uint32_t widthBytes;
    };
    for (const Case c : {Case{"odd101x12.qx2", 204}, Case{"odd101x12.jp2", 204},
                         Case{"odd101x8.qx2", 104}, Case{"odd101x8.jp2", 104},
                         Case{"rgb5.qx2", 16}, Case{"rgb5.jp2", 16}}) {
        Document doc = OpenFixture(c.name);
        ASSERT_TRUE(doc) << c.name;
        uint32_t w, wb = 0, h, comps, bits;
        ASSERT_TRUE(doc->GetImageInfo(1, &w, &wb, &h, &comps, &bits));
        EXPECT_EQ(c.widthBytes, wb) << c.name;
    }
}

// A file that reports its rows unpadded (101 x 12 bits: 202 bytes) and
// delivers them so reads into a scratch frame: the same images.
TEST(InputImages, UnpaddedFileRowsGiveTheSameImages)
{
    const SDocument& d = *Find("odd101x12.qx2");
    WrappedDocument doc(d.name, [&](CForwardingFile& file) {
        file.attributes = [](SLxImageAttributes& a) { a.uiWidthBytes = 202; };
        file.imageData = [&file, &d](uint32_t seq, void* dst) {
            std::vector<uint8_t> padded(204 * d.height);
            const int rc = file.Inner()->GetImageData(seq, padded.data(), 0, 0);
            for (uint32_t y = 0; rc == 0 && y < d.height; ++y)
                std::memcpy(static_cast<uint8_t*>(dst) + y * 202, &padded[y * 204], 202);
            return rc;
        };
    });
    ASSERT_TRUE(doc.document);
    ExpectAllImages(doc.document, d);
}

TEST(InputImages, SpectralChannelsOfUnpaddedRows)
{
    // 24 x 3 samples of 2 bytes are a multiple of 4 already; a 2-byte
    // shorter report would cut pixels and is refused.
    WrappedDocument doc("spectral.qx2", [](CForwardingFile& file) {
        file.attributes = [](SLxImageAttributes& a) { a.uiWidthBytes = 142; };
    });
    EXPECT_EQ(nullptr, doc.document);
}

// A JPEG 2000 file of another program: no planes, no experiment.
TEST(InputImages, PlainJpeg2000OfAnotherProgram)
{
    ScopedTempDir dir;
    const std::string ppm = (dir.path() / "in.ppm").string();
    const std::string jp2 = (dir.path() / "plain.jp2").string();
    const std::string back = (dir.path() / "back.ppm").string();
    const uint32_t width = 7, height = 5;
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        for (uint32_t i = 0; i < width * height * 3; ++i)
            out.put(char((i * 37 + 11) & 0xFF));
    }
    const std::string compress = "opj_compress -i '" + ppm + "' -o '" + jp2 + "' -n 1 >/dev/null 2>&1";
    const std::string decompress =
        "opj_decompress -i '" + jp2 + "' -o '" + back + "' >/dev/null 2>&1";
    if (std::system("command -v opj_compress >/dev/null 2>&1") != 0)
        LXTEST_SKIP_WITHOUT_TOOL() << "opj_compress not installed";
    ASSERT_EQ(0, std::system(compress.c_str()));
    ASSERT_EQ(0, std::system(decompress.c_str()));
    std::ifstream in(back, std::ios::binary);
    // Header tokens, '#' comments skipped, then one whitespace byte.
    std::vector<std::string> tokens;
    while (tokens.size() < 4 && in) {
        std::string token;
        in >> token;
        if (!token.empty() && token[0] == '#')
            std::getline(in, token);
        else
            tokens.push_back(token);
    }
    in.get();
    ASSERT_EQ(4u, tokens.size());
    const std::string magic = tokens[0];
    std::vector<uint8_t> rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ("P6", magic);
    ASSERT_EQ(width * height * 3, rgb.size());

    Document doc(jp2);
    ASSERT_TRUE(doc);
    EXPECT_EQ(1u, doc->GetImageCount());
    ASSERT_EQ(1u, doc->GetLoopCount());
    EXPECT_EQ(3u, doc->GetLoopType(0));
    EXPECT_EQ(1u, doc->GetLoopSize(0));
    uint32_t iw, wb, ih, comps, bits;
    ASSERT_TRUE(doc->GetImageInfo(0, &iw, &wb, &ih, &comps, &bits));
    EXPECT_EQ(width, iw);
    EXPECT_EQ(height, ih);
    EXPECT_EQ(3u, comps);
    EXPECT_EQ(8u, bits);
    EXPECT_EQ(24u, wb);
    std::vector<uint8_t> image(wb * ih);
    ASSERT_TRUE(doc->GetImage(0, image.data()));
    uint32_t same = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* bgr = &image[y * wb + x * 3];
            const uint8_t* p = &rgb[(y * width + x) * 3];
            same += bgr[0] == p[2] && bgr[1] == p[1] && bgr[2] == p[0];
        }
    EXPECT_EQ(width * height, same);
}

} // namespace
