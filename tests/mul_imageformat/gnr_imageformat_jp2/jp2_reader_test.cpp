// The JPEG 2000 reader over documents written by our container target
// around OpenJPEG codestreams: frames, virtual components, records read
// lazily, scaled regions, and the repair of files a writer left behind.
#include "jp2_test_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "jp2_document_writer.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_region_decompressor.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_scaled_region.h"

using namespace jp2test;

namespace
{

struct ReaderDeleter {
    void operator()(CLxJP2InputFile* r) const { r->Release(); }
};
using Reader = std::unique_ptr<CLxJP2InputFile, ReaderDeleter>;

Reader Open(const std::u16string& path)
{
    auto* r = new CLxJP2InputFile(nullptr, path.c_str());
    r->AddRef();
    return Reader(r);
}

// The frame as the reader stores it, made from the picture's samples:
// frame f of a document is the picture shifted by f (WriteDocument).
std::vector<uint8_t> Expected(const jp2doc::Picture& p, uint32_t frame, uint32_t virtualComponents)
{
    const uint32_t comps = virtualComponents ? virtualComponents : p.components;
    const uint32_t bits = p.precision <= 8 ? 8 : 16;
    const uint32_t stride = CLxPicBufAPI::CalcWidthBytes(p.width, bits, comps, 4);
    std::vector<uint8_t> out(size_t(stride) * p.height, 0);
    const int32_t top = (1 << p.precision) - 1;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            for (uint32_t c = 0; c < comps; ++c) {
                int32_t v;
                uint32_t sample;
                if (virtualComponents) {
                    v = (const_cast<jp2doc::Picture&>(p).at(c % p.components, x, y) +
                         int32_t(frame * 3 + c)) &
                        top;
                    sample = c;
                } else {
                    v = (const_cast<jp2doc::Picture&>(p).at(c, x, y) + int32_t(frame * 3)) & top;
                    sample = comps - 1 - c; // R, G, B stored B, G, R
                }
                uint8_t* at =
                    out.data() + size_t(y) * stride + (size_t(x) * comps + sample) * (bits / 8);
                if (bits == 8)
                    *at = uint8_t(v);
                else {
                    at[0] = uint8_t(v);
                    at[1] = uint8_t(v >> 8);
                }
            }
    return out;
}

std::vector<uint8_t> Frame(CLxJP2InputFile& r, uint32_t seq, int* status = nullptr)
{
    SLxImageAttributes a{};
    r.GetImageAttributes(a);
    std::vector<uint8_t> out(size_t(a.uiWidthBytes) * a.uiHeight, 0);
    const int s = r.GetImageData(seq, out.data(), 0, 0);
    if (status)
        *status = s;
    return out;
}

} // namespace

TEST(Jp2Reader, FramesOfADocumentReadBack)
{
    ScopedTempDir dir;
    struct Case {
        uint32_t comps;
        int precision;
        uint32_t tile;
    } cases[] = {{1, 8, 0}, {3, 8, 0}, {1, 12, 0}, {1, 16, 16}, {3, 12, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.comps << "x" << c.precision << " tile " << c.tile);
        const jp2doc::Picture p = jp2doc::MakePicture(37, 23, c.comps, c.precision);
        jp2doc::DocumentOptions o;
        o.encode.resolutions = 3;
        o.encode.tileWidth = o.encode.tileHeight = c.tile;
        const std::u16string path = dir.u16("doc.jp2");
        ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), p, o));
        Reader r = Open(path);
        SLxImageAttributes a{};
        ASSERT_EQ(r->GetImageAttributes(a), 0);
        EXPECT_EQ(a.uiWidth, 37u);
        EXPECT_EQ(a.uiHeight, 23u);
        EXPECT_EQ(a.uiComp, c.comps);
        EXPECT_EQ(a.uiBpcInMemory, c.precision <= 8 ? 8 : 16);
        EXPECT_EQ(a.uiBpcSignificant, c.precision);
        EXPECT_EQ(a.uiSequenceCount, 3u);
        EXPECT_EQ(a.uiWidthBytes, CLxPicBufAPI::CalcWidthBytes(37, a.uiBpcInMemory, c.comps, 4));
        for (uint32_t f = 0; f < 3; ++f)
            EXPECT_EQ(Frame(*r, f), Expected(p, f, 0)) << "frame " << f;
        int status = 0;
        Frame(*r, 3, &status);
        EXPECT_EQ(status, -1501);
    }
}

TEST(Jp2Reader, VirtualComponentsSpanCodestreams)
{
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(9, 7, 3, 8);
    for (uint32_t frames : {4u, 5u}) {
        jp2doc::DocumentOptions o;
        o.frames = frames;
        o.virtualComponents = 3;
        o.encode.resolutions = 2;
        const std::u16string path = dir.u16("virtual.jp2");
        ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), p, o));
        Reader r = Open(path);
        SLxImageAttributes a{};
        r->GetImageAttributes(a);
        EXPECT_EQ(a.uiSequenceCount, frames); // 12 codestreams give 4 frames, 15 give 5
        EXPECT_EQ(a.uiComp, 3u);
        EXPECT_EQ(a.uiVirtualComponents, 3u);
        EXPECT_EQ(Frame(*r, frames - 1), Expected(p, frames - 1, 3));
        int status = 0;
        Frame(*r, frames, &status);
        EXPECT_EQ(status, -1501);
        if (frames == 5) {
            // Frame 4, component 2 is codestream 14.
            std::vector<uint8_t> plane(12 * 7, 0);
            ASSERT_EQ(r->GetImageDataComponent(4, 2, plane.data(), 12, 1), 0);
            const std::vector<uint8_t> all = Expected(p, 4, 3);
            const uint32_t stride = CLxPicBufAPI::CalcWidthBytes(9, 8, 3, 4);
            for (uint32_t y = 0; y < 7; ++y)
                for (uint32_t x = 0; x < 9; ++x)
                    ASSERT_EQ(plane[y * 12 + x], all[y * stride + x * 3 + 2]);
            EXPECT_EQ(r->GetImageDataComponent(4, 3, plane.data(), 12, 1), 0);
        }
    }
}

TEST(Jp2Reader, FrameRecordsAreReadOnceInFileOrder)
{
    ScopedTempDir dir;
    jp2doc::DocumentOptions o;
    o.frames = 6;
    o.encode.resolutions = 1;
    const std::u16string path = dir.u16("records.jp2");
    ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), jp2doc::MakePicture(4, 4, 1, 8), o));
    Reader r = Open(path);
    EXPECT_EQ(r->GetBoxesReadCount(), 0u);
    SLxPictureMetadata md;
    ASSERT_EQ(r->GetImageMetadata(5, md, 0), 0);
    EXPECT_DOUBLE_EQ(md.dTimeMSec, 600.0);
    EXPECT_DOUBLE_EQ(md.dCalibration, 5.5);
    EXPECT_TRUE(md.bCalibrated);
    // VIMD 0..5 and VCAL 0..5, each once.
    EXPECT_EQ(r->GetBoxesReadCount(), 12u);
    ASSERT_EQ(r->GetImageMetadata(2, md, 0), 0);
    EXPECT_DOUBLE_EQ(md.dTimeMSec, 300.0);
    EXPECT_EQ(r->GetBoxesReadCount(), 12u);
    EXPECT_EQ(r->GetImageMetadata(6, md, 0), -1501);

    double cal = 0, aspect = 0;
    CLxStringW objective;
    ASSERT_EQ(r->GetCalibration(1, cal, aspect, objective), 0);
    EXPECT_DOUBLE_EQ(cal, 1.5);
    EXPECT_DOUBLE_EQ(aspect, 1.25);
    EXPECT_TRUE(objective == u"Obj 10x");
    EXPECT_EQ(r->GetCalibration(6, cal, aspect, objective), -1501);

    SLxImageTextInfo info;
    ASSERT_EQ(r->GetTextInfo(info), 0);
    EXPECT_TRUE(info.wsText[0] == u"Title 1");
    EXPECT_TRUE(info.wsText[13] == u"Last");
    SLxExperimentRecord events;
    EXPECT_EQ(r->GetEvents(events, 0), 0);
    SLxExperimentRecord::Free(events);
    CLxStringW objects;
    ASSERT_EQ(r->GetReportObjects(objects), 0);
    EXPECT_TRUE(objects == u"<ReportObjects version=\"1.0\"><o id=\"1\"/></ReportObjects>");
    ASSERT_EQ(r->GetReportObjectsSeq(1, objects), 0);
    EXPECT_TRUE(objects == u"<o id=\"2\"/>");
    EXPECT_EQ(r->GetReportObjectsSeq(0, objects), -13);
    EXPECT_EQ(r->GetReportObjectsSeq(6, objects), -1501);

    CLxVariant v;
    ASSERT_EQ(r->GetCustomDataVar(u"Answer", v), 0);
    EXPECT_EQ(v.GetLx_int32(), 42);
    ASSERT_EQ(r->GetCustomDataVarSeq(u"Step", 1, v), 0);
    EXPECT_DOUBLE_EQ(v.GetDouble(), 7.5);
    EXPECT_EQ(r->GetCustomDataVarSeq(u"Step", 0, v), -13);
    EXPECT_EQ(r->GetCustomDataVar(u"", v), -4);
    EXPECT_EQ(r->GetCustomDataVar(nullptr, v), -4);
    CLxByteArray blob;
    ASSERT_EQ(r->GetCustomData(u"Blob", blob), 0);
    EXPECT_EQ(blob.GetSize(), 5u);
    EXPECT_EQ(r->GetCustomData(u"None", blob), -13);
    uint8_t layer[3] = {};
    ASSERT_EQ(r->GetImageBinary(layer), 0);
    EXPECT_EQ(layer[2], 3);
}

TEST(Jp2Reader, EightBitRuleOfFixedPointSamples)
{
    EXPECT_EQ(LX_Jp2FixedTo8(-4096), 0);
    EXPECT_EQ(LX_Jp2FixedTo8(0), 128);
    EXPECT_EQ(LX_Jp2FixedTo8(4095), 255);
    EXPECT_EQ(LX_Jp2FixedTo8(-100000), 0);
    EXPECT_EQ(LX_Jp2FixedTo8(100000), 255);
    // 8-bit samples map to themselves.
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(LX_Jp2FixedTo8((v - 128) * 32), v);
}

TEST(Jp2Reader, ShallowCodestreamsScaleToEightBits)
{
    ScopedTempDir dir;
    jp2doc::Picture p = jp2doc::MakePicture(16, 1, 1, 4);
    for (uint32_t x = 0; x < 16; ++x)
        p.at(0, x, 0) = int32_t(x);
    jp2doc::DocumentOptions o;
    o.frames = 1;
    o.ownBoxes = false;
    o.encode.resolutions = 1;
    const std::u16string path = dir.u16("four.jp2");
    ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), p, o));
    Reader r = Open(path);
    uint32_t w, h, bits, comps;
    r->GetImageInfo(w, h, bits, comps);
    EXPECT_EQ(bits, 8u);
    const std::vector<uint8_t> frame = Frame(*r, 0);
    for (uint32_t x = 0; x < 16; ++x)
        EXPECT_EQ(frame[x], x * 16) << x;
}

TEST(Jp2Reader, ScaledRegionArithmetic)
{
    SLxJP2ScaledRegion r;
    ASSERT_TRUE(LX_Jp2ScaledRegion(2048, 2048, 5, 700, 700, 100, 50, 200, 100, r));
    EXPECT_EQ(r.uiLevelW, 1024u);
    EXPECT_EQ(r.uiReduce, 1u);
    EXPECT_EQ(r.xl, 146u);
    EXPECT_EQ(r.yl, 73u);
    EXPECT_EQ(r.wl, 295u);
    EXPECT_EQ(r.hl, 148u);
    EXPECT_EQ(r.uiX, 292u);
    EXPECT_EQ(r.uiY, 146u);
    EXPECT_EQ(r.uiWidth, 590u);
    EXPECT_EQ(r.uiHeight, 296u);
    // A view larger than the frame decodes the full size.
    ASSERT_TRUE(LX_Jp2ScaledRegion(100, 80, 5, 300, 90, 0, 0, 300, 90, r));
    EXPECT_EQ(r.uiReduce, 0u);
    EXPECT_EQ(r.uiLevelW, 100u);
    EXPECT_FALSE(LX_Jp2ScaledRegion(100, 80, 5, 300, 90, 300, 0, 1, 1, r));
}

TEST(Jp2Reader, ScaledViewsAtLevelSizesAreTheReducedFrame)
{
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(64, 48, 1, 8);
    jp2doc::DocumentOptions o;
    o.frames = 1;
    o.ownBoxes = false;
    o.encode.resolutions = 4;
    const std::u16string path = dir.u16("levels.jp2");
    std::vector<std::vector<uint8_t>> codestreams;
    ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), p, o, &codestreams));
    Reader r = Open(path);
    // The view at level 1 (32 x 24), straight from the codec, against the
    // codestream decoded by OpenJPEG at the same reduction.
    std::vector<uint8_t> view(32 * 24, 0);
    ASSERT_EQ(r->GetImageRegionScaled(0, 32, 24, 0, 0, 32, 24, view.data(), 0, 0), 0);
    opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
    opj_dparameters_t dp;
    opj_set_default_decoder_parameters(&dp);
    dp.cp_reduce = 1;
    opj_setup_decoder(codec, &dp);
    FILE* f = fmemopen(codestreams[0].data(), codestreams[0].size(), "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    const std::filesystem::path cs = dir.path() / "c.j2k";
    WriteFile(cs, codestreams[0]);
    opj_stream_t* stream = opj_stream_create_default_file_stream(cs.c_str(), OPJ_TRUE);
    opj_image_t* image = nullptr;
    ASSERT_TRUE(opj_read_header(stream, codec, &image));
    ASSERT_TRUE(opj_decode(codec, stream, image));
    ASSERT_EQ(image->comps[0].w, 32u);
    for (uint32_t i = 0; i < 32 * 24; ++i)
        ASSERT_EQ(view[(i / 32) * 32 + i % 32], uint8_t(image->comps[0].data[i])) << i;
    opj_image_destroy(image);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    // Any other view is decoded at the next larger level and scaled.
    std::vector<uint8_t> odd(CLxPicBufAPI::CalcWidthBytes(20, 8, 1, 4) * 15, 0);
    EXPECT_EQ(r->GetImageRegionScaled(0, 40, 30, 10, 5, 20, 15, odd.data(), 0, 0), 0);
    EXPECT_EQ(r->GetImageRegionScaled(1, 40, 30, 10, 5, 20, 15, odd.data(), 0, 0), -1501);
    // A tile region and the preview.
    std::vector<uint8_t> tile(CLxPicBufAPI::CalcWidthBytes(16, 8, 1, 4) * 12, 0);
    EXPECT_EQ(r->GetImageRegion(0, 0, 0, 16, 12, tile.data(), 0, 0), 0);
    uint32_t pw = 50, ph = 50;
    EXPECT_EQ(r->GetPreviewImage(pw, ph, nullptr, false, 0, 0), 0);
    EXPECT_EQ(pw, 50u);
    EXPECT_EQ(ph, 37u);
    std::vector<uint8_t> preview(((pw * 3 + 3) & ~3u) * ph, 0);
    EXPECT_EQ(r->GetPreviewImage(pw, ph, preview.data(), false, 0, 0), 0);
}

TEST(Jp2Reader, PlainFilesGetDefaultMetadata)
{
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(5, 4, 3, 8);
    const std::vector<uint8_t> cs = jp2doc::Encode(p, {});
    const std::u16string path = dir.u16("plain.jp2");
    ASSERT_TRUE(jp2doc::WriteJp2(path.c_str(), p, {cs}, nullptr, 2.5));
    const Bytes before = ReadFile(dir.path() / "plain.jp2");
    Reader r = Open(path);
    SLxPictureMetadata md;
    ASSERT_EQ(r->GetImageMetadata(0, md, 0), 0);
    EXPECT_EQ(md.sPicturePlanes.uiCount, 1u);
    EXPECT_EQ(md.sPicturePlanes.uiCompCount, 3u);
    EXPECT_TRUE(md.bCalibrated);
    EXPECT_NEAR(md.dCalibration, 2.5, 1e-3);
    double cal, aspect;
    CLxStringW objective;
    EXPECT_EQ(r->GetCalibration(0, cal, aspect, objective), 0);
    CLxVariant v;
    EXPECT_EQ(r->GetCustomDataVar(u"x", v), -13);
    SLxExperimentRecord events;
    EXPECT_EQ(r->GetEvents(events, 0), -13);
    EXPECT_EQ(Frame(*r, 0), Expected(p, 0, 0));
    r.reset();
    // One codestream without a map: the file stays as it was.
    EXPECT_EQ(ReadFile(dir.path() / "plain.jp2"), before);
}

TEST(Jp2Reader, BadInputIsInvalidFile)
{
    ScopedTempDir dir;
    WriteFile(dir.path() / "text.jp2", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(ErrorOf([&] { Open(dir.u16("text.jp2")); }), "Invalid file");
    EXPECT_EQ(ErrorOf([&] { Open(dir.u16("missing.jp2")); }), "Invalid file");
    // A container whose codestream is not one.
    WriteFile(dir.path() / "stand_in.jp2", GreyFile({Codestream(0)}));
    EXPECT_NE(ErrorOf([&] { Open(dir.u16("stand_in.jp2")); }), "");
    // An empty side file.
    const jp2doc::Picture p = jp2doc::MakePicture(4, 4, 1, 8);
    ASSERT_TRUE(jp2doc::WriteJp2(dir.u16("ok.jp2").c_str(), p, {jp2doc::Encode(p, {})}));
    WriteFile(dir.path() / "ok.jp2.endmeta", Bytes{});
    EXPECT_EQ(ErrorOf([&] { Open(dir.u16("ok.jp2")); }), "Invalid file");
}

TEST(Jp2Reader, DeepCodestreamsOpenButDoNotDecodeToSixteenBits)
{
    ScopedTempDir dir;
    jp2doc::Picture p = jp2doc::MakePicture(6, 5, 1, 20);
    ASSERT_TRUE(jp2doc::WriteJp2(dir.u16("deep.jp2").c_str(), p, {jp2doc::Encode(p, {})}));
    Reader r = Open(dir.u16("deep.jp2"));
    int status = 0;
    Frame(*r, 0, &status);
    EXPECT_EQ(status, -9);
}

TEST(Jp2Reader, FramesThatDifferFromTheFirstAreRefused)
{
    ScopedTempDir dir;
    const jp2doc::Picture a = jp2doc::MakePicture(6, 5, 1, 8), b = jp2doc::MakePicture(7, 5, 1, 8);
    ASSERT_TRUE(jp2doc::WriteJp2(dir.u16("mixed.jp2").c_str(), a,
                                 {jp2doc::Encode(a, {}), jp2doc::Encode(b, {})}));
    chmod((dir.path() / "mixed.jp2").c_str(), 0444);
    Reader r = Open(dir.u16("mixed.jp2"));
    int status = 0;
    Frame(*r, 0, &status);
    EXPECT_EQ(status, 0);
    Frame(*r, 1, &status);
    EXPECT_EQ(status, -9);
}

TEST(Jp2Reader, ThreadCountDoesNotChangeTheSamples)
{
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(64, 40, 3, 12);
    jp2doc::DocumentOptions o;
    o.frames = 1;
    o.ownBoxes = false;
    o.encode.tileWidth = o.encode.tileHeight = 32;
    o.encode.resolutions = 3;
    const std::u16string path = dir.u16("threads.jp2");
    ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), p, o));
    Reader r = Open(path);
    const char* before = getenv("QUELVIX_THREADS");
    const std::string saved = before ? before : "";
    setenv("QUELVIX_THREADS", "1", 1);
    const std::vector<uint8_t> one = Frame(*r, 0);
    setenv("QUELVIX_THREADS", "4", 1);
    EXPECT_EQ(Frame(*r, 0), one);
    if (before)
        setenv("QUELVIX_THREADS", saved.c_str(), 1);
    else
        unsetenv("QUELVIX_THREADS");
    EXPECT_EQ(one, Expected(p, 0, 0));
}

TEST(Jp2Reader, AttributesFoundLateDoNotChangeTheFrames)
{
    // A box whose map code says text information but whose text is the
    // advanced attributes: read after the open, it must not change the
    // frame layout that callers sized their buffers by.
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(6, 4, 1, 8);
    const std::u16string path = dir.u16("late.jp2");
    SLxJP2PositionsInfo* list = LX_NewJp2PositionsInfo();
    ASSERT_TRUE(
        jp2doc::WriteJp2(path.c_str(), p, {jp2doc::Encode(p, {}), jp2doc::Encode(p, {})}, list));
    ASSERT_EQ(jp2doc::AppendOwn(path.c_str(),
                                {jp2doc::Xml(jp2_own_tinf, LX_Jp2TextAdvancedAttributes(8, 2))},
                                list, true),
              0);
    LX_FreeJp2PositionsInfo(list);
    Reader r = Open(path);
    SLxImageAttributes before{};
    r->GetImageAttributes(before);
    SLxImageTextInfo info;
    EXPECT_EQ(r->GetTextInfo(info), -13);
    SLxImageAttributes after{};
    r->GetImageAttributes(after);
    EXPECT_EQ(after.uiComp, before.uiComp);
    EXPECT_EQ(after.uiSequenceCount, 2u);
    EXPECT_EQ(Frame(*r, 1), Expected(p, 0, 0));
}

TEST(Jp2Reader, MapOutOfFileOrderEndsTheBoxWalk)
{
    // Two "uuid" boxes whose map entries run backwards past an "xml " entry:
    // the walk reads each box once and ends.
    ScopedTempDir dir;
    const Bytes a = Box("uuid", Bytes(20, 1)), b = Box("uuid", Bytes(20, 2));
    WriteFile(dir.path() / "m.bin", Cat({a, b}));
    SLxJP2PositionsInfo* map = LX_NewJp2PositionsInfo();
    jp2_add_position(map, jp2_uuid_4cc, jp2_own_uunk, 0);
    jp2_add_position(map, jp2_xml_4cc, jp2_own_xunk, 1000);
    jp2_add_position(map, jp2_uuid_4cc, jp2_own_uunk, a.size());
    CLxJP2UUIDStream uuid;
    ASSERT_TRUE(uuid.OpenRead(dir.u16("m.bin").c_str(), map, 0));
    int boxes = 1;
    while (uuid.Next() && boxes < 10)
        ++boxes;
    EXPECT_EQ(boxes, 2); // each box once, then the end
    uuid.Close();
    LX_FreeJp2PositionsInfo(map);
}

TEST(Jp2Reader, TruncatedCodestreamIsAnErrorNotAFrame)
{
    // Strict decoding: a codestream cut inside its tile data (followed by a
    // whole one, so that the file is not taken for a stopped writer's) opens
    // but its frame is -9, the library's text traced. A file whose only
    // codestream lacks its end is no document.
    ScopedTempDir dir;
    const jp2doc::Picture p = jp2doc::MakePicture(32, 24, 1, 8);
    const std::vector<uint8_t> whole = jp2doc::Encode(p, {});
    std::vector<uint8_t> cut = whole;
    cut.resize(cut.size() * 2 / 3);
    ASSERT_TRUE(jp2doc::WriteJp2(dir.u16("cut.jp2").c_str(), p, {cut, whole}));
    chmod((dir.path() / "cut.jp2").c_str(), 0444);
    Reader r = Open(dir.u16("cut.jp2"));
    int status = 0;
    Frame(*r, 0, &status);
    EXPECT_EQ(status, -9);
    Frame(*r, 1, &status);
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(jp2doc::WriteJp2(dir.u16("only.jp2").c_str(), p, {cut}));
    EXPECT_EQ(ErrorOf([&] { Open(dir.u16("only.jp2")); }), "Invalid file");
}
