// The writer's output against other programs and settings: the thread
// count does not change a codestream, Pillow decodes 16-bit documents as
// our reader does, and jpylyzer accepts re-closed and repaired files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "jp2_test_support.h"
#include "jp2_writer_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "test_support.h"

using namespace jp2writer;

namespace
{

// Sets QUELVIX_THREADS for a scope, restoring what was there.
class ThreadsEnv
{
  public:
    explicit ThreadsEnv(const char* value)
    {
        if (const char* old = std::getenv("QUELVIX_THREADS"))
            m_old = old, m_had = true;
        setenv("QUELVIX_THREADS", value, 1);
    }
    ~ThreadsEnv()
    {
        if (m_had)
            setenv("QUELVIX_THREADS", m_old.c_str(), 1);
        else
            unsetenv("QUELVIX_THREADS");
    }

  private:
    std::string m_old;
    bool m_had = false;
};

Bytes WriteToMemory(const SLxImageAttributes& a, const Bytes& frame)
{
    CLxByteArray bytes;
    auto* w = new CLxJP2OutputFile(nullptr, &bytes);
    w->AddRef();
    EXPECT_EQ(w->SetImageAttributes(a), 0);
    EXPECT_EQ(w->SetImageData(0, frame.data(), nullptr, nullptr), 0);
    EXPECT_EQ(w->Close(), 0);
    w->Release();
    return jp2test::FromArray(bytes);
}

bool JpylyzerValid(const std::filesystem::path& file, const std::filesystem::path& report)
{
    (void)std::system(("jpylyzer " + file.string() + " > " + report.string() + " 2>/dev/null").c_str());
    const Bytes r = jp2test::ReadFile(report);
    return std::string(r.begin(), r.end()).find("<isValid format=\"jp2\">True</isValid>") !=
           std::string::npos;
}

} // namespace

TEST(JP2WriterCrossCheck, ThreadCountGivesTheSameCodestream)
{
    const struct {
        uint32_t w, h, comps, bits, tile;
        int32_t compression;
        double rate;
    } cases[] = {{700, 600, 1, 16, 0, 0, 0.0},
                 {640, 480, 3, 8, 256, 0, 0.0},
                 {600, 500, 1, 16, 0, 1, 0.07}};
    for (const auto& c : cases) {
        const SLxImageAttributes a =
            Attributes(c.w, c.h, c.comps, c.bits, c.compression, c.rate, c.tile);
        const Bytes frame = Frame(c.w, c.h, c.comps, c.bits, 7);
        Bytes one, many;
        {
            ThreadsEnv env("1");
            one = WriteToMemory(a, frame);
        }
        {
            ThreadsEnv env("4");
            many = WriteToMemory(a, frame);
        }
        EXPECT_FALSE(one.empty());
        EXPECT_TRUE(one == many) << c.w << "x" << c.h << "x" << c.comps << " type "
                                 << c.compression;
    }
}

// Pillow's 16-bit samples (mode I;16, little-endian) are the reader's.
TEST(JP2WriterCrossCheck, PillowDecodes16BitLikeOurReader)
{
    ScopedTempDir dir;
    const std::u16string path = dir.u16("deep.jp2");
    const uint32_t w = 45, h = 31;
    const Bytes frame = Frame(w, h, 1, 16, 12);
    {
        Writer wr(path);
        ASSERT_EQ(wr->SetImageAttributes(Attributes(w, h, 1, 16)), 0);
        ASSERT_EQ(wr->SetImageData(0, frame.data(), nullptr, nullptr), 0);
        ASSERT_EQ(wr->Close(), 0);
    }
    CLxJP2InputFile in(nullptr, path.c_str());
    Bytes back(frame.size());
    ASSERT_EQ(in.GetImageData(0, back.data(), 0, 0), 0);
    ASSERT_TRUE(back == frame);
    // The rows without their padding, as Pillow gives them.
    Bytes rows;
    const uint32_t stride = Stride(w, 16, 1);
    for (uint32_t y = 0; y < h; ++y)
        rows.insert(rows.end(), back.begin() + long(y) * stride,
                    back.begin() + long(y) * stride + w * 2);
    jp2test::WriteFile(dir.path() / "ours.raw", rows);
    const std::string py =
        "/usr/bin/python3 -c \"import sys; from PIL import Image; "
        "im = Image.open(sys.argv[1]); d = open(sys.argv[2], 'rb').read(); "
        "sys.exit(0 if im.mode == 'I;16' and im.tobytes() == d else 3)\" " +
        (dir.path() / "deep.jp2").string() + " " + (dir.path() / "ours.raw").string();
    EXPECT_EQ(jp2test::RunQuiet(py), 0);
}

TEST(JP2WriterCrossCheck, JpylyzerAcceptsReclosedAndRepairedFiles)
{
    if (!jp2test::HaveTool("jpylyzer"))
        LXTEST_SKIP_WITHOUT_TOOL() << "jpylyzer is not installed";
    ScopedTempDir dir;
    const std::u16string path = dir.u16("doc.jp2");
    const Bytes f = Frame(40, 24, 1, 8, 3);
    {
        Writer w(path);
        ASSERT_EQ(w->SetImageAttributes(Attributes(40, 24, 1, 8)), 0);
        for (uint32_t i = 0; i < 3; ++i)
            ASSERT_EQ(w->SetImageData(i, f.data(), nullptr, nullptr), 0);
        const uint8_t blob[] = {1, 2};
        ASSERT_EQ(w->SetCustomData(u"b", blob, 2), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    {
        Writer w(path);
        SLxImageTextInfo info;
        info.wsText[0] = CLxStringW(u"re-closed");
        ASSERT_EQ(w->SetTextInfo(info), 0);
        ASSERT_EQ(w->Close(), 0);
    }
    EXPECT_TRUE(JpylyzerValid(dir.path() / "doc.jp2", dir.path() / "r.xml"));

    // A writer that stopped before Close: the reader repairs the file.
    {
        auto* w = new CLxJP2OutputFile(nullptr, CLxStringW(dir.u16("cut.jp2").c_str()));
        w->AddRef();
        ASSERT_EQ(w->SetImageAttributes(Attributes(40, 24, 1, 8)), 0);
        for (uint32_t i = 0; i < 3; ++i)
            ASSERT_EQ(w->SetImageData(i, f.data(), nullptr, nullptr), 0);
        std::filesystem::copy_file(dir.path() / "cut.jp2", dir.path() / "stopped.jp2");
        w->Abort();
        w->Release();
    }
    {
        CLxJP2InputFile in(nullptr, dir.u16("stopped.jp2").c_str());
        EXPECT_TRUE(in.WasRepairedInPlace());
    }
    EXPECT_TRUE(JpylyzerValid(dir.path() / "stopped.jp2", dir.path() / "r.xml"));
}

TEST(JP2WriterCrossCheck, BinaryItemsNeedAFile)
{
    CLxByteArray bytes;
    auto* w = new CLxJP2OutputFile(nullptr, &bytes);
    w->AddRef();
    ASSERT_EQ(w->SetImageAttributes(Attributes(8, 8, 1, 8)), 0);
    const Bytes f = Frame(8, 8, 1, 8, 1);
    ASSERT_EQ(w->SetImageData(0, f.data(), nullptr, nullptr), 0);
    const uint8_t blob[] = {1};
    ASSERT_EQ(w->SetCustomData(u"b", blob, 1), 0);
    EXPECT_EQ(w->Close(), -1512);
    EXPECT_EQ(w->Close(), -1512); // not clean: tried again
    EXPECT_EQ(w->Abort(), 0);
    w->Release();
}
