// The probe catalogue: lookups, groups, filter assignments, user spectra
// files and the source dump.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "comma_locale.h"
#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "gnr_metaformats/LxMetaformats.h"
#include "test_support.h"

namespace
{

typedef CLxFluoProbeBase DB;

class FluoProbeBase : public ::testing::Test
{
  protected:
    void SetUp() override { LX_FluoProbeBaseResetForTests(); }
    void TearDown() override { LX_FluoProbeBaseResetForTests(); }

    void Write(const std::string& name, const std::string& bytes)
    {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        std::ofstream(dir.path() / name, std::ios::binary) << bytes;
    }
    // Init on the temporary folder: the status, and the file probes it added.
    int InitFolder() { return DB::Init(dir.u16().c_str()); }
    uint32_t FileProbes() { return DB::GetCount() - 240; }
    // The probe named so (MatchProbeName must find exactly that name).
    CLxFluorescentProbe Probe(const char16_t* name)
    {
        uint32_t index = 0;
        CLxFluorescentProbe probe;
        EXPECT_EQ(0, DB::MatchProbeName(name, index)) << U8(name);
        EXPECT_EQ(0, DB::GetProbe(index, probe));
        EXPECT_EQ(std::u16string(name), std::u16string(probe.m_sName.GetString()));
        return probe;
    }

    ScopedTempDir dir;
};

std::u16string Text(const CLxStringW& s)
{
    return s.GetString();
}

TEST_F(FluoProbeBase, BeforeInitEverythingIsEmpty)
{
    EXPECT_EQ(0u, DB::GetCount());
    EXPECT_EQ(12u, DB::GetGroupCount());
    CLxStringW name(u"kept"), abbrev, group;
    EXPECT_EQ(-4, DB::GetProbeName(0, name, true));
    EXPECT_EQ(u"kept", Text(name));
    EXPECT_EQ(-4, DB::GetProbeName(0, name, abbrev, group));
    CLxFluorescentProbe probe;
    EXPECT_EQ(-4, DB::GetProbe(0, probe));
    uint32_t index = 7;
    EXPECT_EQ(-13, DB::MatchProbeName(u"CFP", index));
    EXPECT_EQ(0u, index);
    CLxStringW out;
    EXPECT_EQ(u"Fura-2", Text(DB::GetAbbreviation(u"Fura-2", out)));
    EXPECT_EQ(0u, DB::GetProbeCountInGroup(0));
}

TEST_F(FluoProbeBase, GroupTable)
{
    const char16_t* names[] = {u"Unsorted",     u"Alexa Fluors",   u"Cyanine Dyes",
                               u"Tracker Dyes", u"SYTO Dyes",      u"Fluorescent Proteins",
                               u"QDots",        u"BODIPY Dyes",    u"Nucleic Acid Stains",
                               u"Spectrums",    u"LIVE/DEAD Kits", u"Beads"};
    ASSERT_EQ(12u, DB::m_uiGroupCount);
    for (uint32_t g = 0; g < 12; ++g) {
        CLxStringW out;
        EXPECT_EQ(0, DB::GetGroupName(g, out));
        EXPECT_EQ(std::u16string(names[g]), Text(out));
        EXPECT_EQ(std::u16string(names[g]), std::u16string(DB::m_wsGroupNames[g]));
    }
    CLxStringW out(u"kept");
    EXPECT_EQ(-4, DB::GetGroupName(12, out));
    EXPECT_EQ(u"kept", Text(out));
}

TEST_F(FluoProbeBase, InitAddsTheBuiltInProbesOnce)
{
    EXPECT_EQ(0, DB::Init(nullptr));
    EXPECT_EQ(240u, DB::GetCount());
    EXPECT_EQ(0, DB::Init(nullptr));
    EXPECT_EQ(240u, DB::GetCount());
    const uint32_t perGroup[] = {116, 28, 5, 12, 14, 17, 8, 9, 16, 0, 5, 10, 0};
    for (uint32_t g = 0; g < 13; ++g)
        EXPECT_EQ(perGroup[g], DB::GetProbeCountInGroup(g)) << "group " << g;
}

TEST_F(FluoProbeBase, InitWithAMissingFolderStillAddsTheBuiltIns)
{
    EXPECT_EQ(-1013, DB::Init(dir.u16("missing").c_str()));
    EXPECT_EQ(240u, DB::GetCount());
}

TEST_F(FluoProbeBase, InitWithAFileForAFolderCannotListIt)
{
    Write("a.csv", "350,10,450,20\n");
    EXPECT_EQ(-1025, DB::Init(dir.u16("a.csv").c_str()));
    EXPECT_EQ(240u, DB::GetCount());
}

TEST_F(FluoProbeBase, AfterShutdownTheCatalogueIsGoneAndAnswersEmpty)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    LX_FluoProbeBaseDetach();
    EXPECT_EQ(nullptr, CLxFluoProbeBaseVector::Get());
    EXPECT_EQ(0u, DB::GetCount());
    EXPECT_EQ(-3, DB::Init(nullptr));
    CLxFluorescentProbe probe;
    EXPECT_EQ(-4, DB::GetProbe(0, probe));
    EXPECT_EQ(0u, DB::GetProbeCountInGroup(0));
    LX_FluoProbeBaseAttach();
    EXPECT_EQ(0, DB::Init(nullptr));
    EXPECT_EQ(240u, DB::GetCount());
}

TEST_F(FluoProbeBase, MatchProbeNameIsAPrefixSearchAndCaseSensitive)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    const struct {
        const char16_t* query;
        int status;
        uint32_t index;
    } cases[] = {
        {u"CFP", 0, 70},
        {u"eGFP", 0, 229},
        {u"EGFP", 0, 89},
        {u"Alexa Fluor 488", 0, 17},
        {u"alexa fluor 488", -13, 240},
        {u"cfp", -13, 240},
        {u"", 0, 0},
        {u"Fura-2", 0, 119},
        {u"ReAsH", 0, 178},
    };
    for (const auto& c : cases) {
        uint32_t index = 99;
        EXPECT_EQ(c.status, DB::MatchProbeName(c.query, index)) << U8(c.query);
        EXPECT_EQ(c.index, index) << U8(c.query);
    }
    CLxStringW out;
    EXPECT_EQ(u"Fura-2/Ca2+free", Text(DB::GetAbbreviation(u"Fura-2", out)));
    EXPECT_EQ(u"Alexa 647", Text(DB::GetAbbreviation(u"Alexa Fluor 647", out)));
    EXPECT_EQ(u"no such probe", Text(DB::GetAbbreviation(u"no such probe", out)));
}

TEST_F(FluoProbeBase, GetProbeNameGivesNameAbbreviationAndGroup)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    CLxStringW name, abbrev, group;
    EXPECT_EQ(0, DB::GetProbeName(14, abbrev, true));
    EXPECT_EQ(u"Alexa 350", Text(abbrev));
    EXPECT_EQ(0, DB::GetProbeName(14, name, false));
    EXPECT_EQ(u"Alexa Fluor 350 goat anti\u2013mouse IgG antibody/pH 8.0", Text(name));
    EXPECT_EQ(0, DB::GetProbeName(14, name, abbrev, group));
    EXPECT_EQ(u"Alexa 350", Text(abbrev));
    EXPECT_EQ(u"Alexa Fluors", Text(group));
    EXPECT_EQ(-4, DB::GetProbeName(240, name, abbrev, group));
}

TEST_F(FluoProbeBase, AssignFilterEnsuresOrToggles)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    const CLxStringW dapi(u"DAPI"), fitc(u"FITC");
    EXPECT_EQ(0, DB::AssignFilter(5, dapi, true));
    EXPECT_EQ(0, DB::AssignFilter(5, dapi, true));
    EXPECT_EQ(1u, DB::GetAssignedFilterCount(5));
    EXPECT_TRUE(DB::IsFilterAssigned(5, dapi));
    EXPECT_EQ(0, DB::AssignFilter(5, fitc, true));
    EXPECT_EQ(0, DB::AssignFilter(5, dapi, false)); // removes; FITC moves up
    EXPECT_FALSE(DB::IsFilterAssigned(5, dapi));
    CLxStringW out;
    ASSERT_EQ(1u, DB::GetAssignedFilterCount(5));
    EXPECT_EQ(0, DB::GetAssignedFilterCount(5, 0, out));
    EXPECT_EQ(u"FITC", Text(out));
    EXPECT_EQ(0, DB::AssignFilter(5, dapi, false)); // adds back at the end
    EXPECT_EQ(0, DB::GetAssignedFilterCount(5, 1, out));
    EXPECT_EQ(u"DAPI", Text(out));
    EXPECT_EQ(0u, DB::GetAssignedFilterCount(6)); // other items untouched

    out = u"kept";
    EXPECT_EQ(-4, DB::GetAssignedFilterCount(5, 2, out));
    EXPECT_EQ(-4, DB::GetAssignedFilterCount(240, 0, out));
    EXPECT_EQ(u"kept", Text(out));
    EXPECT_EQ(-4, DB::AssignFilter(240, dapi, true));
    EXPECT_FALSE(DB::IsFilterAssigned(240, dapi));
    EXPECT_EQ(0u, DB::GetAssignedFilterCount(240));
}

// ---- User spectra files

TEST_F(FluoProbeBase, FileNamesBecomeProbeNames)
{
    const std::string points = "350,10,450,20\n360,30,460,40\n";
    Write("Fura#2.csv", points);
    Write("x.y.txt", points);
    Write(".csv", points);
    Write("sub/deeper/plain", points);
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(4u, FileProbes());

    const CLxFluorescentProbe fura = Probe(u"Fura/2");
    uint32_t index = 0;
    ASSERT_EQ(0, DB::MatchProbeName(u"Fura/2", index));
    CLxStringW name, abbrev, group;
    ASSERT_EQ(0, DB::GetProbeName(index, name, abbrev, group));
    EXPECT_EQ(u"Fura/2", Text(abbrev));
    EXPECT_EQ(u"Unsorted", Text(group));
    EXPECT_EQ(116u + 4u, DB::GetProbeCountInGroup(0));
    uint32_t color = 0;
    ASSERT_EQ(0, fura.m_EmissionSpectrum.GetRGBColor(color));
    EXPECT_EQ(color, fura.m_uiColor);
    Probe(u"x.y");
    Probe(u".csv");
    Probe(u"plain");
}

TEST_F(FluoProbeBase, SecondInitLoadsEachFileOnce)
{
    Write("a.csv", "350,10,450,20\n");
    ASSERT_EQ(0, InitFolder());
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(241u, DB::GetCount());
    Write("b.csv", "350,10,450,20\n");
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(242u, DB::GetCount());
}

TEST_F(FluoProbeBase, LinksToFoldersAreNotFollowed)
{
    Write("real/a.csv", "350,10,450,20\n");
    ASSERT_EQ(0, symlink((dir.path() / "real").c_str(), (dir.path() / "loop").c_str()));
    ASSERT_EQ(0, symlink(dir.path().c_str(), (dir.path() / "real/up").c_str()));
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(1u, FileProbes());
}

TEST_F(FluoProbeBase, FilesThatFailAreSkipped)
{
    Write("good.csv", "350,10,450,20\n");
    Write("excitation only.csv", "350,10\n351,12\n");
    Write("empty first line.csv", "\n350,10,450,20\n");
    Write("empty.csv", "");
    Write("words.txt", "no numbers at all\n");
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(1u, FileProbes());
    Probe(u"good");
}

// LoadFile's status for one file's bytes, and the probe it appended.
struct LoadCase {
    const char* name;
    std::string bytes;
    int status;
    uint32_t excitationPoints;
    uint32_t emissionPoints;
};

class FluoProbeFile : public FluoProbeBase, public ::testing::WithParamInterface<LoadCase>
{
};

TEST_P(FluoProbeFile, LoadsWhatTheLinesHold)
{
    const LoadCase& c = GetParam();
    Write("probe.csv", c.bytes);
    ASSERT_EQ(0, DB::Init(nullptr));
    EXPECT_EQ(c.status, CLxFluoProbeBaseVector::LoadFile(dir.u16("probe.csv").c_str()));
    if (c.status != 0) {
        EXPECT_EQ(240u, DB::GetCount());
        return;
    }
    ASSERT_EQ(241u, DB::GetCount());
    CLxFluorescentProbe probe;
    ASSERT_EQ(0, DB::GetProbe(240, probe));
    EXPECT_EQ(c.excitationPoints, probe.m_ExcitationSpectrum.GetCount());
    EXPECT_EQ(c.emissionPoints, probe.m_EmissionSpectrum.GetCount());
    EXPECT_TRUE(probe.m_ExcitationSpectrum.bPoints);
    EXPECT_EQ(SLxOFSpectrumPoint::eSptPoint, probe.m_EmissionSpectrum[0].eType);
}

const std::string kLongField(200, '7');

INSTANTIATE_TEST_SUITE_P(
    Lines, FluoProbeFile,
    ::testing::Values(
        LoadCase{"TwoExcitationOneEmission", "350,10,450,20\n351,12,,\n", 0, 2, 1},
        LoadCase{"HeaderRowSkipped", "exc nm,exc,ems nm,ems\n350,10,450,20\n", 0, 1, 1},
        LoadCase{"CrLf", "350,10,450,20\r\n351,11,451,21\r\n", 0, 2, 2},
        LoadCase{"EmissionOnlyRows", "350,10,450,20\n,,451,21\n352,,452,22\n", 0, 1, 3},
        LoadCase{"NoFinalLineFeed", "350,10,450,20", 0, 1, 1},
        LoadCase{"LongFieldsReadWhole",
                 "350," + kLongField + ",450,20\n" + kLongField + "x,1,451,21\n", 0, 2, 2},
        LoadCase{"BlanksBeforeNumbers", " 350,\t10, 450 ,20 \n", 0, 1, 1},
        LoadCase{"EmptyLineEnds", "350,10,450,20\n\n351,11,451,21\n", 0, 1, 1},
        LoadCase{"SingleFieldEnds", "350,10,450,20\n351\n352,12,452,22\n", 0, 1, 1},
        LoadCase{"InfAndNanAreNotNumbers", "350,inf,450,20\n351,11,nan,21\n352,12,452,22\n", 0, 2,
                 2},
        LoadCase{"ExcitationOnly", "350,10\n351,12\n", -4, 0, 0},
        LoadCase{"EmptyFirstLine", "\n350,10,450,20\n", -4, 0, 0},
        LoadCase{"EmissionOnly", ",,450,20\n", -4, 0, 0}, LoadCase{"Empty", "", -3, 0, 0}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(FluoProbeBase, LoadFileStatuses)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    EXPECT_EQ(-1000, CLxFluoProbeBaseVector::LoadFile(dir.u16("missing.csv").c_str()));
    EXPECT_EQ(-1000, CLxFluoProbeBaseVector::LoadFile(dir.u16().c_str())); // a folder
    EXPECT_EQ(240u, DB::GetCount());
}

TEST_F(FluoProbeBase, PointsKeepFileOrderAndValues)
{
    Write("p.csv", "351,12.5,450,-1.83\n350,1e1,449,2\n");
    ASSERT_EQ(0, InitFolder());
    const CLxFluorescentProbe p = Probe(u"p");
    const CLxOpticalFilterSpectrum& exc = p.m_ExcitationSpectrum;
    ASSERT_EQ(2u, exc.GetCount());
    EXPECT_EQ(351.0, exc[0].dWavelength);
    EXPECT_EQ(12.5, exc[0].dTValue);
    EXPECT_EQ(350.0, exc[1].dWavelength);
    EXPECT_EQ(10.0, exc[1].dTValue);
    EXPECT_EQ(-1.83, p.m_EmissionSpectrum[0].dTValue);
}

TEST_F(FluoProbeBase, EmissionValuesSummingToZeroGiveColourZero)
{
    Write("dark.csv", "350,10,450,0\n351,10,451,0\n");
    ASSERT_EQ(0, InitFolder());
    EXPECT_EQ(0u, Probe(u"dark").m_uiColor);
}

// ---- The line splitter and the number reader

struct SplitCase {
    const char* line;
    int n;
    const char* fields[4];
};

TEST(FluoProbeReadLine, SplitsIntoUpToFourFields)
{
    const SplitCase cases[] = {
        {"350,10,450,20\n", 4, {"350", "10", "450", "20"}},
        {"350,10,450,20\r\nmore", 4, {"350", "10", "450", "20\r"}},
        {"350,10\n", 2, {"350", "10", "", ""}},
        {"350,10,,\n", 2, {"350", "10", "", ""}},
        {"350,10,450\n", 3, {"350", "10", "450", ""}},
        {",,450,20\n", 4, {"", "", "450", "20"}},
        {",,450\n", 0, {"", "", "", ""}},
        {",450,20\n", 0, {"", "", "", ""}},
        {"350,,450,20", 4, {"350", "", "450", "20"}},
        {"350,,450\n", 1, {"350", "", "", ""}},
        {"350\n", 1, {"350", "", "", ""}},
        {"\n350,10", 0, {"", "", "", ""}},
        {"a,b,c,d,e,f", 4, {"a", "b", "c", "d"}},
        {"", -1, {"", "", "", ""}},
    };
    for (const SplitCase& c : cases) {
        const char* fields[4];
        size_t lengths[4];
        const std::string line = c.line;
        EXPECT_EQ(c.n, CLxFluoProbeBaseVector::ReadLine(line.data(), line.size(), fields, lengths))
            << c.line;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(std::string(c.fields[k]), std::string(fields[k], lengths[k]))
                << c.line << " field " << k;
    }
}

TEST(FluoProbeReadLine, NeverReadsPastTheText)
{
    // The text has no terminator; ASan sees a read one byte past it.
    const std::string source = "350,10,450,2" + std::string(300, '0');
    std::vector<char> exact(source.begin(), source.end());
    const char* fields[4];
    size_t lengths[4];
    EXPECT_EQ(4, CLxFluoProbeBaseVector::ReadLine(exact.data(), exact.size(), fields, lengths));
    EXPECT_EQ(source.size() - 11, lengths[3]);
    double v = 0;
    EXPECT_TRUE(CLxFluoProbeBaseVector::ReadNumber(fields[3], lengths[3], v));
    EXPECT_EQ(2e300, v);
}

TEST(FluoProbeReadNumber, ReadsLikePercentLfInTheCLocale)
{
    const struct {
        const char* field;
        bool ok;
        double value;
    } cases[] = {
        {"12.5", true, 12.5}, {"  \t-1.83", true, -1.83}, {"20\r", true, 20.0},
        {"7abc", true, 7.0},  {"1e3x", true, 1000.0},     {"0x10", true, 16.0},
        {"+.5", true, 0.5},   {"abc", false, 0},          {"", false, 0},
        {"   ", false, 0},    {"inf", false, 0},          {"-infinity", false, 0},
        {"nan", false, 0},    {"1e999", false, 0},        {".", false, 0},
        {"-", false, 0},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(c.ok, CLxFluoProbeBaseVector::ReadNumber(c.field, strlen(c.field), v)) << c.field;
        if (c.ok) {
            EXPECT_EQ(c.value, v) << c.field;
        }
    }
}

TEST(FluoProbeReadNumber, IgnoresTheProcessLocale)
{
    double v = 0;
    bool read = false;
    {
        ScopedCommaLocale comma;
        if (!comma.active())
            LXTEST_SKIP_WITHOUT_TOOL() << "no locale with a decimal comma (localedef, locales)";
        read = CLxFluoProbeBaseVector::ReadNumber("12.5", 4, v);
    }
    EXPECT_TRUE(read);
    EXPECT_EQ(12.5, v);
}

TEST(FluoProbeName, LastComponentWithoutExtension)
{
    const struct {
        const char16_t* path;
        const char16_t* name;
    } cases[] = {
        {u"/a/b/Fura#2.csv", u"Fura/2"},
        {u"C:\\spectra\\x.y.txt", u"x.y"},
        {u"dir/.csv", u".csv"},
        {u"a\\b/c.d\\e", u"e"},
        {u"plain", u"plain"},
        {u"dir/a#b#c", u"a/b/c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(c.name),
                  std::u16string(CLxFluoProbeBaseVector::ProbeName(c.path).GetString()))
            << U8(c.path);
}

TEST_F(FluoProbeBase, LongFileNamesAreCutForTheAbbreviation)
{
    const std::string long_name(100, 'n');
    Write(long_name + ".csv", "350,10,450,20\n");
    ASSERT_EQ(0, InitFolder());
    CLxStringW abbrev;
    ASSERT_EQ(0, DB::GetProbeName(240, abbrev, true));
    EXPECT_EQ(std::u16string(63, u'n'), Text(abbrev));
}

// ---- Threads

TEST_F(FluoProbeBase, ReadersRunBesideInitAndAssignments)
{
    Write("a.csv", "350,10,450,20\n");
    std::vector<std::thread> threads;
    threads.emplace_back([this] { InitFolder(); });
    threads.emplace_back([] {
        for (int i = 0; i < 200; ++i)
            DB::AssignFilter(uint32_t(i % 4), CLxStringW(u"F"), false);
    });
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                CLxFluorescentProbe probe;
                uint32_t index = 0;
                const uint32_t n = DB::GetCount();
                if (n)
                    DB::GetProbe(n - 1, probe);
                DB::MatchProbeName(u"CFP", index);
                DB::GetAssignedFilterCount(0);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(241u, DB::GetCount());
}

} // namespace
