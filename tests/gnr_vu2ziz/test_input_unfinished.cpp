// QX2 documents whose writer died before its first frame finished: the
// first frame chunk is cut and the file has no map, which the reader
// repairs in place or, while another writer holds the file, in memory.
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

// The file as its writer leaves it when it dies a few bytes into its first
// frame's data.
void WriteCutFile(EWriter writer, const std::string& path)
{
    if (writer == eFormatWriter)
        WriteWithFormatWriter(path);
    else
        WriteWithDocumentWriter(path);
    const std::vector<uint8_t> bytes = FileBytes(path);
    const size_t frame = ChunkData(bytes, "ImageDataSeq|0!");
    ASSERT_NE(0u, frame);
    std::filesystem::resize_file(path, frame + 10);
}

// A file with its attributes and no frame opens with no images; one
// without its attributes (the document writer states them last) is
// refused. Never an image that cannot be read.
TEST(InputUnfinished, FirstFrameNeverFinished)
{
    const struct {
        const char* label;
        EWriter writer;
        bool locked; // by another writer: repaired in memory, the file unchanged
        bool opens;
    } cases[] = {{"format writer, in place", eFormatWriter, false, true},
                 {"format writer, locked", eFormatWriter, true, true},
                 {"document writer", eDocumentWriter, false, false}};
    ScopedTempDir dir;
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = (dir.path() / ("cut" + std::to_string(n++) + ".qx2")).string();
        WriteCutFile(c.writer, path);
        int holder = -1;
        if (c.locked) {
            holder = open(path.c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(holder, 0);
            ASSERT_EQ(0, flock(holder, LOCK_EX | LOCK_NB));
        }
        // The second open finds the file as the first left it.
        for (int round = 0; round < 2; ++round) {
            Document doc(path);
            EXPECT_EQ(c.opens, bool(doc)) << "open " << round;
            if (!doc)
                continue;
            EXPECT_EQ(0u, doc->GetImageCount()) << "open " << round;
            std::vector<uint8_t> image(1 << 16, 0);
            EXPECT_FALSE(doc->GetImage(0, image.data())) << "open " << round;
        }
        if (holder >= 0)
            close(holder);
    }
}

} // namespace
