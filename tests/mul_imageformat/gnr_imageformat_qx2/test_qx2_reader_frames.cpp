// Frames of both versions through the readers: layouts, strides, streams
// and the checks on damaged frame chunks.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "qx2_document_writer.h"
#include "qx2_reader_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

int Open(ChunkStore& store, FormatDouble& format, ReaderRef& reader)
{
    return OpenReader(store, format, reader);
}

struct LayoutCase {
    const char* name;
    SDocSpec spec;
};

const LayoutCase kLayouts[] = {
    {"Mono8x101_zlib_v21", {"Ver2.1", 101, 7, 1, 8, true, 0}},
    {"Mono8x101_raw_v21", {"Ver2.1", 101, 7, 1, 8, false, 0}},
    {"Mono8x101_padded_v21", {"Ver2.1", 101, 7, 1, 8, true, 104}},
    {"Mono8x101_wide_v21", {"Ver2.1", 101, 7, 1, 8, false, 120}},
    {"Rgb8x5_zlib_v21", {"Ver2.1", 5, 4, 3, 8, true, 0}},
    {"Rgb16x3_raw_v21", {"Ver2.1", 3, 5, 3, 16, false, 0}},
    {"Rgb16x3_zlib_v21", {"Ver2.1", 3, 5, 3, 12, true, 0}},
    {"Mono16x64_zlib_v21", {"Ver2.1", 64, 8, 1, 12, true, 0}},
    {"Mono8x101_zlib_v10", {"Ver1.0", 101, 7, 1, 8, true, 0}},
    {"Mono8x101_raw_v10", {"Ver1.0", 101, 7, 1, 8, false, 0}},
    {"Rgb8x5_raw_v10", {"Ver1.0", 5, 4, 3, 8, false, 0}},
    {"Rgb16x3_zlib_v10", {"Ver1.0", 3, 5, 3, 16, true, 0}},
};

class ReaderFrames : public ::testing::TestWithParam<std::tuple<LayoutCase, ETarget>>
{
};

TEST_P(ReaderFrames, FramesEqualTheStoredPixelsAtThePaddedStride)
{
    const SDocSpec& s = std::get<0>(GetParam()).spec;
    const ETarget target = std::get<1>(GetParam());
    ChunkStore store(target);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Opened());
        ASSERT_EQ(0, w.Attributes(3));
        for (uint32_t f = 0; f < 3; ++f)
            ASSERT_EQ(0, w.Frame(f, 10.0 * f));
        ASSERT_EQ(0, w.Finish());
    }
    FormatDouble format;
    ReaderRef reader;
    CLxByteArray block;
    ASSERT_EQ(0, OpenReader(store, format, reader, &block));

    // Before the attributes were asked for.
    std::string frame(size_t(s.Stride()) * s.height, '\x5A');
    ASSERT_EQ(0, reader->GetImageData(2, &frame[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 2), frame);

    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(s.Stride(), a.uiWidthBytes);
    EXPECT_EQ(3u, a.uiSequenceCount);
    uint32_t w = 0, h = 0, bits = 0, comps = 0;
    ASSERT_EQ(0, reader->GetImageInfo(w, h, bits, comps));
    EXPECT_EQ(s.width, w);
    EXPECT_EQ(s.height, h);
    EXPECT_EQ(s.SampleBytes() * 8, bits);
    EXPECT_EQ(s.comps, comps);

    std::string first(frame.size(), '\0');
    ASSERT_EQ(0, reader->GetImageDataFirst(&first[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 0), first);

    // One component of every pixel, into a destination of two components
    // with a padded stride.
    const uint32_t dstStride = s.width * 2 * s.SampleBytes() + 6;
    for (uint32_t k = 0; k < s.comps; ++k) {
        std::string got(size_t(dstStride) * s.height, '\x11');
        std::string expected = got;
        ASSERT_EQ(0, reader->GetImageDataComponent(1, k, &got[0], dstStride, 2));
        const std::string full = ExpectedFrame(s, 1);
        for (uint32_t y = 0; y < s.height; ++y)
            for (uint32_t x = 0; x < s.width; ++x)
                memcpy(&expected[size_t(y) * dstStride + size_t(x) * 2 * s.SampleBytes()],
                       &full[size_t(y) * s.Stride() + (size_t(x) * s.comps + k) * s.SampleBytes()],
                       s.SampleBytes());
        EXPECT_EQ(expected, got) << "component " << k;
    }
    std::string untouched(16, '\0');
    EXPECT_EQ(-4, reader->GetImageDataComponent(1, s.comps, &untouched[0], dstStride, 2));
    EXPECT_EQ(-4, reader->GetImageDataComponent(1, 0, nullptr, dstStride, 2));
    EXPECT_EQ(-4, reader->GetImageDataComponent(1, 0, &untouched[0], 1, 2));
    EXPECT_EQ(-13, reader->GetImageData(3, &frame[0], 0, 0));
    EXPECT_EQ(-4, reader->GetImageData(0, nullptr, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReaderFrames,
                         ::testing::Combine(::testing::ValuesIn(kLayouts),
                                            ::testing::Values(eOnFile, eInMemory)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    TargetName(std::get<1>(info.param));
                         });

// One frame chunk replaced by the bytes given; what frame 0 then reads.
struct DamageCase {
    const char* name;
    bool v1;
    bool zlib;
    std::string (*chunk)(const SDocSpec&);
    int result;
};

std::string Header(const SDocSpec& s)
{
    return s.V1() ? std::string() : Double(0.0);
}

const DamageCase kDamage[] = {
    {"TruncatedStream", false, true,
     [](const SDocSpec& s) {
         const std::string z = Zlib(FrameBytes(s, 0, s.StoredStride()));
         return Header(s) + z.substr(0, z.size() / 2);
     },
     -9},
    {"StreamOfAShortFrame", false, true,
     [](const SDocSpec& s) {
         return Header(s) + Zlib(FrameBytes(s, 0, s.StoredStride()).substr(1));
     },
     -9},
    {"StreamOfALongFrame", true, true,
     [](const SDocSpec& s) { return Header(s) + Zlib(FrameBytes(s, 0, s.StoredStride()) + "x"); },
     -9},
    {"NotAStream", false, true, [](const SDocSpec& s) { return Header(s) + "not zlib at all"; },
     -9},
    {"ShorterThanItsTimeHeader", false, true, [](const SDocSpec&) { return std::string(7, 'x'); },
     -9},
    {"RawFrameCutShort", false, false,
     [](const SDocSpec& s) { return Header(s) + FrameBytes(s, 0, s.StoredStride()).substr(9); },
     -9},
    {"RawFrameCutShortV1", true, false,
     [](const SDocSpec& s) { return Header(s) + FrameBytes(s, 0, s.StoredStride()).substr(1); },
     -9},
    // Unpadded stored rows go through scratch memory first.
    {"StreamOfATinyFrameV1", true, true,
     [](const SDocSpec&) { return Zlib(std::string(100, '\0')); }, -9},
};

class ReaderDamagedFrames : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(ReaderDamagedFrames, GiveMinusNineAndNoMoreThanOneFrame)
{
    const DamageCase& c = GetParam();
    const SDocSpec s{c.v1 ? "Ver1.0" : "Ver2.1", 101, 40, 1, 8, c.zlib, 0};
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Attributes(2));
        ASSERT_EQ(0, w.Chunk("ImageDataSeq|0!", c.chunk(s)));
        ASSERT_EQ(0, w.Frame(1));
        ASSERT_EQ(0, w.Finish());
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, Open(store, format, reader));
    // A guard after the caller's one frame.
    std::string buffer(size_t(s.Stride()) * s.height + 64, '\x77');
    EXPECT_EQ(c.result, reader->GetImageData(0, &buffer[0], 0, 0));
    EXPECT_EQ(std::string(64, '\x77'), buffer.substr(buffer.size() - 64));
    ASSERT_EQ(0, reader->GetImageData(1, &buffer[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 1), buffer.substr(0, buffer.size() - 64));
}

INSTANTIATE_TEST_SUITE_P(Chunks, ReaderDamagedFrames, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderAttributes, IncompleteRecordsGiveMinusNine)
{
    for (const char* version : {"Ver2.1", "Ver1.0"}) {
        SDocSpec s{version, 10, 10, 1, 8, false, 0};
        s.comps = 0;
        ChunkStore store(eOnFile);
        {
            DocumentWriter w(store, s);
            ASSERT_EQ(0, w.Attributes(1));
            ASSERT_EQ(0, w.Chunk("ImageDataSeq|0!", std::string(200, 'x')));
            ASSERT_EQ(0, w.Finish());
        }
        FormatDouble format;
        ReaderRef reader;
        ASSERT_EQ(0, Open(store, format, reader));
        SLxImageAttributes a{};
        // Version 1.0 hands out the record as it is; its frames do not read.
        EXPECT_EQ(s.V1() ? 0 : -9, reader->GetImageAttributes(a)) << version;
        EXPECT_EQ(10u, a.uiWidth);
        std::string buffer(4096, '\0');
        EXPECT_EQ(-9, reader->GetImageData(0, &buffer[0], 0, 0)) << version;
    }
}

TEST(ReaderAttributes, MissingAttributesMakeFramesUnreadable)
{
    const SDocSpec s{"Ver2.1", 4, 4, 1, 8, false, 0};
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, s);
        ASSERT_EQ(0, w.Frame(0));
        ASSERT_EQ(0, w.Finish());
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, Open(store, format, reader));
    SLxImageAttributes a{};
    EXPECT_EQ(-13, reader->GetImageAttributes(a));
    std::string buffer(64, '\0');
    EXPECT_EQ(-9, reader->GetImageData(0, &buffer[0], 0, 0));
}

// Peak resident memory of the process in KiB.
long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Attributes announcing a 1 GiB frame over a chunk of a few bytes: the
// getters that decode into a buffer of their own refuse before sizing it.
TEST(ReaderAttributes, HugeFrameOverATinyChunkIsRefusedBeforeAllocating)
{
    for (const bool zlib : {true, false}) {
        const SDocSpec s{"Ver2.1", 65536, 16384, 1, 8, zlib, 0};
        ChunkStore store(eOnFile);
        {
            DocumentWriter w(store, s);
            ASSERT_EQ(0, w.Attributes(1));
            ASSERT_EQ(0, w.Chunk("ImageDataSeq|0!", Double(0.0) + Zlib(std::string(64, 'x'))));
            ASSERT_EQ(0, w.Finish());
        }
        FormatDouble format;
        ReaderRef reader;
        ASSERT_EQ(0, Open(store, format, reader));
        const long before = PeakKiB();
        std::string plane(64, '\0');
        EXPECT_EQ(-9, reader->GetImageDataComponent(0, 0, &plane[0], 65536, 1)) << zlib;
        uint32_t width = 16, height = 4;
        std::string preview(size_t(48) * 4, '\0');
        EXPECT_EQ(-9, reader->GetPreviewImage(width, height,
                                              reinterpret_cast<uint8_t*>(&preview[0]), false, 0, 0))
            << zlib;
        EXPECT_LT(PeakKiB() - before, 256L << 10) << zlib;
    }
}

} // namespace
