// Files a writer left behind: the reader repairs them in place where it may
// write them, and otherwise reads them as repaired without a change.
#include "jp2_test_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <memory>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "jp2_document_writer.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

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

std::vector<uint8_t> Frame(CLxJP2InputFile& r, uint32_t seq)
{
    SLxImageAttributes a{};
    r.GetImageAttributes(a);
    std::vector<uint8_t> out(size_t(a.uiWidthBytes) * a.uiHeight, 0);
    EXPECT_EQ(r.GetImageData(seq, out.data(), 0, 0), 0);
    return out;
}

uint32_t Frames(CLxJP2InputFile& r)
{
    SLxImageAttributes a{};
    r.GetImageAttributes(a);
    return a.uiSequenceCount;
}

bool HasMap(const std::u16string& path)
{
    SLxJP2PositionsInfo* map = nullptr;
    const bool ok = LX_ReadJp2BoxMap(path.c_str(), &map) == 0 && map;
    LX_FreeJp2PositionsInfo(map);
    return ok;
}

std::string Capture(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::array<char, 4096> buffer;
    for (size_t n; pipe && (n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        out.append(buffer.data(), n);
    return out;
}

// Offsets of the "jp2c" box headers of a file.
std::vector<size_t> CodestreamBoxes(const Bytes& file)
{
    std::vector<size_t> at;
    for (size_t p = 0; p + 8 <= file.size();) {
        const uint32_t len = GetU32(file, p);
        if (GetU32(file, p + 4) == Code("jp2c"))
            at.push_back(p);
        if (len == 0 || len < 8)
            break;
        p += len;
    }
    return at;
}

enum class Crash { OpenEnded, CutInHalf, SideFile };

class Jp2ReaderRepair : public testing::TestWithParam<Crash>
{
  protected:
    void SetUp() override
    {
        picture = jp2doc::MakePicture(21, 13, 1, 8);
        jp2doc::DocumentOptions o;
        o.ownBoxes = false;
        o.encode.resolutions = 3;
        path = dir.u16("crash.jp2");
        ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), picture, o));
        Bytes file = ReadFile(dir.path() / "crash.jp2");
        // The finished document's frames, for comparison, from a copy that
        // the reader may not rewrite.
        WriteFile(dir.path() / "finished.jp2", file);
        chmod((dir.path() / "finished.jp2").c_str(), 0444);
        Reader whole = Open(dir.u16("finished.jp2"));
        for (uint32_t f = 0; f < 3; ++f)
            finished.push_back(Frame(*whole, f));
        whole.reset();
        const std::vector<size_t> boxes = CodestreamBoxes(file);
        ASSERT_EQ(boxes.size(), 3u);
        switch (GetParam()) {
        case Crash::OpenEnded:
            memset(file.data() + boxes[2], 0, 4);
            expectedFrames = 3;
            break;
        case Crash::CutInHalf:
            memset(file.data() + boxes[2], 0, 4);
            file.resize(boxes[2] + (file.size() - boxes[2]) / 2);
            expectedFrames = 2;
            break;
        case Crash::SideFile: {
            memset(file.data() + boxes[2], 0, 4);
            expectedFrames = 3;
            Bytes side;
            for (const jp2doc::OwnBox& b : jp2doc::FrameRecords(3)) {
                if (b.type != jp2_xml_4cc || b.code == jp2_own_scdv || b.code == jp2_own_vcdv)
                    continue;
                side.insert(side.end(), b.bytes.begin(), b.bytes.end());
                side.push_back(0);
            }
            WriteFile(dir.path() / "crash.jp2.endmeta", side);
            break;
        }
        }
        WriteFile(dir.path() / "crash.jp2", file);
    }

    ScopedTempDir dir;
    jp2doc::Picture picture;
    std::u16string path;
    std::vector<std::vector<uint8_t>> finished;
    uint32_t expectedFrames = 0;
};

} // namespace

TEST_P(Jp2ReaderRepair, RepairedInPlace)
{
    {
        Reader r = Open(path);
        EXPECT_TRUE(r->WasRepairedInPlace());
        ASSERT_EQ(Frames(*r), expectedFrames);
        for (uint32_t f = 0; f < expectedFrames; ++f)
            EXPECT_EQ(Frame(*r, f), finished[f]) << f;
    }
    EXPECT_TRUE(HasMap(path));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "crash.jp2.endmeta"));
    EXPECT_EQ(CodestreamBoxes(ReadFile(dir.path() / "crash.jp2")).size(), expectedFrames);
    if (HaveTool("jpylyzer")) {
        const std::string report =
            Capture("jpylyzer " + (dir.path() / "crash.jp2").string() + " 2>/dev/null");
        EXPECT_NE(report.find("<isValid format=\"jp2\">True</isValid>"), std::string::npos)
            << report;
    }
    // A second open takes the map and changes nothing.
    const Bytes repaired = ReadFile(dir.path() / "crash.jp2");
    Reader again = Open(path);
    EXPECT_FALSE(again->WasRepairedInPlace());
    EXPECT_EQ(Frames(*again), expectedFrames);
    EXPECT_EQ(Frame(*again, expectedFrames - 1), finished[expectedFrames - 1]);
    if (GetParam() == Crash::SideFile) {
        SLxImageTextInfo info;
        ASSERT_EQ(again->GetTextInfo(info), 0);
        EXPECT_TRUE(info.wsText[0] == u"Title 1");
        SLxPictureMetadata md;
        ASSERT_EQ(again->GetImageMetadata(2, md, 0), 0);
        EXPECT_DOUBLE_EQ(md.dTimeMSec, 300.0);
    }
    again.reset();
    EXPECT_EQ(ReadFile(dir.path() / "crash.jp2"), repaired);
}

TEST_P(Jp2ReaderRepair, ReadOnlyFileIsRepairedInMemoryOnly)
{
    const Bytes before = ReadFile(dir.path() / "crash.jp2");
    chmod((dir.path() / "crash.jp2").c_str(), 0444);
    {
        Reader r = Open(path);
        EXPECT_FALSE(r->WasRepairedInPlace());
        ASSERT_EQ(Frames(*r), expectedFrames);
        EXPECT_EQ(Frame(*r, expectedFrames - 1), finished[expectedFrames - 1]);
    }
    EXPECT_EQ(ReadFile(dir.path() / "crash.jp2"), before);
    EXPECT_EQ(std::filesystem::exists(dir.path() / "crash.jp2.endmeta"),
              GetParam() == Crash::SideFile);
}

TEST_P(Jp2ReaderRepair, FileHeldByAWriterIsNotTouched)
{
    const Bytes before = ReadFile(dir.path() / "crash.jp2");
    const int fd = ::open((dir.path() / "crash.jp2").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    {
        Reader r = Open(path);
        EXPECT_FALSE(r->WasRepairedInPlace());
        EXPECT_EQ(Frames(*r), expectedFrames);
    }
    flock(fd, LOCK_UN);
    ::close(fd);
    EXPECT_EQ(ReadFile(dir.path() / "crash.jp2"), before);
}

INSTANTIATE_TEST_SUITE_P(Crashes, Jp2ReaderRepair,
                         testing::Values(Crash::OpenEnded, Crash::CutInHalf, Crash::SideFile));

TEST(Jp2ReaderRecord, FileWithoutMapGetsItsMetadataAndMap)
{
    ScopedTempDir dir;
    jp2doc::DocumentOptions o;
    o.map = false;
    o.encode.resolutions = 2;
    const std::u16string path = dir.u16("nomap.jp2");
    ASSERT_TRUE(jp2doc::WriteDocument(path.c_str(), jp2doc::MakePicture(8, 6, 3, 8), o));
    // A foreign box in the tail must survive the rewrite.
    Bytes file = ReadFile(dir.path() / "nomap.jp2");
    const Bytes foreign = Box("xml ", Bytes{'<', 'f', '/', '>'});
    file.insert(file.end(), foreign.begin(), foreign.end());
    WriteFile(dir.path() / "nomap.jp2", file);
    {
        Reader r = Open(path);
        EXPECT_TRUE(r->WasRepairedInPlace());
        CLxVariant v;
        // The custom data boxes were kept as foreign XML (no map named them).
        EXPECT_EQ(r->GetCustomDataVar(u"Answer", v), -13);
        SLxImageTextInfo info;
        EXPECT_EQ(r->GetTextInfo(info), 0);
    }
    EXPECT_TRUE(HasMap(path));
    Reader again = Open(path);
    EXPECT_FALSE(again->WasRepairedInPlace());
    SLxImageTextInfo info;
    EXPECT_EQ(again->GetTextInfo(info), 0);
    ILxImageUnknownData* keeper = nullptr;
    ASSERT_EQ(again->GetUnknownData(&keeper), 0);
    bool found = false;
    for (uint32_t i = 0; i < keeper->GetChunkCount(); ++i) {
        uint8_t text[8] = {};
        uint32_t size = sizeof text;
        keeper->ReadChunkData(i, 0, text, &size);
        found = found || (size == 4 && memcmp(text, "<f/>", 4) == 0);
    }
    keeper->Release();
    EXPECT_TRUE(found);
}
