// The codec layer on its own: header facts, windows at reduce levels, and
// the library's errors as exceptions with its first message.
#include "jp2_test_support.h"

#include "jp2_document_writer.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"

using namespace jp2test;

namespace
{

struct Collect : jp2_block_sink {
    size_t blocks = 0;
    void Block(const std::vector<SLxJ2KPlane>&) override { ++blocks; }
};

} // namespace

TEST(Jp2Codec, HeaderFactsOfATiledCodestream)
{
    const jp2doc::Picture p = jp2doc::MakePicture(40, 30, 3, 12);
    jp2doc::EncodeOptions o;
    o.tileWidth = 16;
    o.tileHeight = 16;
    o.resolutions = 4;
    const std::vector<uint8_t> cs = jp2doc::Encode(p, o);
    ASSERT_FALSE(cs.empty());
    jp2_decoder d;
    d.Open(cs.data(), cs.size(), 1);
    const SLxJ2KHeader& h = d.Header();
    EXPECT_EQ(h.Width(), 40u);
    EXPECT_EQ(h.Height(), 30u);
    EXPECT_EQ(h.uiTilesAcross, 3u);
    EXPECT_EQ(h.uiTilesDown, 2u);
    EXPECT_TRUE(h.bMct);
    ASSERT_EQ(h.components.size(), 3u);
    EXPECT_EQ(h.components[2].iPrecision, 12);
    EXPECT_EQ(h.MaxReduce(), 3u);
    // A whole image arrives tile by tile.
    Collect sink;
    d.Decode(0, {0, 0, 40, 30}, sink);
    EXPECT_EQ(sink.blocks, 6u);
    // Windows round up at each halving, as the codec does.
    const SLxJ2KWindow w = LX_J2KComponentWindow(h, 0, {3, 3, 10, 10}, 1);
    EXPECT_EQ(w.uiX0, 2u);
    EXPECT_EQ(w.uiX1, 7u);
}

TEST(Jp2Codec, LibraryErrorsBecomeExceptions)
{
    const uint8_t junk[] = {0xFF, 0x4F, 0xFF, 0x51, 0, 2, 0, 0};
    jp2_decoder d;
    const std::string text = ErrorOf([&] { d.Open(junk, sizeof junk, 1); });
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 255u);
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(Jp2Codec, ThreadCountFromTheEnvironment)
{
    const char* before = getenv("QUELVIX_THREADS");
    const std::string saved = before ? before : "";
    unsetenv("QUELVIX_THREADS");
    EXPECT_EQ(LX_J2KDecodeThreads(1000), 1);
    setenv("QUELVIX_THREADS", "3", 1);
    EXPECT_EQ(LX_J2KDecodeThreads(1000), 3);
    setenv("QUELVIX_THREADS", "1", 1);
    EXPECT_EQ(LX_J2KDecodeThreads(uint64_t(1) << 24), 1);
    if (before)
        setenv("QUELVIX_THREADS", saved.c_str(), 1);
    else
        unsetenv("QUELVIX_THREADS");
}

TEST(Jp2Codec, TileGridLargerThanTheCodestreamIsRefused)
{
    // A 9 x 6 tile grid stretched to 43692 tiles in a codestream of a few
    // hundred bytes: refused before the library sets up any tile.
    const jp2doc::Picture p = jp2doc::MakePicture(9, 6, 1, 8);
    jp2doc::EncodeOptions o;
    o.tileWidth = 9;
    o.tileHeight = 6;
    o.resolutions = 2;
    std::vector<uint8_t> cs = jp2doc::Encode(p, o);
    ASSERT_GT(cs.size(), 42u);
    const uint32_t height = 262150;
    for (int i = 0; i < 4; ++i)
        cs[12 + i] = uint8_t(height >> (24 - 8 * i));
    jp2_decoder d;
    EXPECT_EQ(ErrorOf([&] { d.Open(cs.data(), cs.size(), 1); }),
              "More tiles than the codestream can hold.");
}
