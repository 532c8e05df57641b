// The chunk layer against an independent reading of the layout
// (qx2_chunk_check.py): files it builds are read here, files written here
// pass its check.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "chunk_store.h"
#include "test_support.h"

using namespace chunktest;

namespace
{

std::string FromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

struct SBuiltFile {
    std::string name;
    int status = 0;
    std::map<std::string, std::string> chunks;
};

std::vector<SBuiltFile> ReadManifest(const std::string& path)
{
    std::vector<SBuiltFile> files;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, a, b;
        fields >> kind >> a >> b;
        if (kind == "file") {
            files.push_back(SBuiltFile{a, std::stoi(b), {}});
        } else if (kind == "chunk" && !files.empty()) {
            files.back().chunks[FromHex(a)] = FromHex(b);
        }
    }
    return files;
}

TEST(ChunkIndependentCheck, ReadsTheFilesItBuilds)
{
    if (!HaveIndependentCheck())
        LXTEST_SKIP_WITHOUT_TOOL() << "python3 not found";
    ScopedTempDir dir;
    ASSERT_EQ(RunIndependentCheck("build '" + dir.path().string() + "'"), 0);
    const auto files = ReadManifest((dir.path() / "manifest.txt").string());
    ASSERT_GE(files.size(), 8u);
    for (const SBuiltFile& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = (dir.path() / file.name).string();
        const std::u16string wide = U16(path.c_str());
        CLxFileChunker reader;
        CLxStringA version;
        ASSERT_EQ(reader.Open(wide.c_str(), true, false, version), file.status);
        EXPECT_STREQ(version, "Ver2.1");
        if (file.status == -13) {
            ASSERT_EQ(reader.CreateMissingChunkMap(nullptr, nullptr), 0);
        }
        EXPECT_EQ(AllChunks(reader), file.chunks);
        if (file.status != -13)
            continue;
        // Repaired in place: a finished file by the check's rules.
        ExpectIndependentCheckPasses(path, file.name.rfind("garbage", 0) == 0);
        CLxFileChunker again;
        ASSERT_EQ(again.Open(wide.c_str(), true, false, version), 0);
        EXPECT_EQ(AllChunks(again), file.chunks);
    }
}

struct SCheckDamage {
    const char* label;
    void (*damage)(std::string& file);
};

class IndependentCheckRefuses : public ::testing::TestWithParam<SCheckDamage>
{
};

// The check is no rubber stamp: it refuses each of these faults.
TEST_P(IndependentCheckRefuses, AFileWithOneFault)
{
    if (!HaveIndependentCheck())
        LXTEST_SKIP_WITHOUT_TOOL() << "python3 not found";
    ChunkStore store(eOnFile);
    {
        CLxFileChunker writer;
        ASSERT_EQ(store.OpenWrite(writer), 0);
        ASSERT_EQ(writer.WriteChunk("A", "aaaa", 4), 0);
        ASSERT_EQ(writer.WriteChunk("B", "bbbb", 4), 0);
        ASSERT_EQ(writer.Finalize(), 0);
    }
    ExpectIndependentCheckPasses(store.Path());
    std::string file = ReadFileBytes(store.Path());
    ASSERT_EQ(file.size(), 16384u);
    GetParam().damage(file);
    WriteFileBytes(store.Path(), file);
    EXPECT_EQ(RunIndependentCheck("verify '" + store.Path() + "'"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IndependentCheckRefuses,
    ::testing::Values(
        SCheckDamage{"PaddingNotZero", [](std::string& f) { f[4096 + 100] = 1; }},
        SCheckDamage{"UnsortedMap",
                     [](std::string& f) {
                         // Swap the names of the two entries ("A!" and "B!").
                         f[12288 + 48] = 'B';
                         f[12288 + 48 + 18] = 'A';
                     }},
        SCheckDamage{"EntryOffsetWrong", [](std::string& f) { PutLE64(f, 12288 + 50, 8192); }},
        SCheckDamage{"SecondEndRecordWrong",
                     [](std::string& f) { PutLE64(f, f.size() - 8, 4096); }},
        SCheckDamage{"BytesAfterTheMap", [](std::string& f) { f += std::string(4096, '\0'); }},
        SCheckDamage{"VersionNotPadded", [](std::string& f) { f[16 + 32 + 40] = 'v'; }}),
    [](const ::testing::TestParamInfo<SCheckDamage>& info) { return info.param.label; });

} // namespace
