// libFuzzer target for user probe spectra files: any bytes, parsed directly
// and loaded as a file into the probe catalogue, must give a status code.
// Checks what the reader promises:
//   - a parse that succeeds gives two curves of finite kind-1 points, no
//     more points than the text has lines;
//   - loading the same bytes from a file gives the parse's status (-3 for an
//     empty file) and, on success, one new item with those spectra. Files
//     cost most of the time, so one input in 16 (chosen by its bytes) takes
//     that road.
//
//   cmake --build build-fuzz --target fuzz_probe_files fuzz_probe_files_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_probe_files corpora/fuzz_probe_files
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "w32_system/LxUtf.h"

namespace
{

std::string g_folder;
std::string g_file;

void RemoveFiles()
{
    unlink(g_file.c_str());
    rmdir(g_folder.c_str());
}

// The file the bytes are written to, in a folder of its own that goes at
// exit.
const std::string& FilePath()
{
    if (g_file.empty()) {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp ? tmp : "/tmp") + "/fuzz-probe-XXXXXX";
        const char* dir = mkdtemp(pattern.data());
        if (!dir)
            abort();
        g_folder = dir;
        g_file = g_folder + "/Fuzz#probe.csv";
        atexit(RemoveFiles);
    }
    return g_file;
}

void CheckCurve(const CLxOpticalFilterSpectrum& s, size_t lines)
{
    if (s.GetCount() == 0 || s.GetCount() > lines || !s.bPoints)
        abort();
    for (uint32_t i = 0; i < s.GetCount(); ++i)
        if (s[i].eType != SLxOFSpectrumPoint::eSptPoint || !std::isfinite(s[i].dWavelength) ||
            !std::isfinite(s[i].dTValue))
            abort();
}

bool SameCurve(const CLxOpticalFilterSpectrum& a, const CLxOpticalFilterSpectrum& b)
{
    if (a.GetCount() != b.GetCount())
        return false;
    for (uint32_t i = 0; i < a.GetCount(); ++i)
        if (a[i].dWavelength != b[i].dWavelength || a[i].dTValue != b[i].dTValue)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CLxOpticalFilterSpectrum excitation, emission;
    const int parsed = CLxFluoProbeBaseVector::ParseSpectra(text, size, excitation, emission);
    if (parsed != 0 && parsed != -4 && parsed != -3)
        abort();
    if (parsed == 0) {
        const size_t lines = size_t(std::count(text, text + size, '\n')) + 1;
        CheckCurve(excitation, lines);
        CheckCurve(emission, lines);
        uint32_t colour = 0;
        if (emission.GetRGBColor(colour) != 0 || colour > 0xFFFFFF)
            abort();
        double peak, lower, upper;
        emission.GetPeakAndFwhm(peak, lower, upper);
    }

    uint32_t pick = uint32_t(size);
    for (size_t i = 0; i < size && i < 64; ++i)
        pick = pick * 31 + data[i];
    if (pick % 16 != 0)
        return 0;

    const std::string& path = FilePath();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || (size && write(fd, data, size) != ssize_t(size)) || close(fd) != 0)
        abort();
    LX_FluoProbeBaseResetForTests();
    const int loaded = CLxFluoProbeBaseVector::LoadFile(LX_Utf8ToUtf16(path.c_str()).c_str());
    if (loaded != (size == 0 ? -3 : parsed))
        abort();
    if (loaded == 0) {
        CLxFluorescentProbe probe;
        if (CLxFluoProbeBase::GetCount() != 1 || CLxFluoProbeBase::GetProbe(0, probe) != 0 ||
            !SameCurve(probe.m_ExcitationSpectrum, excitation) ||
            !SameCurve(probe.m_EmissionSpectrum, emission) ||
            std::u16string(probe.m_sName.GetString()) != u"Fuzz/probe")
            abort();
    } else if (CLxFluoProbeBase::GetCount() != 0) {
        abort();
    }
    return 0;
}
