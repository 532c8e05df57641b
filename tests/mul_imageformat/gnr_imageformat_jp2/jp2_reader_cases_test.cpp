// The case script's JP2 files around a real 5 x 4 grey codestream: palettes
// map the samples through their tables, channel orders hold, and the box
// forms of the codestream box all read.
#include "jp2_test_support.h"
#include "test_support.h"

#include <memory>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

using namespace jp2test;

namespace
{

struct ReaderDeleter {
    void operator()(CLxJP2InputFile* r) const { r->Release(); }
};
using Reader = std::unique_ptr<CLxJP2InputFile, ReaderDeleter>;

class Jp2ReaderCases : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!HaveTool("opj_compress") || !std::filesystem::exists("/usr/bin/python3"))
            LXTEST_SKIP_WITHOUT_TOOL() << "needs opj_compress and /usr/bin/python3";
        std::string pgm = "P5\n5 4\n255\n";
        for (int i = 0; i < 20; ++i)
            pgm += char(i == 0 ? 0 : i * 12);
        WriteFile(dir.path() / "g.pgm", Bytes(pgm.begin(), pgm.end()));
        const auto j2k = dir.path() / "g.j2k";
        ASSERT_EQ(RunQuiet("opj_compress -n 1 -i " + (dir.path() / "g.pgm").string() + " -o " +
                           j2k.string()),
                  0);
        ASSERT_EQ(RunQuiet(CaseScript() + " cases " + (dir.path() / "cases").string() + " " +
                           j2k.string()),
                  0);
    }

    Reader Open(const char* name)
    {
        // Read-only, so that the reader records nothing into the files.
        const auto path = dir.path() / "cases" / name;
        std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
        auto* r = new CLxJP2InputFile(nullptr, dir.u16(std::string("cases/") + name).c_str());
        r->AddRef();
        return Reader(r);
    }

    std::vector<uint8_t> Frame(CLxJP2InputFile& r, uint32_t seq, int& status)
    {
        SLxImageAttributes a{};
        r.GetImageAttributes(a);
        std::vector<uint8_t> out(size_t(a.uiWidthBytes) * a.uiHeight, 0);
        status = r.GetImageData(seq, out.data(), 0, 0);
        return out;
    }

    static uint8_t Sample(int i) { return uint8_t(i == 0 ? 0 : i * 12); }

    ScopedTempDir dir;
};

} // namespace

TEST_F(Jp2ReaderCases, PlainGrey)
{
    Reader r = Open("plain_grey.jp2");
    int status = 0;
    const std::vector<uint8_t> f = Frame(*r, 0, status);
    ASSERT_EQ(status, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(f[y * 8 + x], Sample(y * 5 + x));
}

TEST_F(Jp2ReaderCases, TwoEntryPaletteOfThreeColours)
{
    Reader r = Open("palette_2.jp2");
    SLxImageAttributes a{};
    r->GetImageAttributes(a);
    ASSERT_EQ(a.uiComp, 3u);
    int status = 0;
    const std::vector<uint8_t> f = Frame(*r, 0, status);
    ASSERT_EQ(status, 0);
    const uint8_t columns[3][2] = {{0, 255}, {10, 20}, {200, 100}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            // Indices past the table take its last entry.
            const int index = Sample(y * 5 + x) ? 1 : 0;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(f[y * a.uiWidthBytes + x * 3 + (2 - c)], columns[c][index])
                    << x << "," << y;
        }
}

TEST_F(Jp2ReaderCases, FullPalette)
{
    Reader r = Open("palette_256.jp2");
    int status = 0;
    const std::vector<uint8_t> f = Frame(*r, 0, status);
    ASSERT_EQ(status, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(f[y * 8 + x], 255);
}

TEST_F(Jp2ReaderCases, IccGreyDecodes)
{
    Reader r = Open("icc_grey.jp2");
    int status = 0;
    const std::vector<uint8_t> f = Frame(*r, 0, status);
    ASSERT_EQ(status, 0);
    // The tone curve keeps black black and the order of the samples.
    EXPECT_EQ(f[0], 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_GE(f[i], f[i - 1]);
}

TEST_F(Jp2ReaderCases, CodestreamBoxForms)
{
    for (const char* name :
         {"lbox_zero_codestream.jp2", "xlbox_codestream.jp2", "xml_uuid_before_codestream.jp2"}) {
        SCOPED_TRACE(name);
        Reader r = Open(name);
        int status = 0;
        const std::vector<uint8_t> f = Frame(*r, 0, status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(f[9], Sample(9 - 3));
    }
    // The stand-in codestreams after the real one open the file but do not
    // decode.
    Reader r = Open("three_codestreams.jp2");
    int status = 0;
    Frame(*r, 0, status);
    EXPECT_EQ(status, 0);
    Frame(*r, 1, status);
    EXPECT_EQ(status, -9);
}
