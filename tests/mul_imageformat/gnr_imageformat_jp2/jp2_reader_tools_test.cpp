// Plain JP2 files of other programs (opj_compress, Pillow) read as the
// independent decoders read them: opj_decompress and Pillow give the same
// samples, with our components in B, G, R order.
#include "jp2_test_support.h"
#include "test_support.h"

#include <cstdio>
#include <memory>
#include <sstream>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

using namespace jp2test;

namespace
{

struct ReaderDeleter {
    void operator()(CLxJP2InputFile* r) const { r->Release(); }
};
using Reader = std::unique_ptr<CLxJP2InputFile, ReaderDeleter>;

struct Pnm {
    uint32_t width = 0, height = 0, comps = 0, maxval = 0;
    Bytes data; // as stored (16-bit big-endian)
};

bool ReadPnm(const std::filesystem::path& path, Pnm& out)
{
    const Bytes b = ReadFile(path);
    size_t at = 0;
    // Four tokens (magic, width, height, maxval); '#' comments run to the line end.
    auto token = [&]() {
        std::string t;
        while (at < b.size()) {
            if (b[at] == '#') {
                while (at < b.size() && b[at] != '\n')
                    ++at;
            } else if (isspace(b[at])) {
                if (!t.empty())
                    break;
                ++at;
            } else {
                t += char(b[at++]);
            }
        }
        return t;
    };
    const std::string magic = token();
    out.width = uint32_t(std::stoul(token()));
    out.height = uint32_t(std::stoul(token()));
    out.maxval = uint32_t(std::stoul(token()));
    if (magic != "P5" && magic != "P6")
        return false;
    out.comps = magic == "P5" ? 1 : 3;
    out.data.assign(b.begin() + long(at + 1), b.end());
    return out.data.size() ==
           size_t(out.width) * out.height * out.comps * (out.maxval > 255 ? 2 : 1);
}

Bytes MakePnm(uint32_t w, uint32_t h, uint32_t comps, uint32_t maxval, uint32_t seed)
{
    std::string header = std::string(comps == 1 ? "P5" : "P6") + "\n" + std::to_string(w) + " " +
                         std::to_string(h) + "\n" + std::to_string(maxval) + "\n";
    Bytes b(header.begin(), header.end());
    uint32_t r = seed;
    for (uint32_t i = 0; i < w * h * comps; ++i) {
        r = r * 1103515245u + 12345u;
        const uint32_t v =
            ((i % (w * comps)) * maxval / (w * comps) + ((r >> 16) & 31)) % (maxval + 1);
        if (maxval > 255)
            b.push_back(uint8_t(v >> 8));
        b.push_back(uint8_t(v));
    }
    return b;
}

// Our frame buffer laid out as the PNM samples.
Bytes AsPnm(const std::vector<uint8_t>& frame, uint32_t w, uint32_t h, uint32_t comps,
            uint32_t bits)
{
    const uint32_t stride = CLxPicBufAPI::CalcWidthBytes(w, bits, comps, 4);
    Bytes out;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < comps; ++c) {
                const uint8_t* p = frame.data() + size_t(y) * stride +
                                   (size_t(x) * comps + (comps - 1 - c)) * (bits / 8);
                if (bits == 16) {
                    out.push_back(p[1]);
                    out.push_back(p[0]);
                } else {
                    out.push_back(p[0]);
                }
            }
    return out;
}

struct ToolCase {
    const char* name;
    uint32_t width, height, comps, maxval;
    const char* options;
    int levels; // reductions to compare (0: none)
};

class Jp2ReaderOpj : public testing::TestWithParam<ToolCase>
{
};

} // namespace

TEST_P(Jp2ReaderOpj, SamplesEqualOpjDecompress)
{
    if (!HaveTool("opj_compress") || !HaveTool("opj_decompress"))
        LXTEST_SKIP_WITHOUT_TOOL() << "needs libopenjp2-tools";
    const ToolCase& c = GetParam();
    ScopedTempDir dir;
    const std::string ext = c.comps == 1 ? ".pgm" : ".ppm";
    const auto in = dir.path() / ("in" + ext), jp2 = dir.path() / "x.jp2";
    WriteFile(in, MakePnm(c.width, c.height, c.comps, c.maxval, 7));
    ASSERT_EQ(RunQuiet("opj_compress -i " + in.string() + " -o " + jp2.string() + " " + c.options),
              0);
    auto* raw = new CLxJP2InputFile(nullptr, dir.u16("x.jp2").c_str());
    raw->AddRef();
    Reader r(raw);
    SLxImageAttributes a{};
    r->GetImageAttributes(a);
    const uint32_t bits = c.maxval > 255 ? 16 : 8;
    ASSERT_EQ(a.uiBpcInMemory, bits);
    ASSERT_EQ(a.uiComp, c.comps);
    SLxPictureMetadata md;
    EXPECT_EQ(r->GetImageMetadata(0, md, 0), 0);

    const auto out = dir.path() / ("out" + ext);
    ASSERT_EQ(RunQuiet("opj_decompress -i " + jp2.string() + " -o " + out.string()), 0);
    Pnm ref;
    ASSERT_TRUE(ReadPnm(out, ref));
    ASSERT_EQ(ref.width, a.uiWidth);
    ASSERT_EQ(ref.height, a.uiHeight);
    std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight, 0xCD);
    ASSERT_EQ(r->GetImageData(0, frame.data(), 0, 0), 0);
    EXPECT_EQ(AsPnm(frame, a.uiWidth, a.uiHeight, c.comps, bits), ref.data);

    for (int k = 1; k <= c.levels; ++k) {
        const auto reduced = dir.path() / ("r" + std::to_string(k) + ext);
        ASSERT_EQ(RunQuiet("opj_decompress -r " + std::to_string(k) + " -i " + jp2.string() +
                           " -o " + reduced.string()),
                  0);
        Pnm level;
        ASSERT_TRUE(ReadPnm(reduced, level));
        std::vector<uint8_t> view(
            size_t(CLxPicBufAPI::CalcWidthBytes(level.width, bits, c.comps, 4)) * level.height);
        ASSERT_EQ(r->GetImageRegionScaled(0, level.width, level.height, 0, 0, level.width,
                                          level.height, view.data(), 0, 0),
                  0);
        EXPECT_EQ(AsPnm(view, level.width, level.height, c.comps, bits), level.data)
            << "level " << k;
    }
    if (c.levels) {
        // A region at full resolution, as opj_decompress -d gives it.
        const uint32_t x0 = 5, y0 = 3, x1 = c.width - 7, y1 = c.height - 2;
        const auto part = dir.path() / ("d" + ext);
        ASSERT_EQ(RunQuiet("opj_decompress -d " + std::to_string(x0) + "," + std::to_string(y0) +
                           "," + std::to_string(x1) + "," + std::to_string(y1) + " -i " +
                           jp2.string() + " -o " + part.string()),
                  0);
        Pnm region;
        ASSERT_TRUE(ReadPnm(part, region));
        std::vector<uint8_t> view(size_t(CLxPicBufAPI::CalcWidthBytes(x1 - x0, bits, c.comps, 4)) *
                                  (y1 - y0));
        ASSERT_EQ(r->GetImageRegionScaled(0, a.uiWidth, a.uiHeight, x0, y0, x1 - x0, y1 - y0,
                                          view.data(), 0, 0),
                  0);
        EXPECT_EQ(AsPnm(view, x1 - x0, y1 - y0, c.comps, bits), region.data);
    }
}

INSTANTIATE_TEST_SUITE_P(Options, Jp2ReaderOpj,
                         testing::Values(ToolCase{"grey", 48, 40, 1, 255, "", 2},
                                         ToolCase{"rgb", 48, 40, 3, 255, "", 2},
                                         ToolCase{"one_level", 48, 40, 1, 255, "-n 1", 0},
                                         ToolCase{"six_levels", 64, 64, 3, 255, "-n 6", 5},
                                         ToolCase{"tiles", 48, 40, 3, 255, "-t 16,16 -n 3", 2},
                                         ToolCase{"tiles_odd", 45, 37, 1, 4095, "-t 16,8 -n 3", 0},
                                         ToolCase{"rates", 48, 40, 3, 255, "-r 40,10,1", 2},
                                         ToolCase{"irreversible", 48, 40, 3, 255, "-I -r 8", 2},
                                         ToolCase{"mct0", 48, 40, 3, 255, "-mct 0", 1},
                                         ToolCase{"mct1", 48, 40, 3, 255, "-mct 1", 1},
                                         ToolCase{"rlcp", 48, 40, 3, 255, "-p RLCP", 1},
                                         ToolCase{"rpcl", 48, 40, 1, 255, "-p RPCL", 1},
                                         ToolCase{"pcrl", 48, 40, 3, 255, "-p PCRL", 1},
                                         ToolCase{"cprl", 48, 40, 1, 255, "-p CPRL", 1},
                                         ToolCase{"sop_eph", 48, 40, 3, 255, "-SOP -EPH", 1},
                                         ToolCase{"offset", 45, 37, 1, 255, "-d 5,3", 0},
                                         ToolCase{"sixteen", 48, 40, 1, 65535, "", 2},
                                         ToolCase{"twelve_rgb", 48, 40, 3, 4095, "-n 4", 2},
                                         ToolCase{"odd_mono", 101, 9, 1, 255, "-n 3", 0},
                                         ToolCase{"odd_rgb", 5, 7, 3, 255, "-n 2", 0}),
                         [](const testing::TestParamInfo<ToolCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Jp2ReaderPillow, SamplesEqualPillow)
{
    if (std::system("/usr/bin/python3 -c 'import PIL.Jpeg2KImagePlugin' >/dev/null 2>&1") != 0)
        LXTEST_SKIP_WITHOUT_TOOL() << "needs python3-pil with JPEG 2000";
    struct Case {
        const char* mode;
        uint32_t comps, bits;
    } cases[] = {{"L", 1, 8}, {"RGB", 3, 8}, {"I;16", 1, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ScopedTempDir dir;
        const auto jp2 = dir.path() / "p.jp2", raw = dir.path() / "p.raw";
        const std::string script = "import sys\nfrom PIL import Image\n"
                                   "w, h = 37, 21\n"
                                   "mode = '" +
                                   std::string(c.mode) +
                                   "'\n"
                                   "n = w * h * " +
                                   std::to_string(c.comps * c.bits / 8) +
                                   "\n"
                                   "data = bytes((i * 7 + i // 37) & 255 for i in range(n))\n"
                                   "Image.frombytes(mode, (w, h), data).save(sys.argv[1])\n"
                                   "im = Image.open(sys.argv[1]); im.load()\n"
                                   "out = im.tobytes()\n"
                                   "open(sys.argv[2], 'wb').write(out)\n";
        WriteFile(dir.path() / "s.py", Bytes(script.begin(), script.end()));
        ASSERT_EQ(RunQuiet("/usr/bin/python3 " + (dir.path() / "s.py").string() + " " +
                           jp2.string() + " " + raw.string()),
                  0);
        auto* rawReader = new CLxJP2InputFile(nullptr, dir.u16("p.jp2").c_str());
        rawReader->AddRef();
        Reader r(rawReader);
        SLxImageAttributes a{};
        r->GetImageAttributes(a);
        ASSERT_EQ(a.uiComp, c.comps);
        std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight);
        ASSERT_EQ(r->GetImageData(0, frame.data(), 0, 0), 0);
        Bytes pillow = ReadFile(raw);
        Bytes ours = AsPnm(frame, 37, 21, c.comps, a.uiBpcInMemory);
        if (c.bits == 16) // Pillow's I;16 is little-endian
            for (size_t i = 0; i + 1 < ours.size(); i += 2)
                std::swap(ours[i], ours[i + 1]);
        EXPECT_EQ(ours, pillow);
    }
}
