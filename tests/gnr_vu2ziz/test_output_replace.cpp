// Writing an output document over an existing file: the file stays as it
// was until the new document is complete, whether the writer writes no
// frame, all of them, or is killed on the way.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "output_test_support.h"

using namespace lxtest_vu2ziz;

namespace
{

// The file names in the folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The first frames of copy show the images of source.
void ExpectSameImages(IJp2InputFile* source, IJp2InputFile* copy, uint32_t images)
{
    ASSERT_LE(images, copy->GetImageCount());
    for (uint32_t seq = 0; seq < images; ++seq) {
        SCOPED_TRACE("image " + std::to_string(seq));
        uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
        ASSERT_TRUE(source->GetImageInfo(seq, &w, &wb, &h, &comps, &bits));
        std::vector<uint8_t> a(size_t(wb) * h), b(size_t(wb) * h);
        ASSERT_TRUE(source->GetImage(seq, a.data()));
        ASSERT_TRUE(copy->GetImage(seq, b.data()));
        ASSERT_TRUE(a == b);
    }
}

// Writes the first `images` images of source into output.
bool WriteImages(IJp2InputFile* source, IJp2OutputFile* output, uint32_t images)
{
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    if (!source->GetImageInfo(0, &w, &wb, &h, &comps, &bits) || !output->SetImageInfo(w, h, bits))
        return false;
    for (uint32_t seq = 0; seq < images; ++seq) {
        std::vector<uint8_t> image(size_t(wb) * h);
        if (!source->GetImageInfo(seq, &w, &wb, &h, &comps, &bits) ||
            !source->GetImage(seq, image.data()) ||
            !output->WriteImage(seq, Unpadded(image, wb, h, (bits + 7) / 8 * comps * w).data()))
            return false;
    }
    return true;
}

struct SReplaceCase {
    const char* existing; // the test document copied to the path first
    const char* target;   // the path's name
    bool jp2;             // the format the path keeps
};

const SReplaceCase kReplaceCases[] = {
    {"spectral.qx2", "out.qx2", false},
    {"spectral.jp2", "out.jp2", true},
};

bool IsJp2(const std::vector<uint8_t>& bytes)
{
    return bytes.size() > 8 && bytes[4] == 0x6A && bytes[5] == 0x50;
}

TEST(OutputReplace, FileAtThePathStaysUntilAFrameIsWritten)
{
    for (const SReplaceCase& c : kReplaceCases)
        for (const bool writeFrames : {false, true}) {
            SCOPED_TRACE(std::string(c.existing) + (writeFrames ? " frames" : " no frame"));
            ScopedTempDir dir;
            const std::string path = (dir.path() / c.target).string();
            CopyFile(DocumentPath(c.existing), path);
            // Wider than the usual umask leaves: the new document keeps them.
            const auto mode = std::filesystem::perms(0666);
            std::filesystem::permissions(path, mode);
            const std::vector<uint8_t> old = FileBytes(path);
            Document source = OpenFixture("zxy.qx2");
            ASSERT_TRUE(source);
            IJp2OutputFile* out = CreateJp2OutputFile(U16(path.c_str()).c_str(), source.p);
            ASSERT_NE(nullptr, out);
            if (writeFrames) {
                ASSERT_TRUE(WriteImages(source.p, out, source->GetImageCount()));
            }
            // Nothing of the new document reaches the path before Release.
            EXPECT_EQ(old, FileBytes(path));
            out->Release();
            EXPECT_EQ(std::vector<std::string>{c.target}, FolderNames(dir.path()));
            if (!writeFrames) {
                EXPECT_EQ(old, FileBytes(path));
                continue;
            }
            EXPECT_EQ(c.jp2, IsJp2(FileBytes(path)));
            EXPECT_EQ(mode, std::filesystem::status(path).permissions());
            Document copy(path);
            ASSERT_TRUE(copy);
            EXPECT_EQ(source->GetImageCount(), copy->GetImageCount());
            EXPECT_EQ(source->GetLoopCount(), copy->GetLoopCount());
            ExpectSameImages(source.p, copy.p, source->GetImageCount());
        }
}

TEST(OutputReplace, LinkGoesOnNamingTheNewDocument)
{
    ScopedTempDir dir;
    const std::filesystem::path real = dir.path() / "real.qx2";
    const std::filesystem::path link = dir.path() / "link.qx2";
    CopyFile(DocumentPath("spectral.qx2"), real.string());
    std::filesystem::create_symlink(real.filename(), link);
    Document source = OpenFixture("zxy.qx2");
    ASSERT_TRUE(source);
    IJp2OutputFile* out = CreateJp2OutputFile(U16(link.string().c_str()).c_str(), source.p);
    ASSERT_NE(nullptr, out);
    ASSERT_TRUE(WriteImages(source.p, out, source->GetImageCount()));
    out->Release();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ((std::vector<std::string>{"link.qx2", "real.qx2"}), FolderNames(dir.path()));
    Document copy(link.string());
    ASSERT_TRUE(copy);
    ExpectSameImages(source.p, copy.p, source->GetImageCount());
}

// A child process writes 4 frames over the file and is killed, or exits,
// before it releases the output.
TEST(OutputReplace, KilledWriterLeavesTheFileAndItsFramesUnderTheTemporaryName)
{
    constexpr uint32_t kFrames = 4;
    for (const SReplaceCase& c : kReplaceCases)
        for (const bool killed : {true, false}) {
            SCOPED_TRACE(std::string(c.existing) + (killed ? " killed" : " exited"));
            ScopedTempDir dir;
            const std::string path = (dir.path() / c.target).string();
            CopyFile(DocumentPath(c.existing), path);
            const std::vector<uint8_t> old = FileBytes(path);
            const pid_t child = fork();
            ASSERT_NE(-1, child);
            if (child == 0) {
                Document source = OpenFixture("zxy.qx2");
                IJp2OutputFile* out =
                    source ? CreateJp2OutputFile(U16(path.c_str()).c_str(), source.p) : nullptr;
                if (!out || !WriteImages(source.p, out, kFrames))
                    _exit(1);
                if (killed)
                    kill(getpid(), SIGKILL);
                _exit(2);
            }
            int status = 0;
            ASSERT_EQ(child, waitpid(child, &status, 0));
            if (killed) {
                ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
            } else {
                ASSERT_EQ(2, WEXITSTATUS(status));
            }
            EXPECT_EQ(old, FileBytes(path));
            const std::vector<std::string> names = FolderNames(dir.path());
            ASSERT_EQ(2u, names.size());
            const std::string stem = std::string(c.target).substr(0, 3);
            const std::string partial = names[0] == c.target ? names[1] : names[0];
            EXPECT_EQ(0u, partial.find(stem + ".partial-")) << partial;
            EXPECT_EQ(std::string(c.target).substr(3), partial.substr(partial.size() - 4));
            EXPECT_EQ(c.jp2, IsJp2(FileBytes((dir.path() / partial).string())));
            Document source = OpenFixture("zxy.qx2");
            Document reopened((dir.path() / partial).string());
            ASSERT_TRUE(reopened);
            ExpectSameImages(source.p, reopened.p, kFrames);
        }
}

} // namespace
