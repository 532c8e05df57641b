// QX2 documents whose writer died in the middle of a frame: that frame's
// chunk is cut and the file has no map, which the reader repairs in place
// or, while another writer holds the file, in memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "output_test_support.h"

using namespace lxtest_vu2ziz;

namespace
{

uint64_t LittleEndian(const std::vector<uint8_t>& bytes, size_t at, int count)
{
    uint64_t v = 0;
    for (int k = count - 1; k >= 0; --k)
        v = v << 8 | bytes[at + size_t(k)];
    return v;
}

// Where the data of the named chunk begins (chunks start at multiples of
// 4096: magic, name length, data length, name); 0 when there is none.
size_t ChunkData(const std::vector<uint8_t>& bytes, const std::string& name)
{
    for (size_t at = 0; at + 16 <= bytes.size(); at += 4096) {
        if (LittleEndian(bytes, at, 4) != 0x0ABECEDA)
            continue;
        const size_t length = size_t(LittleEndian(bytes, at + 4, 4));
        if (at + 16 + length <= bytes.size() &&
            std::string(bytes.begin() + long(at + 16), bytes.begin() + long(at + 16 + length)) ==
                name)
            return at + 16 + length;
    }
    return 0;
}

enum EWriter { eFormatWriter, eDocumentWriter };

// Two frames of a time loop of three through the QX2 format writer, which
// states the loops at once and the attributes ahead of its first frame.
void WriteWithFormatWriter(const std::string& path)
{
    ILxOutputImageFile* writer = LX_CreateQx2OutputFile(U16(path.c_str()).c_str(), false);
    ASSERT_NE(nullptr, writer);
    writer->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = 5;
    a.uiHeight = 4;
    a.uiComp = 3;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    SLxPictureMetadata md;
    md.dTimeMSec = 250.0;
    const std::vector<uint8_t> frame(16 * 4, 7);
    SLxExperiment time;
    SLxExperiment::Init(time, SLxExperiment::eEtTime, false, 3, 0, 0);
    EXPECT_EQ(0, writer->SetImageAttributes(a));
    EXPECT_EQ(0, writer->SetExperiment(time, nullptr));
    EXPECT_EQ(0, writer->SetImageMetadata(0, md, 0));
    EXPECT_EQ(0, writer->SetImageData(0, frame.data(), nullptr, nullptr));
    EXPECT_EQ(0, writer->SetImageData(1, frame.data(), nullptr, nullptr));
    EXPECT_EQ(0, writer->Close());
    writer->Release();
}

// A copy of rgb5.qx2 through the document writer, which states the
// attributes only at the end.
void WriteWithDocumentWriter(const std::string& path)
{
    Document source(DocumentPath("rgb5.qx2"));
    ASSERT_TRUE(source);
    IJp2OutputFile* output = CreateJp2OutputFile(U16(path.c_str()).c_str(), source.p);
    ASSERT_NE(nullptr, output);
    EXPECT_TRUE(CopyImages(source.p, output));
    output->Release();
}

// The file as its writer leaves it when it dies a few bytes into the data
// of frame cut.
void WriteCutFile(EWriter writer, uint32_t cut, const std::string& path)
{
    if (writer == eFormatWriter)
        WriteWithFormatWriter(path);
    else
        WriteWithDocumentWriter(path);
    const std::vector<uint8_t> bytes = FileBytes(path);
    const size_t frame = ChunkData(bytes, "ImageDataSeq|" + std::to_string(cut) + "!");
    ASSERT_NE(0u, frame);
    std::filesystem::resize_file(path, frame + 10);
}

// The document opens with the images of the frames that were finished,
// each as written, and none of the cut frame: no images at all when the
// first frame was cut.
TEST(InputUnfinished, FramesUpToTheCutOne)
{
    const struct {
        const char* label;
        EWriter writer;
        uint32_t cut;
        bool locked; // by another writer: repaired in memory, the file unchanged
    } cases[] = {{"format writer, first frame", eFormatWriter, 0, false},
                 {"format writer, first frame, locked", eFormatWriter, 0, true},
                 {"document writer, first frame", eDocumentWriter, 0, false},
                 {"document writer, second frame", eDocumentWriter, 1, false},
                 {"document writer, second frame, locked", eDocumentWriter, 1, true}};
    Document source(DocumentPath("rgb5.qx2"));
    ASSERT_TRUE(source);
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    ASSERT_TRUE(source->GetImageInfo(0, &w, &wb, &h, &comps, &bits));
    std::vector<uint8_t> written(size_t(wb) * h, 0);
    ASSERT_TRUE(source->GetImage(0, written.data()));
    ScopedTempDir dir;
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = (dir.path() / ("cut" + std::to_string(n++) + ".qx2")).string();
        WriteCutFile(c.writer, c.cut, path);
        int holder = -1;
        if (c.locked) {
            holder = open(path.c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(holder, 0);
            ASSERT_EQ(0, flock(holder, LOCK_EX | LOCK_NB));
        }
        // The second open finds the file as the first left it.
        for (int round = 0; round < 2; ++round) {
            Document doc(path);
            ASSERT_TRUE(doc) << "open " << round;
            EXPECT_EQ(c.cut, doc->GetImageCount()) << "open " << round;
            std::vector<uint8_t> image(written.size(), 0);
            EXPECT_FALSE(doc->GetImage(c.cut, image.data())) << "open " << round;
            if (c.cut > 0 && c.writer == eDocumentWriter) {
                EXPECT_TRUE(doc->GetImage(0, image.data())) << "open " << round;
                EXPECT_EQ(written, image) << "open " << round;
            }
        }
        if (holder >= 0)
            close(holder);
    }
}

} // namespace
