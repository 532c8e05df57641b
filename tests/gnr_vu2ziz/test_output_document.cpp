// Writing documents through IJp2OutputFile: copies of every test document
// read back the same through both writers, the rules of frames, channels
// and rows, edits, and what is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fixtures/documents/merge_fixtures.h"
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_vu2ziz/LxJp2OutputFileImpl.h"
#include "output_test_support.h"
#include "test_support.h"

using namespace lxtest_vu2ziz;

namespace
{

// Holds the one reference of an output document.
struct Output {
    explicit Output(IJp2OutputFile* made) : p(made) {}
    Output(const std::u16string& path, IJp2InputFile* source)
        : p(CreateJp2OutputFile(path.c_str(), source))
    {
    }
    ~Output() { Close(); }
    void Close()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    IJp2OutputFile* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
    IJp2OutputFile* p;
};

// Whether the JPEG 2000 writer keeps a document's loops.
bool Jp2WriterKeepsExperiments()
{
    ScopedTempDir dir;
    ILxOutputImageFile* writer = LX_CreateJp2OutputFile(dir.u16("probe.jp2").c_str());
    if (!writer)
        return false;
    writer->AddRef();
    SLxExperiment time;
    SLxExperiment::Init(time, SLxExperiment::eEtTime, false, 2, 0, 0);
    const int rc = writer->SetExperiment(time, nullptr);
    writer->Abort();
    writer->Release();
    return rc == 0;
}

struct SImage {
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    std::vector<uint8_t> pixels;
};

SImage ImageOf(IJp2InputFile* doc, uint32_t seq)
{
    SImage image;
    if (doc->GetImageInfo(seq, &image.w, &image.wb, &image.h, &image.comps, &image.bits)) {
        image.pixels.assign(size_t(image.wb) * image.h, 0xEE);
        if (!doc->GetImage(seq, image.pixels.data()))
            image.pixels.clear();
    }
    return image;
}

struct SMetadata {
    double time = -7, x = -7, y = -7, z = -7, calibration = -7, aspect = -7;
    double mag = -7, na = -7, ri = -7, wavelength = -7;
    std::u16string objective, channel;
    uint8_t r = 0, g = 0, b = 0;
    uint32_t modality = 99;
};

SMetadata MetadataOf(IJp2InputFile* doc, uint32_t seq)
{
    SMetadata m;
    char16_t name[64] = {};
    doc->GetTime(seq, &m.time);
    doc->GetPosition(seq, &m.x, &m.y, &m.z);
    doc->GetCalibration(seq, &m.calibration, &m.aspect);
    if (doc->GetObjective(seq, name, 63, &m.mag, &m.na, &m.ri))
        m.objective = name;
    std::memset(name, 0, sizeof name);
    if (doc->GetWavelength(seq, &m.wavelength, name, 63, &m.r, &m.g, &m.b))
        m.channel = name;
    doc->GetModality(seq, &m.modality);
    return m;
}

void ExpectSameMetadata(const SMetadata& a, const SMetadata& b)
{
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
    EXPECT_EQ(a.calibration, b.calibration);
    EXPECT_EQ(a.aspect, b.aspect);
    EXPECT_EQ(a.objective, b.objective);
    EXPECT_EQ(a.mag, b.mag);
    EXPECT_EQ(a.na, b.na);
    EXPECT_EQ(a.ri, b.ri);
    EXPECT_TRUE(a.wavelength == b.wavelength ||
                (std::isnan(a.wavelength) && std::isnan(b.wavelength)));
    EXPECT_EQ(a.channel, b.channel);
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.g, b.g);
    EXPECT_EQ(a.b, b.b);
    EXPECT_EQ(a.modality, b.modality);
}

// Images, loops, sizes and metadata of the copy against the source. Without
// its loops a copy can only keep the images, their times and frame 0's
// metadata.
void ExpectSameDocument(IJp2InputFile* source, IJp2InputFile* copy, bool loops)
{
    ASSERT_EQ(source->GetImageCount(), copy->GetImageCount());
    if (loops) {
        ASSERT_EQ(source->GetLoopCount(), copy->GetLoopCount());
        for (uint32_t l = 0; l < source->GetLoopCount(); ++l) {
            EXPECT_EQ(source->GetLoopType(l), copy->GetLoopType(l)) << l;
            EXPECT_EQ(source->GetLoopSize(l), copy->GetLoopSize(l)) << l;
        }
    }
    for (uint32_t seq = 0; seq < source->GetImageCount(); ++seq) {
        SCOPED_TRACE("image " + std::to_string(seq));
        const SImage a = ImageOf(source, seq), b = ImageOf(copy, seq);
        EXPECT_EQ(a.w, b.w);
        EXPECT_EQ(a.wb, b.wb);
        EXPECT_EQ(a.h, b.h);
        EXPECT_EQ(a.comps, b.comps);
        EXPECT_EQ(a.bits, b.bits);
        ASSERT_FALSE(a.pixels.empty());
        ASSERT_TRUE(a.pixels == b.pixels);
        const SMetadata ma = MetadataOf(source, seq), mb = MetadataOf(copy, seq);
        if (loops) {
            ExpectSameMetadata(ma, mb);
        } else {
            EXPECT_EQ(ma.time, mb.time);
            EXPECT_EQ(ma.calibration, mb.calibration);
            EXPECT_EQ(ma.objective, mb.objective);
        }
    }
}

std::vector<std::string> RoundTripDocuments()
{
    std::vector<std::string> names;
    for (const lxtest_documents::SDocument& d : lxtest_documents::Documents())
        if (std::string(d.name) != "many.qx2")
            names.push_back(d.name);
    // Not the document whose frames cannot be built.
    for (const lxtest_merge::SMergeDocument& d : lxtest_merge::MergeDocuments())
        if (std::string(d.name) != "merge_badwalk.qx2")
            names.push_back(d.name);
    return names;
}

TEST(OutputDocument, EveryDocumentRoundTripsThroughTheQx2Writer)
{
    for (const std::string& name : RoundTripDocuments()) {
        SCOPED_TRACE(name);
        ScopedTempDir dir;
        Document source = OpenFixture(name);
        ASSERT_TRUE(source);
        {
            Output out(dir.u16("copy.qx2"), source.p);
            ASSERT_TRUE(out);
            ASSERT_TRUE(CopyImages(source.p, out.p));
        }
        Document copy((dir.path() / "copy.qx2").string());
        ASSERT_TRUE(copy);
        ExpectSameDocument(source.p, copy.p, true);
    }
}

TEST(OutputDocument, EveryDocumentRoundTripsThroughTheJpeg2000Writer)
{
    const bool loops = Jp2WriterKeepsExperiments();
    for (const std::string& name : RoundTripDocuments()) {
        SCOPED_TRACE(name);
        // Without its loops the copy shows the channel that no branch
        // acquires as a channel of its own.
        if (!loops && name == "merge_nosource.qx2")
            continue;
        ScopedTempDir dir;
        const std::string path = (dir.path() / "copy.jp2").string();
        // A JPEG 2000 file at the path keeps the output in that format.
        CopyFile(DocumentPath("rgb.jp2"), path);
        Document source = OpenFixture(name);
        ASSERT_TRUE(source);
        {
            Output out(U16(path.c_str()), source.p);
            ASSERT_TRUE(out);
            ASSERT_TRUE(CopyImages(source.p, out.p));
        }
        ASSERT_EQ(0x6A, FileBytes(path).at(4)); // still "jP  "
        Document copy(path);
        ASSERT_TRUE(copy);
        ExpectSameDocument(source.p, copy.p, loops);
    }
}

TEST(OutputDocument, EditsReadBackAsSet)
{
    for (const char* target : {"copy.qx2", "copy.jp2"}) {
        SCOPED_TRACE(target);
        ScopedTempDir dir;
        const std::string path = (dir.path() / target).string();
        if (std::string(target) == "copy.jp2")
            CopyFile(DocumentPath("spectral.jp2"), path);
        Document source = OpenFixture("spectral.qx2");
        ASSERT_TRUE(source);
        {
            Output out(U16(path.c_str()), source.p);
            ASSERT_TRUE(out);
            // Frame 0's edits before its channels, frame 1's after them.
            ASSERT_TRUE(CopyImages(source.p, out.p, [&](uint32_t seq) {
                if (seq == 0) {
                    EXPECT_TRUE(out->SetCalibration(0, 0.25, 2.0));
                    EXPECT_TRUE(out->SetObjective(1, u"Apo 60x", 60.0, 1.4, 1.518));
                    EXPECT_TRUE(out->SetModality(2, 3));
                    EXPECT_TRUE(out->SetWavelength(0, 488.7, u"GFP", 1, 2, 3));
                    EXPECT_TRUE(out->SetPosition(1, 1.5, 2.5, 3.5));
                }
                if (seq == 3) {
                    EXPECT_TRUE(out->SetTime(4, 12345.0));
                }
            }));
        }
        Document copy(path);
        ASSERT_TRUE(copy);
        SMetadata m = MetadataOf(copy.p, 0);
        EXPECT_EQ(0.25, m.calibration);
        EXPECT_EQ(2.0, m.aspect);
        EXPECT_EQ(u"Apo 60x", MetadataOf(copy.p, 1).objective);
        EXPECT_EQ(60.0, m.mag);
        EXPECT_EQ(1.4, m.na);
        EXPECT_EQ(1.518, m.ri);
        EXPECT_EQ(1.5, m.x);
        EXPECT_EQ(2.5, m.y);
        EXPECT_EQ(3.5, m.z);
        // The probe's emission, truncated; name and colour are the channel's.
        EXPECT_EQ(488.0, m.wavelength);
        EXPECT_EQ(u"DAPI", m.channel);
        EXPECT_EQ(0xFF, m.b);
        EXPECT_EQ(3u, MetadataOf(copy.p, 2).modality);
        EXPECT_EQ(12345.0, MetadataOf(copy.p, 3).time);
        EXPECT_EQ(lxtest_documents::FrameTime(2), MetadataOf(copy.p, 6).time);
    }
}

// The output over a recording writer of a new QX2 file.
struct Recorded {
    ScopedTempDir dir;
    Document source;
    CRecordingWriter* writer = nullptr;
    CJp2OutputFile* out = nullptr;

    explicit Recorded(const std::string& name) : source(OpenFixture(name))
    {
        ILxOutputImageFile* inner = LX_CreateQx2OutputFile(dir.u16("out.qx2").c_str(), false);
        if (!source || !inner)
            return;
        writer = new CRecordingWriter(inner);
        writer->AddRef();
        out = new CJp2OutputFile(writer, static_cast<CJp2InputFile*>(source.p));
    }
    ~Recorded()
    {
        if (out)
            out->Release();
        if (writer)
            writer->Release();
    }
};

TEST(OutputDocument, ChannelsOfAFrameAreWrittenTogetherAtTheLast)
{
    Recorded r("spectral.qx2");
    ASSERT_NE(nullptr, r.out);
    ASSERT_TRUE(r.out->SetImageInfo(24, 10, 12));
    const std::vector<uint8_t> channel(48 * 10, 7);
    EXPECT_TRUE(r.out->WriteImage(4, channel.data())); // frame 1, channel 1 alone
    EXPECT_TRUE(r.writer->framesWritten.empty());
    // Frame 1 stays incomplete: the move to frame 0 says so.
    EXPECT_FALSE(r.out->WriteImage(0, channel.data()));
    EXPECT_TRUE(r.out->WriteImage(1, channel.data()));
    EXPECT_TRUE(r.writer->framesWritten.empty());
    EXPECT_TRUE(r.out->WriteImage(2, channel.data()));
    EXPECT_EQ(std::vector<uint32_t>{0}, r.writer->framesWritten);
}

// Channel images of the spectral document (24 x 10, 12 bits, 3 channels):
// every sample of a write tells its channel and which write it was.
uint16_t ChannelSample(uint32_t channel, uint32_t write, uint32_t x)
{
    return uint16_t(1000 * (channel + 1) + 100 * write + x);
}

std::vector<uint8_t> ChannelImage(uint32_t channel, uint32_t write)
{
    std::vector<uint8_t> image(48 * 10);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 24; ++x) {
            const uint16_t v = ChannelSample(channel, write, x);
            image[y * 48 + x * 2] = uint8_t(v);
            image[y * 48 + x * 2 + 1] = uint8_t(v >> 8);
        }
    return image;
}

TEST(OutputDocument, ChannelsComeInAnyOrderAndAFrameTakesOnlyItsOwn)
{
    struct SWrite {
        uint32_t seq;
        bool result;
    };
    struct SCase {
        const char* what;
        std::vector<SWrite> writes;
        std::vector<uint32_t> framesWritten;
        // Per frame written, the write (index into writes) each channel
        // must come from.
        std::vector<std::vector<uint32_t>> from;
    };
    const SCase cases[] = {
        {"0-1-2", {{0, true}, {1, true}, {2, true}}, {0}, {{0, 1, 2}}},
        {"2-1-0", {{2, true}, {1, true}, {0, true}}, {0}, {{2, 1, 0}}},
        {"1-0-2", {{4, true}, {3, true}, {5, true}}, {1}, {{1, 0, 2}}},
        {"repeated channel: the last one counts",
         {{1, true}, {0, true}, {1, true}, {2, true}},
         {0},
         {{1, 2, 3}}},
        {"moving on with a frame incomplete",
         {{0, true}, {2, true}, {5, false}, {3, true}, {4, true}},
         {1},
         {{3, 4, 2}}},
        {"the incomplete frame is gathered again from its start",
         {{0, true}, {1, true}, {3, false}, {2, false}, {0, true}, {1, true}},
         {0},
         {{4, 5, 3}}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        Recorded r("spectral.qx2");
        ASSERT_NE(nullptr, r.out);
        ASSERT_TRUE(r.out->SetImageInfo(24, 10, 12));
        for (uint32_t i = 0; i < c.writes.size(); ++i)
            EXPECT_EQ(
                c.writes[i].result,
                r.out->WriteImage(c.writes[i].seq, ChannelImage(c.writes[i].seq % 3, i).data()))
                << "write " << i;
        ASSERT_EQ(c.framesWritten, r.writer->framesWritten);
        const uint32_t row = r.writer->attributes.uiWidthBytes;
        for (size_t f = 0; f < c.from.size(); ++f)
            for (uint32_t ch = 0; ch < 3; ++ch)
                for (uint32_t x = 0; x < 24; ++x) {
                    const uint8_t* p = &r.writer->frameBytes[f][size_t(9) * row + (x * 3 + ch) * 2];
                    ASSERT_EQ(ChannelSample(ch, c.from[f][ch], x), p[0] | p[1] << 8)
                        << "channel " << ch << " x " << x;
                }
    }
}

TEST(OutputDocument, SetterForAnotherFrameDropsUnwrittenEdits)
{
    Recorded r("zxy.qx2");
    ASSERT_NE(nullptr, r.out);
    ASSERT_TRUE(r.out->SetImageInfo(16, 8, 16));
    EXPECT_TRUE(r.out->SetTime(4, 111.0));
    EXPECT_TRUE(r.out->SetTime(7, 222.0));
    const std::vector<uint8_t> frame(32 * 8, 1);
    ASSERT_TRUE(r.out->WriteImage(4, frame.data()));
    ASSERT_EQ(1u, r.writer->metadataTimes.size());
    EXPECT_EQ(4u, r.writer->metadataTimes[0].first);
    EXPECT_EQ(lxtest_documents::FrameTime(4), r.writer->metadataTimes[0].second);
}

TEST(OutputDocument, UnpaddedCallerRowsArePaddedForTheWriter)
{
    Recorded r("odd101x12.qx2");
    ASSERT_NE(nullptr, r.out);
    ASSERT_TRUE(r.out->SetImageInfo(101, 50, 12));
    EXPECT_EQ(16u, r.out->Attributes().uiBpcInMemory);
    EXPECT_EQ(12u, r.out->Attributes().uiBpcSignificant);
    EXPECT_EQ(202u, r.out->Attributes().uiWidthBytes);
    EXPECT_EQ(204u, r.writer->attributes.uiWidthBytes);
}

TEST(OutputDocument, BadWritesFailAndWriteNothing)
{
    Recorded r("spectral.qx2");
    ASSERT_NE(nullptr, r.out);
    const std::vector<uint8_t> channel(48 * 10, 7);
    EXPECT_FALSE(r.out->WriteImage(2, channel.data())); // before SetImageInfo
    EXPECT_FALSE(r.out->SetImageInfo(0, 10, 12));
    EXPECT_FALSE(r.out->SetImageInfo(24, 10, 0));
    EXPECT_FALSE(r.out->SetImageInfo(24, 10, 33));
    EXPECT_FALSE(r.out->WriteImage(2, channel.data()));
    ASSERT_TRUE(r.out->SetImageInfo(24, 10, 12));
    EXPECT_FALSE(r.out->WriteImage(2, nullptr));
    EXPECT_FALSE(r.out->WriteImage(30, channel.data()));
    EXPECT_FALSE(r.out->WriteImage(0xFFFFFFFF, channel.data()));
    EXPECT_TRUE(r.writer->framesWritten.empty());
    // No channel 0 in a frame past the document.
    EXPECT_FALSE(r.out->SetWavelength(30, 500.0, u"x", 1, 2, 3));
    EXPECT_FALSE(r.out->SetModality(31, 1));
    EXPECT_TRUE(r.out->SetModality(2, 1));
}

TEST(OutputDocument, RefusedPathsGiveNullAndStayUntouched)
{
    ScopedTempDir dir;
    Document source = OpenFixture("spectral.qx2");
    ASSERT_TRUE(source);
    const std::string own = DocumentPath("spectral.qx2");
    const std::vector<uint8_t> ownBytes = FileBytes(own);
    const std::string text = (dir.path() / "notes.qx2").string();
    {
        std::ofstream out(text);
        out << "not a document\n";
    }
    const std::string link = (dir.path() / "link.qx2").string();
    ASSERT_EQ(0, ::link(own.c_str(), link.c_str()));
    const std::string inFile = text + "/x.qx2";

    EXPECT_EQ(nullptr, CreateJp2OutputFile(nullptr, source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(dir.u16("a.qx2").c_str(), nullptr));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(u"", source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(U16(own.c_str()).c_str(), source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(U16(link.c_str()).c_str(), source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(U16(text.c_str()).c_str(), source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(dir.u16().c_str(), source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(U16(inFile.c_str()).c_str(), source.p));
    EXPECT_EQ(nullptr, CreateJp2OutputFile(dir.u16("missing/x.jp2").c_str(), source.p));
    EXPECT_EQ(ownBytes, FileBytes(own));
    const std::vector<uint8_t> textBytes = FileBytes(text);
    EXPECT_EQ("not a document\n", std::string(textBytes.begin(), textBytes.end()));
    // The source still reads.
    EXPECT_FALSE(ImageOf(source.p, 29).pixels.empty());
}

TEST(OutputDocument, OpjDecompressReadsTheWrittenJpeg2000)
{
    if (std::system("command -v opj_decompress >/dev/null 2>&1") != 0)
        LXTEST_SKIP_WITHOUT_TOOL() << "opj_decompress not installed";
    ScopedTempDir dir;
    const std::string jp2 = (dir.path() / "copy.jp2").string();
    const std::string ppm = (dir.path() / "back.ppm").string();
    CopyFile(DocumentPath("rgb.jp2"), jp2);
    Document source = OpenFixture("rgb5.qx2");
    ASSERT_TRUE(source);
    {
        Output out(U16(jp2.c_str()), source.p);
        ASSERT_TRUE(out);
        ASSERT_TRUE(CopyImages(source.p, out.p));
    }
    ASSERT_EQ(0, std::system(("opj_decompress -i '" + jp2 + "' -o '" + ppm +
                              "' >/dev/null 2>&1").c_str()));
    // Header tokens ('#' comments skipped), then one whitespace byte.
    std::ifstream in(ppm, std::ios::binary);
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
    ASSERT_EQ((std::vector<std::string>{"P6", "5", "4", "255"}), tokens);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    const std::string header;
    const SImage image = ImageOf(source.p, 0);
    ASSERT_EQ(5u * 4u * 3u, bytes.size());
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                EXPECT_EQ(image.pixels[y * image.wb + x * 3 + (2 - c)],
                          bytes[header.size() + (y * 5 + x) * 3 + c])
                    << x << " " << y << " " << c;
}

} // namespace
