// Documents written by the independent script (qx2_chunk_check.py
// build-documents) from the byte layout and Python's zlib: the readers
// give the frames it lists, and repaired files pass its check-repaired.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "mul_imageformat/LxImageAttributes.h"
#include "qx2_reader_support.h"
#include "test_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

struct SListedDocument {
    std::string name;
    uint32_t count = 0;
    std::vector<std::pair<uint32_t, std::string>> frames;
    std::vector<uint32_t> missing;
};

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::vector<SListedDocument> ReadList(const std::string& path)
{
    std::vector<SListedDocument> documents;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind, a, b;
        words >> kind >> a >> b;
        if (kind == "document")
            documents.push_back(SListedDocument{a, uint32_t(std::stoul(b)), {}, {}});
        else if (kind == "frame" && !documents.empty())
            documents.back().frames.emplace_back(uint32_t(std::stoul(a)), FromHex(b));
        else if (kind == "missing" && !documents.empty())
            documents.back().missing.push_back(uint32_t(std::stoul(a)));
    }
    return documents;
}

TEST(ReaderIndependentDocuments, ReadAndRepairedAsTheScriptExpects)
{
    if (!HaveIndependentCheck())
        LXTEST_SKIP_WITHOUT_TOOL() << "python3 not found";
    ScopedTempDir dir;
    ASSERT_EQ(0, RunIndependentCheck("build-documents '" + dir.path().string() + "'"));
    const auto documents = ReadList((dir.path() / "documents.txt").string());
    ASSERT_EQ(4u, documents.size());
    FormatDouble format;
    for (const SListedDocument& doc : documents) {
        SCOPED_TRACE(doc.name);
        const std::string path = (dir.path() / doc.name).string();
        const std::u16string wide = U16(path.c_str());
        ReaderRef reader;
        ASSERT_EQ(0, LX_OpenQX2InputFile(&format, wide.c_str(), &reader.p));
        reader.p->AddRef();
        SLxImageAttributes a{};
        ASSERT_EQ(0, reader->GetImageAttributes(a));
        EXPECT_EQ(doc.count, a.uiSequenceCount);
        for (const auto& frame : doc.frames) {
            std::string got(frame.second.size(), '\0');
            ASSERT_EQ(0, reader->GetImageData(frame.first, &got[0], 0, 0)) << frame.first;
            EXPECT_EQ(frame.second, got) << "frame " << frame.first;
        }
        for (uint32_t f : doc.missing) {
            std::string got(size_t(a.uiWidthBytes) * a.uiHeight, '\0');
            EXPECT_EQ(-13, reader->GetImageData(f, &got[0], 0, 0));
        }
        reader.Reset();
        EXPECT_EQ(0, RunIndependentCheck("check-repaired '" + path + "'"));
    }
}

TEST(ReaderIndependentDocuments, CheckRepairedRefusesAFileWithoutItsRepair)
{
    if (!HaveIndependentCheck())
        LXTEST_SKIP_WITHOUT_TOOL() << "python3 not found";
    ScopedTempDir dir;
    ASSERT_EQ(0, RunIndependentCheck("build-documents '" + dir.path().string() + "'"));
    // Finished by the layer alone, without the reader's added chunks.
    const std::string path = (dir.path() / "unfinished_v21").string();
    CLxFileChunker chunker;
    CLxStringA version;
    ASSERT_EQ(-13, chunker.Open(U16(path.c_str()).c_str(), true, false, version));
    ASSERT_EQ(0, chunker.CreateMissingChunkMap(nullptr, nullptr));
    ASSERT_EQ(0, chunker.Finalize());
    EXPECT_EQ(1, RunIndependentCheck("check-repaired '" + path + "'"));
}

} // namespace
