// The built-in probe table against its data file, and the source dump of the
// catalogue.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "test_support.h"

namespace
{

typedef CLxFluoProbeBase DB;
typedef std::map<std::string, std::string> Row;

std::vector<Row> ReadDataFile()
{
    std::ifstream in(LXTEST_BUILTIN_PROBES_TSV, std::ios::binary);
    std::vector<Row> rows;
    std::vector<std::string> columns;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cells;
        std::stringstream split(line);
        std::string cell;
        while (std::getline(split, cell, '\t'))
            cells.push_back(cell);
        if (line.back() == '\t')
            cells.emplace_back();
        if (columns.empty()) {
            columns = cells;
            continue;
        }
        Row row;
        for (size_t i = 0; i < columns.size() && i < cells.size(); ++i)
            row[columns[i]] = cells[i];
        rows.push_back(row);
    }
    return rows;
}

unsigned Whole(const Row& row, const char* key)
{
    return unsigned(std::stoul(row.at(key)));
}

double Number(const Row& row, const char* key)
{
    return std::strtod(row.at(key).c_str(), nullptr);
}

// Equal, or one channel one unit apart.
bool CloseColours(uint32_t a, uint32_t b)
{
    int total = 0, largest = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        total += d;
        largest = std::max(largest, d);
    }
    return largest <= 1 && total <= 1;
}

// The single maximum of a spectrum: its value and wavelength.
void Peak(const CLxOpticalFilterSpectrum& s, double& value, double& wavelength, bool& single)
{
    uint32_t best = 0;
    for (uint32_t i = 1; i < s.GetCount(); ++i)
        if (s[i].dTValue > s[best].dTValue)
            best = i;
    single = true;
    for (uint32_t i = 0; i < s.GetCount(); ++i)
        if (i != best && s[i].dTValue == s[best].dTValue)
            single = false;
    value = s[best].dTValue;
    wavelength = s[best].dWavelength;
}

class FluoProbeTable : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        LX_FluoProbeBaseResetForTests();
        ASSERT_EQ(0, DB::Init(nullptr));
    }
    void TearDown() override { LX_FluoProbeBaseResetForTests(); }
};

struct Telling {
    unsigned row;
    uint32_t colour;
    double excPeak, excNm, emsPeak, emsNm;
};

const Telling kTelling[] = {
    {0, 0x9DAF31, 288.56, 270, 100, 477}, {17, 0x0DEC78, 100, 493, 100, 519},
    {89, 0x2CF44C, 100, 489, 100, 508},   {119, 0x44D16E, 47.26, 366, 37.73, 515},
    {120, 0x59CC5C, 100, 336, 100, 505},  {166, 0x1FD292, 100, 289, 100, 530},
    {175, 0x0000FE, 100, 300, 100, 792},  {204, 0x41EB53, 100, 483, 100, 500},
    {226, 0x77D73B, 1, 435, 1, 477},      {229, 0x25F056, 1, 489, 1, 510},
};

TEST_F(FluoProbeTable, EveryRowMatchesTheDataFile)
{
    const std::vector<Row> rows = ReadDataFile();
    ASSERT_EQ(240u, rows.size());
    ASSERT_EQ(240u, DB::GetCount());
    std::map<unsigned, Telling> telling;
    for (const Telling& t : kTelling)
        telling[t.row] = t;

    uint64_t total = 0;
    unsigned enDashes = 0;
    for (unsigned r = 0; r < 240; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const Row& row = rows[r];
        ASSERT_EQ(r, Whole(row, "index"));
        CLxStringW name, abbrev, group;
        ASSERT_EQ(0, DB::GetProbeName(r, name, abbrev, group));
        const std::u16string wantName = U16(row.at("name").c_str());
        EXPECT_EQ(wantName, std::u16string(name.GetString()));
        enDashes += wantName.find(u'\u2013') != std::u16string::npos;
        std::u16string wantAbbrev = U16(row.at("abbrev").c_str());
        if (wantAbbrev.empty())
            wantAbbrev = wantName.substr(0, wantName.find(u'/'));
        EXPECT_EQ(wantAbbrev, std::u16string(abbrev.GetString()));
        EXPECT_EQ(std::u16string(DB::m_wsGroupNames[Whole(row, "group")]),
                  std::u16string(group.GetString()));

        CLxFluorescentProbe probe;
        ASSERT_EQ(0, DB::GetProbe(r, probe));
        const CLxOpticalFilterSpectrum& exc = probe.m_ExcitationSpectrum;
        const CLxOpticalFilterSpectrum& ems = probe.m_EmissionSpectrum;

        // Whole nanometres one apart over the ranges; row 204 jumps.
        const unsigned excFirst = Whole(row, "exc_first"), excLast = Whole(row, "exc_last");
        const unsigned jump = Whole(row, "exc_jump");
        EXPECT_EQ(r == 204 ? 525u : 0u, jump);
        const unsigned excCount = jump ? jump - excFirst + 2 : excLast - excFirst + 1;
        ASSERT_EQ(excCount, exc.GetCount());
        for (unsigned i = 0; i < excCount; ++i)
            ASSERT_EQ(double(jump && i + 1 == excCount ? excLast : excFirst + i),
                      exc[i].dWavelength);
        const unsigned emsFirst = Whole(row, "ems_first"), emsLast = Whole(row, "ems_last");
        ASSERT_EQ(emsLast - emsFirst + 1, ems.GetCount());
        for (unsigned i = 0; i < ems.GetCount(); ++i)
            ASSERT_EQ(double(emsFirst + i), ems[i].dWavelength);
        EXPECT_GE(exc.GetCount(), 101u);
        EXPECT_LE(exc.GetCount(), 501u);
        EXPECT_GE(ems.GetCount(), 111u);
        EXPECT_LE(ems.GetCount(), 371u);
        EXPECT_GE(std::min(excFirst, emsFirst), 200u);
        EXPECT_LE(std::max(excLast, emsLast), 920u);
        total += exc.GetCount() + ems.GetCount();

        // Peaks: a single maximum holding exactly the peak value.
        double excPeak, excNm, emsPeak, emsNm;
        bool single = false;
        Peak(exc, excPeak, excNm, single);
        EXPECT_TRUE(single);
        Peak(ems, emsPeak, emsNm, single);
        EXPECT_TRUE(single);
        EXPECT_EQ(Number(row, "exc_peak"), excPeak);
        EXPECT_EQ(Number(row, "ems_peak"), emsPeak);
        EXPECT_EQ(double(Whole(row, "exc_peak_nm")), excNm);
        EXPECT_EQ(double(Whole(row, "ems_peak_nm")), emsNm);

        uint32_t colour = 0;
        ASSERT_EQ(0, ems.GetRGBColor(colour));
        EXPECT_PRED2(CloseColours, probe.m_uiColor, colour);

        auto t = telling.find(r);
        if (t != telling.end()) {
            EXPECT_EQ("stated", row.at("colour_source"));
            EXPECT_EQ(t->second.colour, probe.m_uiColor);
            EXPECT_EQ(t->second.excPeak, excPeak);
            EXPECT_EQ(t->second.excNm, excNm);
            EXPECT_EQ(t->second.emsPeak, emsPeak);
            EXPECT_EQ(t->second.emsNm, emsNm);
            continue;
        }
        // The other rows: the rule of the data file's header.
        EXPECT_EQ("emission", row.at("colour_source"));
        const double wantEms = emsFirst + (3 * (emsLast - emsFirst)) / 10;
        EXPECT_EQ(wantEms, emsNm);
        EXPECT_EQ(std::min(std::max(wantEms - 25, double(excFirst)), double(excLast)), excNm);
        const double usual = r < 226 ? 100.0 : 1.0;
        EXPECT_EQ(r == 197 ? 1029.37 : usual, excPeak);
        EXPECT_EQ(usual, emsPeak);
    }
    EXPECT_EQ(120641u, total);
    EXPECT_EQ(45u, enDashes);
}

TEST_F(FluoProbeTable, Row204HasNoExcitationPointBetween525And669)
{
    CLxFluorescentProbe probe;
    ASSERT_EQ(0, DB::GetProbe(204, probe));
    const CLxOpticalFilterSpectrum& exc = probe.m_ExcitationSpectrum;
    ASSERT_EQ(227u, exc.GetCount());
    for (uint32_t i = 0; i < exc.GetCount(); ++i)
        EXPECT_FALSE(exc[i].dWavelength > 525.0 && exc[i].dWavelength < 669.0);
    EXPECT_EQ(669.0, exc[226].dWavelength);
}

// ---- GenerateSourceCode

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FluoProbeSource : public ::testing::Test
{
  protected:
    void SetUp() override { LX_FluoProbeBaseResetForTests(); }
    void TearDown() override { LX_FluoProbeBaseResetForTests(); }
    ScopedTempDir dir;
};

const char kDeclarations[] =
    "CLxOpticalFilterSpectrum sExcSp, sEmsSp;\nCLxFluoProbeBaseItem sItem;\n\n";

TEST_F(FluoProbeSource, EmptyCatalogueGivesTheDeclarations)
{
    ASSERT_EQ(0, DB::GenerateSourceCode(dir.u16("out.cpp").c_str()));
    EXPECT_EQ(kDeclarations, FileText(dir.path() / "out.cpp"));
}

TEST_F(FluoProbeSource, PathThatCannotBeCreated)
{
    EXPECT_EQ(-9, DB::GenerateSourceCode(dir.u16("no/such/folder/out.cpp").c_str()));
    EXPECT_EQ(-9, DB::GenerateSourceCode(dir.u16().c_str()));
}

TEST_F(FluoProbeSource, ListsWrapAfterEveryHundredthValue)
{
    // 101 excitation points, 2 emission points, a quote in the name.
    std::string file;
    for (int i = 0; i <= 100; ++i) {
        file += std::to_string(400 + i) + "," + std::to_string(i) + ".5";
        file += i < 2 ? "," + std::to_string(500 + i) + "," + std::to_string(i + 1) + "\n" : "\n";
    }
    std::ofstream(dir.path() / "q\"x.csv", std::ios::binary) << file;
    ASSERT_EQ(0, CLxFluoProbeBaseVector::LoadFile(dir.u16("q\"x.csv").c_str()));
    ASSERT_EQ(0, DB::GenerateSourceCode(dir.u16("out.cpp").c_str()));

    const std::string wrap = "\n" + std::string(37, ' ');
    std::string wl = "   static double s_pExcWl_000[] = { ",
                vl = "   static double s_pExcVl_000[] = { ";
    for (int i = 0; i <= 100; ++i) {
        char text[32];
        snprintf(text, sizeof text, "%d.0, ", 400 + i);
        wl += text;
        snprintf(text, sizeof text, "%d.500000, ", i);
        vl += text;
        if (i == 99)
            wl += wrap, vl += wrap;
    }
    const std::string expected =
        std::string(kDeclarations) + "{\n" + wl + "};\n" + vl + "};\n" +
        "   static double s_pEmsWl_000[] = { 500.0, 501.0, };\n"
        "   static double s_pEmsVl_000[] = { 1.000000, 2.000000, };\n"
        "   sExcSp = CLxOpticalFilterSpectrum(s_pExcWl_000, s_pExcVl_000, sizeof(s_pExcWl_000) / "
        "sizeof(double));\n"
        "   sEmsSp = CLxOpticalFilterSpectrum(s_pEmsWl_000, s_pEmsVl_000, sizeof(s_pEmsWl_000) / "
        "sizeof(double));\n"
        "   sItem.sProbe = CLxFluorescentProbe(CLxStringW(L\"q\\\"x\"),\n" +
        std::string(38, ' ') +
        "0x0076ff00, sExcSp, sEmsSp);\n"
        "   wcscpy(sItem.szAbbrev, L\"q\\\"x\");\n"
        "   sItem.uiGroup = 0;\n"
        "   m_sVector.push_back(sItem);\n}\n\n";
    EXPECT_EQ(expected, FileText(dir.path() / "out.cpp"));
}

// The numbers of one list of the dump, "static double <tag>[] = { ... };".
std::vector<double> DumpList(const std::string& text, const std::string& tag, size_t& from)
{
    const std::string head = "static double " + tag + "[] = { ";
    const size_t start = text.find(head, from);
    std::vector<double> values;
    if (start == std::string::npos)
        return values;
    const size_t end = text.find("};", start);
    from = end;
    const char* p = text.c_str() + start + head.size();
    const char* stop = text.c_str() + end;
    while (p < stop) {
        char* next = nullptr;
        const double v = std::strtod(p, &next);
        if (next == p)
            break;
        values.push_back(v);
        p = next + 1; // the comma
        while (p < stop && (*p == ' ' || *p == '\n'))
            ++p;
    }
    return values;
}

TEST_F(FluoProbeSource, DumpOfTheBuiltInsReadsBackExactly)
{
    ASSERT_EQ(0, DB::Init(nullptr));
    ASSERT_EQ(0, DB::GenerateSourceCode(dir.u16("builtin.cpp").c_str()));
    const std::string text = FileText(dir.path() / "builtin.cpp");

    EXPECT_NE(std::string::npos,
              text.find("   sItem.sProbe = CLxFluorescentProbe(CLxStringW(L\"Alexa Fluor 350 goat "
                        "anti\xE2\x80\x93mouse IgG antibody/pH 8.0\"),\n"));
    EXPECT_NE(std::string::npos, text.find("   wcscpy(sItem.szAbbrev, L\"Alexa 350\");\n"
                                           "   sItem.uiGroup = 1;\n"));

    size_t from = 0;
    for (uint32_t i = 0; i < 240; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        CLxFluorescentProbe probe;
        ASSERT_EQ(0, DB::GetProbe(i, probe));
        char tag[16];
        const CLxOpticalFilterSpectrum* spectra[2] = {&probe.m_ExcitationSpectrum,
                                                      &probe.m_EmissionSpectrum};
        const char* names[2] = {"Exc", "Ems"};
        for (int s = 0; s < 2; ++s) {
            snprintf(tag, sizeof tag, "s_p%sWl_%03u", names[s], i);
            const std::vector<double> wl = DumpList(text, tag, from);
            snprintf(tag, sizeof tag, "s_p%sVl_%03u", names[s], i);
            const std::vector<double> vl = DumpList(text, tag, from);
            ASSERT_EQ(spectra[s]->GetCount(), wl.size());
            ASSERT_EQ(spectra[s]->GetCount(), vl.size());
            for (uint32_t p = 0; p < wl.size(); ++p) {
                ASSERT_EQ((*spectra[s])[p].dWavelength, wl[p]);
                ASSERT_EQ((*spectra[s])[p].dTValue, vl[p]);
            }
        }
        char colour[64];
        snprintf(colour, sizeof colour, "0x%08x, sExcSp, sEmsSp);\n", probe.m_uiColor);
        EXPECT_NE(std::string::npos, text.find(colour, from));
    }
}

} // namespace
