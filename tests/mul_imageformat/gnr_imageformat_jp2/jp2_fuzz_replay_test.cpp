// Replays the seed corpora of the JPEG 2000 fuzz targets through their
// bodies in the sanitizer build.
#include "jp2_test_support.h"
#include "test_support.h"

#include "fuzz/jp2_fuzz_bodies.h"

using namespace jp2test;

namespace
{

void Replay(const char* corpus, void (*body)(const uint8_t*, size_t))
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        LXTEST_SKIP_WITHOUT_TOOL() << "no /usr/bin/python3";
    ScopedTempDir dir;
    const std::filesystem::path folder = dir.path() / corpus;
    ASSERT_EQ(RunQuiet(CaseScript() + " " + corpus + " " + folder.string()), 0);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const Bytes b = ReadFile(entry.path());
        body(b.data(), b.size());
        // Every prefix of a file is a file cut short.
        for (size_t cut = 1; cut < b.size(); cut += 1 + b.size() / 16)
            body(b.data(), cut);
        ++files;
    }
    EXPECT_GT(files, 5u);
}

} // namespace

TEST(Jp2FuzzReplay, SourceCorpus)
{
    Replay("corpus-source", jp2fuzz::Source);
}

TEST(Jp2FuzzReplay, BoxMapCorpus)
{
    Replay("corpus-boxmap", jp2fuzz::BoxMap);
}
