// Writes the seed corpus of fuzz_probe_files into the folder given (made
// when missing): spectra files of built-in probes in the user file layout,
// the shapes the file tests use, and the source dump of a small catalogue.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxUtf.h"

namespace
{

std::filesystem::path g_folder;
int g_failures = 0;

void Save(const std::string& name, const std::string& bytes)
{
    std::ofstream out(g_folder / name, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        ++g_failures;
}

std::string Point(double wavelength, double value)
{
    char text[64];
    LX_snprintfA(text, sizeof text, "%.1f,%.6f", wavelength, value);
    return text;
}

// A probe of the catalogue as a user spectra file: a header row, then one
// row a point, excitation and emission side by side (",," where the
// excitation has run out).
std::string SpectraFile(uint32_t index, const char* lineEnd)
{
    CLxFluorescentProbe probe;
    if (CLxFluoProbeBase::GetProbe(index, probe) != 0)
        ++g_failures;
    const CLxOpticalFilterSpectrum& exc = probe.m_ExcitationSpectrum;
    const CLxOpticalFilterSpectrum& ems = probe.m_EmissionSpectrum;
    std::string text = std::string("Excitation nm,Excitation,Emission nm,Emission") + lineEnd;
    for (uint32_t i = 0; i < std::max(exc.GetCount(), ems.GetCount()); ++i) {
        text += i < exc.GetCount() ? Point(exc[i].dWavelength, exc[i].dTValue) : ",";
        if (i < ems.GetCount())
            text += "," + Point(ems[i].dWavelength, ems[i].dTValue);
        text += lineEnd;
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_probe_files_corpus <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    std::filesystem::create_directories(g_folder);

    LX_FluoProbeBaseResetForTests();
    if (CLxFluoProbeBase::Init(nullptr) != 0)
        ++g_failures;
    const uint32_t rows[] = {0, 17, 119, 175, 204, 229};
    for (uint32_t r : rows) {
        Save("builtin_" + std::to_string(r) + ".csv", SpectraFile(r, "\n"));
        Save("builtin_" + std::to_string(r) + "_crlf.csv", SpectraFile(r, "\r\n"));
    }

    // The shapes of the file tests.
    Save("two_excitation_one_emission.csv", "350,10,450,20\n351,12,,\n");
    Save("emission_rows.csv", "350,10,450,20\n,,451,21\n352,,452,22\n");
    Save("blanks.csv", " 350,\t10, 450 ,20 \n");
    Save("long_field.csv", "350," + std::string(200, '7') + ",450,20\n");
    Save("not_numbers.csv", "350,inf,450,20\n351,11,nan,21\n352,0x1p3,452,1e-3\n");
    Save("excitation_only.csv", "350,10\n351,12\n");
    Save("empty_first_line.csv", "\n350,10,450,20\n");
    Save("no_line_feed.csv", "350,10,450,20");

    // The source dump of a catalogue of one file probe.
    const std::filesystem::path work = g_folder / "dump.tmp";
    std::filesystem::create_directories(work);
    std::ofstream(work / "probe.csv", std::ios::binary) << SpectraFile(119, "\n");
    LX_FluoProbeBaseResetForTests();
    const std::string probePath = (work / "probe.csv").string();
    const std::string dumpPath = (work / "dump.cpp").string();
    if (CLxFluoProbeBaseVector::LoadFile(LX_Utf8ToUtf16(probePath.c_str()).c_str()) != 0 ||
        CLxFluoProbeBase::GenerateSourceCode(LX_Utf8ToUtf16(dumpPath.c_str()).c_str()) != 0)
        ++g_failures;
    std::ifstream dump(dumpPath, std::ios::binary);
    std::stringstream bytes;
    bytes << dump.rdbuf();
    Save("source_dump.cpp", bytes.str());
    std::filesystem::remove_all(work);

    if (g_failures)
        fprintf(stderr, "make_probe_files_corpus: %d failures\n", g_failures);
    return g_failures ? 1 : 0;
}
