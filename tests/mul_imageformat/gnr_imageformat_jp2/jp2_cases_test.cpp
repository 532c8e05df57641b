// Files built by the case script straight from the standard's box layout,
// read by the source; the codestream bytes served are compared with what
// the script extracts on its own.
#include "jp2_test_support.h"
#include "test_support.h"

#include <cmath>
#include <map>
#include <sstream>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

using namespace jp2test;

namespace
{

struct Case {
    std::string name, expect;
    int codestreams = 0;
    std::map<std::string, std::string> facts;
};

std::vector<Case> ReadCases(const std::filesystem::path& tsv)
{
    std::vector<Case> cases;
    std::ifstream in(tsv);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Case c;
        std::string count, facts;
        std::getline(fields, c.name, '\t');
        std::getline(fields, c.expect, '\t');
        std::getline(fields, count, '\t');
        std::getline(fields, facts);
        c.codestreams = std::stoi(count);
        std::istringstream words(facts);
        for (std::string w; words >> w;) {
            const size_t eq = w.find('=');
            c.facts[w.substr(0, eq)] = w.substr(eq + 1);
        }
        cases.push_back(c);
    }
    return cases;
}

Bytes ServedBytes(jp2_file_source& source)
{
    Bytes out;
    uint8_t buffer[4096];
    for (int32_t n; (n = source.read(buffer, sizeof buffer)) > 0;)
        out.insert(out.end(), buffer, buffer + n);
    return out;
}

void CheckFacts(const Case& c, jp2_file_source& s)
{
    for (const auto& [key, value] : c.facts) {
        const double v = std::stod(value.substr(0, value.find(',')));
        if (key == "nc") {
            EXPECT_EQ(s.access_dimensions()->get_num_components(), uint32_t(v)) << c.name;
        } else if (key.rfind("depth", 0) == 0) {
            EXPECT_EQ(s.access_dimensions()->get_bit_depth(uint32_t(std::stoi(key.substr(5)))),
                      int(v))
                << c.name;
        } else if (key == "colours") {
            EXPECT_EQ(s.access_colour()->get_num_colours(), int(v)) << c.name;
        } else if (key == "icc") {
            EXPECT_TRUE(s.access_colour()->is_icc()) << c.name;
        } else if (key == "luts") {
            EXPECT_EQ(s.access_palette()->get_num_luts(), uint32_t(v)) << c.name;
        } else if (key == "entries") {
            EXPECT_EQ(s.access_palette()->get_num_entries(), uint32_t(v)) << c.name;
        } else if (key.rfind("lut", 0) == 0) {
            // lutT_E: entry E of table T as stored in the file.
            const uint32_t t = uint32_t(std::stoi(key.substr(3)));
            const uint32_t e = uint32_t(std::stoi(key.substr(key.find('_') + 1)));
            const jp2_palette_info* p = s.access_palette();
            const int depth = p->get_bit_depth(t);
            uint32_t word = uint32_t(p->get_lut(t)[e]);
            if (depth > 0)
                word -= 0x80000000u;
            EXPECT_EQ(word >> (32 - std::abs(depth)), uint32_t(v)) << c.name;
        } else if (key == "map") {
            std::istringstream parts(value);
            std::string part;
            for (int colour = 0; std::getline(parts, part, ','); ++colour)
                EXPECT_EQ(s.access_channels()->get_component(0, colour), std::stoi(part)) << c.name;
        } else if (key == "capture") {
            EXPECT_NEAR(s.access_resolution()->get_resolution(false), v, 0.5) << c.name;
        } else if (key == "display") {
            EXPECT_NEAR(s.access_resolution()->get_resolution(true), v, 1e-6) << c.name;
        } else if (key == "aspect") {
            EXPECT_NEAR(s.access_resolution()->get_aspect_ratio(true), v, 1e-6) << c.name;
        } else {
            ADD_FAILURE() << "unknown fact " << key;
        }
    }
}

// Runs every case of the script, with its stand-in codestream or j2k.
void RunCases(const ScopedTempDir& dir, const std::string& j2k)
{
    const std::filesystem::path folder = dir.path() / "cases";
    ASSERT_EQ(RunQuiet(CaseScript() + " cases " + folder.string() + " " + j2k), 0);
    const std::vector<Case> cases = ReadCases(folder / "cases.tsv");
    ASSERT_GE(cases.size(), 20u);
    std::string files;
    for (const Case& c : cases)
        files += " " + (folder / (c.name + ".jp2")).string();
    ASSERT_EQ(RunQuiet(CaseScript() + " extract " + folder.string() + files), 0);
    for (const Case& c : cases) {
        const std::filesystem::path file = folder / (c.name + ".jp2");
        const std::u16string path = LX_Utf8ToUtf16(file.string().c_str());
        jp2_file_source source;
        if (c.expect == "error") {
            EXPECT_NE(ErrorOf([&] { source.open(path.c_str(), 0); }), "") << c.name;
            EXPECT_FALSE(source.is_open()) << c.name;
            continue;
        }
        if (c.expect == "fail") {
            EXPECT_EQ(ErrorOf([&] { EXPECT_FALSE(source.open(path.c_str(), 0)) << c.name; }), "")
                << c.name;
            continue;
        }
        for (int n = 0; n < c.codestreams; ++n) {
            ASSERT_TRUE(source.open(path.c_str(), n)) << c.name << " " << n;
            CheckFacts(c, source);
            const Bytes expected = ReadFile(folder / (c.name + ".cs" + std::to_string(n)));
            EXPECT_EQ(ServedBytes(source), expected) << c.name << " " << n;
            // The same over memory.
            CLxByteArray array = ToArray(ReadFile(file));
            ASSERT_TRUE(source.open(&array, n)) << c.name;
            EXPECT_EQ(ServedBytes(source), expected) << c.name << " " << n;
        }
        EXPECT_FALSE(source.open(path.c_str(), c.codestreams)) << c.name;
    }
}

} // namespace

TEST(Jp2ScriptCases, SourceReadsWhatTheScriptWrote)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        LXTEST_SKIP_WITHOUT_TOOL() << "no /usr/bin/python3";
    ScopedTempDir dir;
    RunCases(dir, "");
}

TEST(Jp2ScriptCases, WithAnOpenJpegCodestream)
{
    if (!std::filesystem::exists("/usr/bin/python3") || !HaveTool("opj_compress"))
        LXTEST_SKIP_WITHOUT_TOOL() << "needs /usr/bin/python3 and opj_compress";
    ScopedTempDir dir;
    const std::filesystem::path pgm = dir.path() / "in.pgm";
    std::string image = "P5\n37 29\n255\n";
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x)
            image += char((x * 13 + y * 7) & 0xFF);
    WriteFile(pgm, Bytes(image.begin(), image.end()));
    const std::filesystem::path j2k = dir.path() / "in.j2k";
    ASSERT_EQ(RunQuiet("opj_compress -n 3 -i " + pgm.string() + " -o " + j2k.string()), 0);
    RunCases(dir, j2k.string());
}
