// Files our target writes around codestreams made by opj_compress: the
// independent decoder must see the codestream's pixels, and jpylyzer (where
// installed) must call the file valid, also after the metadata tail was cut
// and after a killed writer's file was patched.
#include "jp2_test_support.h"
#include "test_support.h"

#include <array>
#include <cstdio>
#include <memory>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

using namespace jp2test;

namespace
{

struct Image {
    const char* name;
    const char* extension; // pgm or ppm
    uint32_t components;
};

// Output of a command.
std::string Capture(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    std::array<char, 4096> buffer;
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        out.append(buffer.data(), n);
    return out;
}

// jpylyzer's report; empty when it calls the file valid.
std::string Invalidity(const std::filesystem::path& jp2)
{
    const std::string report = Capture("jpylyzer " + jp2.string() + " 2>/dev/null");
    return report.find("<isValid format=\"jp2\">True</isValid>") != std::string::npos ? "" : report;
}

class Jp2OpenJpeg : public testing::TestWithParam<Image>
{
  protected:
    void SetUp() override
    {
        if (!HaveTool("opj_compress") || !HaveTool("opj_decompress"))
            LXTEST_SKIP_WITHOUT_TOOL()
                << "needs opj_compress and opj_decompress (libopenjp2-tools)";
        const Image& image = GetParam();
        const uint32_t w = 37, h = 29;
        std::string data = std::string(image.components == 1 ? "P5" : "P6") + "\n37 29\n255\n";
        for (uint32_t i = 0; i < w * h * image.components; ++i)
            data += char((i * 13 + i / 7) & 0xFF);
        source = dir.path() / (std::string("in.") + image.extension);
        WriteFile(source, Bytes(data.begin(), data.end()));
        j2k = dir.path() / "in.j2k";
        ASSERT_EQ(RunQuiet("opj_compress -n 3 -i " + source.string() + " -o " + j2k.string()), 0);
        codestream = ReadFile(j2k);
        ASSERT_FALSE(codestream.empty());
        reference = Decode(j2k);
        ASSERT_FALSE(reference.empty());
    }

    // Pixels as opj_decompress writes them.
    Bytes Decode(const std::filesystem::path& file)
    {
        const std::filesystem::path out =
            dir.path() / (file.stem().string() + "_out." + GetParam().extension);
        std::filesystem::remove(out);
        if (RunQuiet("opj_decompress -i " + file.string() + " -o " + out.string()) != 0)
            return {};
        return ReadFile(out);
    }

    // Our target around the codestream, in pieces, `frames` times.
    void WriteJp2(const std::filesystem::path& file, int frames, bool writeThrough,
                  SLxJP2PositionsInfo* list = nullptr)
    {
        jp2_file_target target;
        const std::u16string path = LX_Utf8ToUtf16(file.string().c_str());
        target.open(path.c_str(), list);
        target.set_write_through(writeThrough);
        target.access_dimensions()->init(29, 37, GetParam().components, false);
        for (uint32_t c = 0; c < GetParam().components; ++c)
            target.access_dimensions()->set_precision(c, 8, false);
        target.access_colour()->init(GetParam().components == 1 ? eJp2sLUM : eJp2sRGB);
        target.access_resolution()->init(1.0f);
        target.access_resolution()->set_resolution(2000, false);
        for (int f = 0; f < frames; ++f) {
            if (f) {
                ASSERT_TRUE(target.next_codestream());
            }
            for (size_t at = 0; at < codestream.size(); at += 100) {
                const size_t n = std::min<size_t>(100, codestream.size() - at);
                ASSERT_TRUE(target.write(codestream.data() + at, int32_t(n)));
            }
        }
        ASSERT_TRUE(target.close());
    }

    void ExpectGood(const std::filesystem::path& file, bool valid = true)
    {
        EXPECT_EQ(Decode(file), reference) << file;
        if (valid && HaveTool("jpylyzer")) {
            EXPECT_EQ(Invalidity(file), "") << file;
        }
        jp2_file_source s;
        ASSERT_TRUE(s.open(LX_Utf8ToUtf16(file.string().c_str()).c_str(), 0));
        Bytes served(codestream.size() + 10);
        EXPECT_EQ(s.read(served.data(), int32_t(served.size())), int32_t(codestream.size()));
        served.resize(codestream.size());
        EXPECT_EQ(served, codestream);
    }

    ScopedTempDir dir;
    std::filesystem::path source, j2k;
    Bytes codestream, reference;
};

const Image kImages[] = {{"grey", "pgm", 1}, {"rgb", "ppm", 3}};

} // namespace

TEST_P(Jp2OpenJpeg, WrappedCodestreamDecodes)
{
    for (bool writeThrough : {false, true}) {
        const std::filesystem::path file =
            dir.path() / (writeThrough ? "through.jp2" : "buffered.jp2");
        WriteJp2(file, 1, writeThrough);
        ExpectGood(file);
    }
}

TEST_P(Jp2OpenJpeg, OwnBoxesTruncateAndCrashPatch)
{
    const std::filesystem::path file = dir.path() / "doc.jp2";
    const std::u16string path = LX_Utf8ToUtf16(file.string().c_str());
    SLxJP2PositionsInfo* map = LX_NewJp2PositionsInfo();
    WriteJp2(file, 2, true, map);
    const Bytes codestreamsOnly = ReadFile(file);
    const CLxStringA events = LX_Jp2TextTextInfo(0, 1.0, nullptr, 0);
    const SLxJP2OwnBox box{Code("xml "), jp2_own_tinf,
                           reinterpret_cast<const uint8_t*>(events.GetString()),
                           uint64_t(events.GetLength())};
    ASSERT_EQ(LX_AppendJp2OwnBoxes(path.c_str(), &box, 1, map, true), 0);
    LX_FreeJp2PositionsInfo(map);
    ExpectGood(file);
    if (HaveTool("xmllint")) {
        // The own box text is well-formed XML.
        WriteFile(dir.path() / "text.xml",
                  Bytes(events.GetString(), events.GetString() + events.GetLength()));
        EXPECT_EQ(RunQuiet("xmllint --noout " + (dir.path() / "text.xml").string()), 0);
    }

    bool complete = false;
    ASSERT_EQ(LX_TruncateJp2Metadata(path.c_str(), &complete), 0);
    EXPECT_TRUE(complete);
    EXPECT_EQ(ReadFile(file), codestreamsOnly);
    ExpectGood(file);

    // A writer killed before it patched its second codestream box leaves
    // LBox 0 on it; one killed earlier also leaves the codestream cut.
    for (size_t cut : {size_t(0), size_t(20)}) {
        Bytes crashed = codestreamsOnly;
        const size_t second = crashed.size() - codestream.size() - 8;
        crashed[second] = crashed[second + 1] = crashed[second + 2] = crashed[second + 3] = 0;
        crashed.resize(crashed.size() - cut);
        WriteFile(file, crashed);
        ASSERT_EQ(LX_TruncateJp2Metadata(path.c_str(), &complete), 0);
        EXPECT_EQ(complete, cut == 0);
        EXPECT_EQ(ReadFile(file).size(), crashed.size());
        ASSERT_EQ(LX_AppendJp2OwnBoxes(path.c_str(), &box, 1, nullptr, false), 0);
        // A cut codestream is for the reader's repair to drop.
        ExpectGood(file, cut == 0);
    }
}

TEST_P(Jp2OpenJpeg, ExtendedHeaderIsValid)
{
    // An XLBox header: the codestream box of a document too large for an
    // ordinary one, written here by hand around the same codestream.
    const std::filesystem::path file = dir.path() / "xl.jp2";
    WriteJp2(file, 1, false);
    Bytes b = ReadFile(file);
    const size_t at = b.size() - codestream.size() - 8;
    Bytes xl = Bytes(b.begin(), b.begin() + long(at));
    const Bytes box = RawBox(1, "jp2c", codestream, codestream.size() + 16, true);
    xl.insert(xl.end(), box.begin(), box.end());
    WriteFile(file, xl);
    ExpectGood(file);
}

INSTANTIATE_TEST_SUITE_P(Images, Jp2OpenJpeg, testing::ValuesIn(kImages),
                         [](const testing::TestParamInfo<Image>& i) { return i.param.name; });
