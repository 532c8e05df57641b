// The JPEG 2000 writer: parameter rules, sequencing, progress, the box
// layout at Close, cutting frames, and documents checked by the reader and
// by OpenJPEG's own decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "jp2_test_support.h"
#include "jp2_writer_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"
#include "test_support.h"

namespace
{

using jp2test::Bytes;
using namespace jp2writer;

class JP2Writer : public ::testing::Test
{
  protected:
    ScopedTempDir dir;
    std::u16string Path(const char* name = "w.jp2") const { return dir.u16(name); }
    Bytes Read(const char* name = "w.jp2") const { return jp2test::ReadFile(dir.path() / name); }
};

} // namespace

// ---- Parameter rules ----------------------------------------------------------------

TEST(JP2WriterRules, LayersResolutionsAndCap)
{
    EXPECT_EQ(LX_J2KLayerCount(1000, 800), 11u);
    EXPECT_EQ(LX_J2KLayerCount(1, 1), 2u);
    EXPECT_EQ(LX_J2KLayerCount(2048, 2048), 13u);

    SLxJ2KEncodeSettings s;
    s.uiWidth = s.uiHeight = 512;
    s.uiBits = 16;
    s.bLossy = true;
    s.dRate = 0.07;
    EXPECT_EQ(LX_J2KMaxBytes(s), 36700);
    s.bLossy = false;
    EXPECT_EQ(LX_J2KMaxBytes(s), 0);
    // 64-bit raw size: 100000^2 x 3 x 2 x 0.07 is beyond INT_MAX, left to the rates.
    s.bLossy = true;
    s.uiWidth = s.uiHeight = 100000;
    s.uiComponents = 3;
    EXPECT_EQ(LX_J2KMaxBytes(s), 0);
    // A cap that truncates to 0 keeps room for the marker segments.
    s.uiWidth = s.uiHeight = 1;
    s.uiComponents = 1;
    s.dRate = 0.000001;
    EXPECT_GT(LX_J2KMaxBytes(s), 100);

    const struct {
        uint32_t w, h, tile, resolutions;
    } resolutions[] = {
        {1, 1, 0, 1}, {2, 2, 0, 2}, {1000, 800, 0, 6}, {1000, 800, 16, 5}, {3, 1000, 0, 2}};
    for (const auto& c : resolutions) {
        SLxJ2KEncodeSettings r;
        r.uiWidth = c.w;
        r.uiHeight = c.h;
        r.uiTileWidth = r.uiTileHeight = c.tile;
        EXPECT_EQ(LX_J2KResolutionCount(r), c.resolutions) << c.w << " x " << c.h;
    }
}

TEST(JP2WriterRules, CompressionAndStride)
{
    const struct {
        int32_t type;
        double rate;
        int32_t wantType;
        double wantRate;
    } rates[] = {{1, 2.0, 1, 1.0},
                 {1, 0.0, 1, 0.000001},
                 {0, 4.0, 0, 0.0},
                 {2, 0.5, 2, 0.0},
                 {7, 0.5, 1, 0.5}};
    for (const auto& c : rates) {
        int32_t t = c.type;
        double r = c.rate;
        CLxJP2OutputFile::AdjustCompression(t, r);
        EXPECT_EQ(t, c.wantType);
        EXPECT_DOUBLE_EQ(r, c.wantRate);
    }
    const struct {
        uint32_t w, comps, bits, stride;
    } strides[] = {{101, 1, 8, 104}, {5, 3, 8, 16}, {100, 3, 12, 600}};
    for (const auto& c : strides) {
        CLxJP2OutputFile w(nullptr, CLxStringW(u""));
        w.SetImageAttributes(Attributes(c.w, 4, c.comps, c.bits));
        EXPECT_EQ(w.Attributes().uiWidthBytes, c.stride);
        EXPECT_EQ(w.Attributes().uiBpcInMemory, (c.bits + 7) / 8 * 8);
        w.Abort();
    }
}

// ---- Sequencing and progress ----------------------------------------------------------

TEST_F(JP2Writer, SequencingCodes)
{
    const Bytes f = Frame(64, 64, 1, 8, 1);
    {
        Writer w(Path());
        w->SetImageAttributes(Attributes(64, 64, 1, 8, 0, 0, 32));
        EXPECT_EQ(w->SetImageData(0, nullptr, nullptr, nullptr), -4);
        EXPECT_EQ(w->SetImageData(1, f.data(), nullptr, nullptr), -1500);
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "w.jp2")); // target untouched
        EXPECT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->SetImageData(2, f.data(), nullptr, nullptr), -1503);
        // Frame 1 by tiles: the first tile, then a new frame while tiles remain.
        EXPECT_EQ(w->SetImageTile(1, 1, 0, f.data(), nullptr, nullptr), -1504);
        EXPECT_EQ(w->SetImageTile(1, 0, 0, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->SetImageData(2, f.data(), nullptr, nullptr), -1505);
        EXPECT_EQ(w->SetImageTile(1, 1, 0, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->SetImageTile(1, 0, 1, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->SetImageTile(1, 1, 1, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->SetImageData(2, f.data(), nullptr, nullptr), 0);
        EXPECT_EQ(w->Close(), 0);
    }
    {
        Writer w(Path("four.jp2"));
        w->SetImageAttributes(Attributes(8, 8, 4, 8));
        EXPECT_EQ(w->SetImageTile(0, 0, 0, f.data(), nullptr, nullptr), -2);
    }
    const struct {
        uint32_t w, h, comps, bits;
    } bad[] = {{0, 4, 1, 8}, {4, 0, 1, 8}, {4, 4, 0, 8}, {4, 4, 1, 24}, {0x80000000u, 1, 1, 8}};
    for (const auto& c : bad) {
        Writer w(Path("bad.jp2"));
        w->SetImageAttributes(Attributes(c.w, c.h, c.comps, c.bits));
        EXPECT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), -4);
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "bad.jp2"));
        w->Abort();
    }
}

namespace
{
struct ProgressLog {
    int calls = 0;
    double last = 0;
};
bool CancelFirst(double fraction, void* context)
{
    auto* p = static_cast<ProgressLog*>(context);
    ++p->calls;
    p->last = fraction;
    return true;
}
bool Follow(double fraction, void* context)
{
    auto* p = static_cast<ProgressLog*>(context);
    ++p->calls;
    EXPECT_GE(fraction, p->last);
    p->last = fraction;
    return false;
}
} // namespace

TEST_F(JP2Writer, ProgressAndCancel)
{
    const Bytes f = Frame(64, 64, 1, 8, 2);
    for (uint32_t tile : {0u, 16u}) {
        ProgressLog log;
        {
            Writer w(Path());
            w->SetImageAttributes(Attributes(64, 64, 1, 8, 0, 0, tile));
            EXPECT_EQ(w->SetImageData(0, f.data(), CancelFirst, &log), -8);
            EXPECT_EQ(log.calls, 1);
            EXPECT_EQ(w->Close(), 0);
        }
        // The codestream is complete: the first tile holds the samples, the
        // rest decode as zero.
        CLxJP2InputFile in(nullptr, Path().c_str());
        Bytes back(f.size());
        ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
        const uint32_t tw = tile ? tile : 64, th = tile ? tile : 64;
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                const size_t i = size_t(y) * 64 + x;
                EXPECT_EQ(back[i], x < tw && y < th ? f[i] : 0) << x << "," << y;
                if (::testing::Test::HasFailure())
                    return;
            }
    }
    ProgressLog log;
    Writer w(Path("p.jp2"));
    w->SetImageAttributes(Attributes(64, 64, 1, 8, 0, 0, 16));
    EXPECT_EQ(w->SetImageData(0, f.data(), Follow, &log), 0);
    EXPECT_EQ(log.calls, 64 * 4); // a call per row of each of 16 tiles
    EXPECT_DOUBLE_EQ(log.last, 1.0);
}

// ---- Documents ------------------------------------------------------------------------

namespace
{
struct DocCase {
    uint32_t w, h, comps, bits, significant, tile;
    int32_t compression;
    double rate;
    uint32_t frames;
};

void WriteDoc(const std::u16string& path, const DocCase& c, std::vector<Bytes>& frames)
{
    Writer w(path);
    SLxImageAttributes a = Attributes(c.w, c.h, c.comps, c.bits, c.compression, c.rate, c.tile);
    a.uiBpcSignificant = uint8_t(c.significant);
    ASSERT_EQ(w->SetImageAttributes(a), 0);
    for (uint32_t f = 0; f < c.frames; ++f) {
        frames.push_back(Frame(c.w, c.h, c.comps, c.significant, 10 + f));
        ASSERT_EQ(w->SetImageData(f, frames.back().data(), nullptr, nullptr), 0);
    }
    ASSERT_EQ(w->Close(), 0);
}

const DocCase kDocs[] = {
    {1, 1, 1, 8, 8, 0, 0, 0, 1},         {37, 21, 1, 8, 8, 0, 0, 0, 2},
    {64, 48, 3, 8, 8, 0, 0, 0, 1},       {65, 33, 3, 16, 16, 0, 0, 0, 1},
    {300, 270, 1, 16, 12, 256, 0, 0, 2}, {300, 260, 3, 8, 8, 256, 0, 0, 1},
    {40, 30, 4, 8, 8, 0, 0, 0, 2},       {128, 128, 1, 16, 16, 0, 1, 0.07, 1},
    {128, 96, 3, 8, 8, 0, 1, 0.5, 1},
};
} // namespace

TEST_F(JP2Writer, DocumentsReadBackThroughTheReader)
{
    for (const DocCase& c : kDocs) {
        SCOPED_TRACE(::testing::Message()
                     << c.w << "x" << c.h << "x" << c.comps << " bits " << c.bits << " tile "
                     << c.tile << " type " << c.compression);
        std::vector<Bytes> frames;
        WriteDoc(Path(), c, frames);
        const Bytes file = Read();
        const auto boxes = TopBoxes(file);
        const uint32_t codestreams = c.frames * (c.comps == 1 || c.comps == 3 ? 1 : c.comps);
        EXPECT_EQ(Count(boxes, "jp2c"), codestreams);
        const bool artt = c.significant != c.bits || (c.comps != 1 && c.comps != 3);
        EXPECT_EQ(Count(boxes, "xml "), artt ? 1u : 0u);
        EXPECT_EQ(Count(boxes, "uuid"), codestreams >= 2 ? 1u : 0u);
        if (codestreams == 1 && !artt) {
            EXPECT_EQ(boxes.back().first, "jp2c");
        }
        if (codestreams >= 2) {
            // The map's last 40 bytes: the magic and 16 x count + 44.
            ASSERT_GE(file.size(), 40u);
            EXPECT_EQ(0, memcmp(&file[file.size() - 40], jp2_box_map_magic, 32));
        }

        CLxJP2InputFile in(nullptr, Path().c_str());
        SLxImageAttributes got{};
        ASSERT_EQ(in.GetImageAttributes(got), 0);
        EXPECT_EQ(got.uiWidth, c.w);
        EXPECT_EQ(got.uiHeight, c.h);
        EXPECT_EQ(got.uiComp, c.comps);
        EXPECT_EQ(got.uiBpcSignificant, c.significant);
        EXPECT_EQ(got.uiSequenceCount, c.frames);
        for (uint32_t f = 0; f < c.frames; ++f) {
            Bytes back(frames[f].size());
            ASSERT_EQ(in.GetImageData(f, back.data(), 0, 0), 0);
            if (c.compression == 0) {
                EXPECT_TRUE(back == frames[f]) << "frame " << f;
            }
        }
        if (c.compression == 1) {
            const uint64_t raw = uint64_t(c.bits / 8) * c.comps * c.w * c.h;
            EXPECT_LE(file.size() - 200, uint64_t(double(raw) * c.rate));
        }
    }
}

// OpenJPEG's own decoder and Pillow see the lossless samples, components reversed.
TEST_F(JP2Writer, DocumentsDecodeWithOpenJpegAndPillow)
{
    if (!jp2test::HaveTool("opj_decompress"))
        LXTEST_SKIP_WITHOUT_TOOL() << "opj_decompress is not installed";
    const DocCase cases[] = {{37, 21, 1, 8, 8, 0, 0, 0, 1},
                             {64, 48, 3, 8, 8, 0, 0, 0, 1},
                             {300, 260, 3, 8, 8, 256, 0, 0, 1},
                             {65, 33, 1, 16, 16, 0, 0, 0, 1}};
    for (const DocCase& c : cases) {
        std::vector<Bytes> frames;
        WriteDoc(Path(), c, frames);
        const std::string out = (dir.path() / (c.comps == 3 ? "o.ppm" : "o.pgm")).string();
        ASSERT_EQ(jp2test::RunQuiet("opj_decompress -i " + (dir.path() / "w.jp2").string() +
                                    " -o " + out),
                  0);
        const Bytes pnm = jp2test::ReadFile(out);
        // The samples end the file, after a header that may hold comments.
        const uint32_t bytes = c.bits / 8, stride = Stride(c.w, c.bits, c.comps);
        const size_t samples = size_t(c.w) * c.h * c.comps * bytes;
        ASSERT_GT(pnm.size(), samples);
        const size_t at = pnm.size() - samples;
        bool same = true;
        for (uint32_t y = 0; same && y < c.h; ++y)
            for (uint32_t x = 0; x < c.w; ++x)
                for (uint32_t k = 0; k < c.comps; ++k) {
                    const uint8_t* m = &frames[0][size_t(y) * stride +
                                                  (size_t(x) * c.comps + c.comps - 1 - k) * bytes];
                    const uint8_t* p = &pnm[at + ((size_t(y) * c.w + x) * c.comps + k) * bytes];
                    const uint32_t mv = bytes == 2 ? m[0] | m[1] << 8 : m[0];
                    const uint32_t pv = bytes == 2 ? uint32_t(p[0]) << 8 | p[1] : p[0];
                    same = same && mv == pv;
                }
        EXPECT_TRUE(same) << c.w << "x" << c.h << "x" << c.comps;

        // Pillow, through Debian's Python, when it has JPEG 2000 support.
        const std::string py =
            "/usr/bin/python3 -c \"import sys; from PIL import Image; "
            "im = Image.open(sys.argv[1]); d = open(sys.argv[2], 'rb').read()[int(sys.argv[3]):]; "
            "ok = im.size == (int(sys.argv[4]), int(sys.argv[5])); "
            "ok = ok and (sys.argv[6] == '16' or im.tobytes() == d); sys.exit(0 if ok else 3)\" " +
            (dir.path() / "w.jp2").string() + " " + out + " " + std::to_string(at) + " " +
            std::to_string(c.w) + " " + std::to_string(c.h) + " " + std::to_string(c.bits);
        EXPECT_EQ(jp2test::RunQuiet(py), 0);
    }
}

// ---- Cutting, aborting, closing -------------------------------------------------------

TEST_F(JP2Writer, DiscardLastFramesCutsAndGoesOn)
{
    const Bytes f0 = Frame(32, 16, 1, 8, 20), f1 = Frame(32, 16, 1, 8, 21),
                f2 = Frame(32, 16, 1, 8, 22), f3 = Frame(32, 16, 1, 8, 23);
    Writer w(Path());
    w->SetImageAttributes(Attributes(32, 16, 1, 8));
    ASSERT_EQ(w->SetImageData(0, f0.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->SetImageData(1, f1.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->SetImageData(2, f2.data(), nullptr, nullptr), 0);
    const auto before = TopBoxes(Read());
    ASSERT_EQ(Count(before, "jp2c"), 3u);
    EXPECT_EQ(w->DiscardLastFrames(4), -4);
    ASSERT_EQ(w->DiscardLastFrames(1), 0);
    EXPECT_EQ(Read().size(), before[5].second); // cut at the third "jp2c"
    // The next frame is the first discarded index, written at the cut.
    EXPECT_EQ(w->SetImageData(3, f3.data(), nullptr, nullptr), -1503);
    ASSERT_EQ(w->SetImageData(2, f3.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->Close(), 0);
    {
        CLxJP2InputFile in(nullptr, Path().c_str());
        SLxImageAttributes a{};
        ASSERT_EQ(in.GetImageAttributes(a), 0);
        EXPECT_EQ(a.uiSequenceCount, 3u);
        Bytes back(f3.size());
        ASSERT_EQ(in.GetImageData(2, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == f3);
        ASSERT_EQ(in.GetImageData(1, back.data(), 0, 0), 0);
        EXPECT_TRUE(back == f1);
    }
    // All three: only the signature, file type and header boxes stay.
    ASSERT_EQ(w->DiscardLastFrames(3), 0);
    EXPECT_EQ(Read().size(), before[3].second);
    ASSERT_EQ(w->SetImageData(0, f2.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->Close(), 0);
    CLxJP2InputFile in(nullptr, Path().c_str());
    Bytes back(f2.size());
    ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
    EXPECT_TRUE(back == f2);
}

TEST_F(JP2Writer, AbortLeavesNoFile)
{
    const Bytes f = Frame(16, 16, 3, 8, 30);
    Writer w(Path());
    w->SetImageAttributes(Attributes(16, 16, 3, 8));
    ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
    EXPECT_EQ(w->Abort(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "w.jp2"));
    EXPECT_EQ(w->Close(), 0);
}

TEST_F(JP2Writer, MetadataBoxesAndCloseTwice)
{
    const Bytes f = Frame(16, 16, 1, 8, 31);
    {
        Writer w(Path());
        w->SetImageAttributes(Attributes(16, 16, 1, 8));
        ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->SetCalibration(3, 0.5, 1.0, true, CLxStringW(u"x20")), 0);
        ASSERT_EQ(w->SetReportObjects(CLxStringW(u"<ReportObjects n=\"1\"/>")), 0);
        const uint8_t blob[] = {1, 2, 3};
        ASSERT_EQ(w->SetCustomData(u"Größe", blob, 3), 0);
        EXPECT_EQ(w->SetCustomData(u"", blob, 3), -4);
        EXPECT_EQ(w->SetCustomData(u"a", nullptr, 3), -4);
        ASSERT_EQ(w->Close(), 0);
        const size_t size = Read().size();
        EXPECT_EQ(w->Close(), 0);
        EXPECT_EQ(Read().size(), size);
    }
    SLxJP2PositionsInfo* map = nullptr;
    ASSERT_EQ(LX_ReadJp2BoxMap(Path().c_str(), &map), 0);
    ASSERT_NE(map, nullptr);
    size_t acal = 0, vcal = 0, srob = 0, scdb = 0;
    for (uint32_t i = 0; i < map->uiCount; ++i) {
        acal += map->pEntries[i].uiOwnCode == jp2_own_acal;
        vcal += map->pEntries[i].uiOwnCode == jp2_own_vcal;
        srob += map->pEntries[i].uiOwnCode == jp2_own_srob;
        scdb += map->pEntries[i].uiOwnCode == jp2_own_scdb;
    }
    LX_FreeJp2PositionsInfo(map);
    EXPECT_EQ(acal, 1u);
    EXPECT_EQ(vcal, 1u);
    EXPECT_EQ(srob, 1u);
    EXPECT_EQ(scdb, 1u);

    CLxJP2InputFile in(nullptr, Path().c_str());
    CLxByteArray blob;
    ASSERT_EQ(in.GetCustomData(u"Größe", blob), 0);
    EXPECT_EQ(blob.GetSize(), 3u);
    CLxStringW objects;
    ASSERT_EQ(in.GetReportObjects(objects), 0);
    EXPECT_EQ(U8(objects.GetString()), "<ReportObjects n=\"1\"/>");
}

TEST_F(JP2Writer, MemoryTarget)
{
    const Bytes f = Frame(20, 10, 3, 8, 32);
    CLxByteArray bytes;
    {
        CLxJP2OutputFile* w = new CLxJP2OutputFile(nullptr, &bytes);
        w->AddRef();
        w->SetImageAttributes(Attributes(20, 10, 3, 8));
        ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->Close(), 0);
        w->Release();
    }
    CLxJP2InputFile in(nullptr, &bytes);
    Bytes back(f.size());
    ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
    EXPECT_TRUE(back == f);
}

// jpylyzer accepts the documents (also after cutting frames), and opj_dump
// shows the parameters the writer chose.
TEST_F(JP2Writer, JpylyzerAndOpjDump)
{
    if (!jp2test::HaveTool("jpylyzer") || !jp2test::HaveTool("opj_dump"))
        LXTEST_SKIP_WITHOUT_TOOL() << "jpylyzer or opj_dump is not installed";
    const std::string file = (dir.path() / "w.jp2").string();
    const std::string report = (dir.path() / "r.txt").string();
    auto Valid = [&]() {
        (void)std::system(("jpylyzer " + file + " > " + report + " 2>/dev/null").c_str());
        const Bytes r = jp2test::ReadFile(report);
        const std::string text(r.begin(), r.end());
        return text.find("<isValid format=\"jp2\">True</isValid>") != std::string::npos;
    };
    auto Dump = [&]() {
        (void)std::system(("opj_dump -i " + file + " > " + report + " 2>/dev/null").c_str());
        const Bytes r = jp2test::ReadFile(report);
        return std::string(r.begin(), r.end());
    };
    const struct {
        DocCase doc;
        const char* expect[4];
    } cases[] = {
        {{300, 260, 3, 8, 8, 256, 0, 0, 2}, {"tdx=256", "numlayers=10", "mct=1", "qmfbid=1"}},
        {{128, 96, 1, 16, 12, 0, 1, 0.07, 1},
         {"tdx=128", "numlayers=9", "numresolutions=6", "qmfbid=0"}},
        {{1, 1, 1, 8, 8, 0, 0, 0, 1}, {"numlayers=2", "numresolutions=1", "qmfbid=1", "mct=0"}},
    };
    for (const auto& c : cases) {
        std::vector<Bytes> frames;
        WriteDoc(Path(), c.doc, frames);
        EXPECT_TRUE(Valid()) << c.doc.w << "x" << c.doc.h;
        const std::string dump = Dump();
        for (const char* e : c.expect)
            EXPECT_NE(dump.find(e), std::string::npos) << e << " in\n" << dump;
    }
    // Cut frames, then Close.
    const Bytes f = Frame(32, 16, 1, 8, 40);
    Writer w(Path());
    w->SetImageAttributes(Attributes(32, 16, 1, 8));
    for (uint32_t i = 0; i < 3; ++i)
        ASSERT_EQ(w->SetImageData(i, f.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->DiscardLastFrames(2), 0);
    ASSERT_EQ(w->Close(), 0);
    EXPECT_TRUE(Valid());
}

// Picture metadata, the experiment and events round trip through the reader.
TEST_F(JP2Writer, ExperimentRecordsReadBack)
{
    const Bytes f = Frame(16, 8, 1, 8, 50);
    {
        Writer w(Path());
        w->SetImageAttributes(Attributes(16, 8, 1, 8));
        ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
        ASSERT_EQ(w->SetImageData(1, f.data(), nullptr, nullptr), 0);
        SLxPictureMetadata md;
        md.SetToDefault();
        md.dTimeMSec = 1234.5;
        ASSERT_EQ(w->SetImageMetadata(1, md, 0), 0);
        ASSERT_EQ(w->SetAcqTime(77.0), 0); // frame 0's record, made and kept
        SLxExperimentRecord events;
        events.wsNotes = CLxStringW(u"Notiz ü");
        ASSERT_EQ(w->SetEvents(events, 0), 0);
        ASSERT_EQ(w->SetCustomDataVar(u"Grün", CLxVariant(2.5, CLxStringW(u"dValue"))), 0);
        EXPECT_EQ(w->SetCustomDataVar(u"two words", CLxVariant(1.0, CLxStringW(u"d"))), -4);
        ASSERT_EQ(w->Close(), 0);
    }
    CLxJP2InputFile in(nullptr, Path().c_str());
    SLxPictureMetadata md;
    ASSERT_EQ(in.GetImageMetadata(1, md, 0), 0);
    EXPECT_DOUBLE_EQ(md.dTimeMSec, 1234.5);
    ASSERT_EQ(in.GetImageMetadata(0, md, 0), 0);
    EXPECT_DOUBLE_EQ(md.dTimeMSec, 77.0);
    SLxExperimentRecord events;
    ASSERT_EQ(in.GetEvents(events, 0), 0);
    EXPECT_EQ(U8(events.wsNotes.GetString()), "Notiz ü");
    CLxVariant custom;
    ASSERT_EQ(in.GetCustomDataVar(u"Grün", custom), 0);
    EXPECT_DOUBLE_EQ(custom.GetDouble(), 2.5);
}
