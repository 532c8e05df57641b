// Runs the SDK's wavelet code on data from stdin and writes the results to
// stdout, for check_pywt.py to compare with PyWavelets. Doubles and 16-bit
// samples travel as raw little-endian arrays.
//
//   filters                                      -> mother and father taps of
//                                                  Daubechies 1-38, Coiflets 1-5
//   dwt     FAMILY GRADE W H      < plane       -> out1 out2 out3 out4
//   wavedec FAMILY GRADE W H N    < plane       -> out1 out2 out3 of levels 1..N, out4 of N
//   waverec FAMILY GRADE W H N    < that        -> plane
//   denoise BITS W H N WAVELET RESHARPEN PERLEVEL < samples -> samples
//   noise   BITS W H              < samples     -> one double
//   batch                                        -> one command a line, each
//                                                  line followed by its input
// FAMILY is db, coif, hess or haar (grade ignored).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/wavelets/LxWavelet2D.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::ReadArray;

template <class T> void write(const T* p, size_t count)
{
    std::fwrite(p, sizeof(T), count, stdout);
}

struct Filters {
    double* low = nullptr;
    double* high = nullptr;
    int taps = 0;
    ~Filters()
    {
        std::free(low);
        std::free(high);
    }
};

bool getFilters(Filters& f, const std::string& family, int grade)
{
    int t = 0;
    if (family == "db")
        return CLxDaubechies2DWave::GetMotherWavelet(f.low, &f.taps, grade) == 0 &&
               CLxDaubechies2DWave::GetFatherWavelet(f.high, &t, grade) == 0;
    if (family == "coif")
        return CLxCoiflets2DWave::GetMotherWavelet(f.low, &f.taps, grade) == 0 &&
               CLxCoiflets2DWave::GetFatherWavelet(f.high, &t, grade) == 0;
    if (family == "hess")
        return CLxHess2DWave::GetMotherWavelet(f.low, &f.taps, grade) == 0 &&
               CLxHess2DWave::GetFatherWavelet(f.high, &t, grade) == 0;
    if (family == "haar")
        return CLxHaar2DWave::GetMotherWavelet(f.low, &f.taps) == 0 &&
               CLxHaar2DWave::GetFatherWavelet(f.high, &t) == 0;
    return false;
}

int fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    return 1;
}

int decompose(const Filters& f, uint32_t w, uint32_t h, uint32_t levels)
{
    std::vector<double> plane = ReadArray<double>(size_t(w) * h);
    std::vector<double*> planes;
    const double* src = plane.data();
    uint32_t sw = w, sh = h;
    double* approx = nullptr;
    for (uint32_t k = 0; k < levels; ++k) {
        double* o[4] = {};
        uint32_t hw = 0, hh = 0;
        if (CLxWavelet2D::WaveletDecompositionImage(o[0], o[1], o[2], o[3], hw, hh, src, sw, sh,
                                                    f.low, f.high, uint32_t(f.taps)) != 0)
            return fail("decomposition failed");
        write(o[0], size_t(hw) * hh);
        write(o[1], size_t(hw) * hh);
        write(o[2], size_t(hw) * hh);
        for (int b = 0; b < 3; ++b)
            CLxWavelet2D::FreeBuf(o[b]);
        if (approx)
            CLxWavelet2D::FreeBuf(approx);
        approx = o[3];
        src = approx;
        sw = hw;
        sh = hh;
    }
    write(approx, size_t(sw) * sh);
    CLxWavelet2D::FreeBuf(approx);
    return 0;
}

int reconstruct(const Filters& f, uint32_t w, uint32_t h, uint32_t levels)
{
    std::vector<std::vector<double>> details;
    for (uint32_t k = 1; k <= levels; ++k)
        for (int b = 0; b < 3; ++b)
            details.push_back(ReadArray<double>(size_t(w >> k) * (h >> k)));
    std::vector<double> approx = ReadArray<double>(size_t(w >> levels) * (h >> levels));
    for (uint32_t k = levels; k >= 1; --k) {
        double* out = nullptr;
        uint32_t ow = 0, oh = 0;
        const auto& d = details;
        const size_t i = 3 * (k - 1);
        if (CLxWavelet2D::WaveletReconstructionImage(out, ow, oh, d[i].data(), d[i + 1].data(),
                                                     d[i + 2].data(), approx.data(), w >> k, h >> k,
                                                     f.low, f.high, uint32_t(f.taps)) != 0)
            return fail("reconstruction failed");
        approx.assign(out, out + size_t(ow) * oh);
        CLxWavelet2D::FreeBuf(out);
    }
    write(approx.data(), approx.size());
    return 0;
}

int denoise(uint32_t bits, uint32_t w, uint32_t h, uint32_t levels, uint32_t wavelet,
            bool resharpen, bool perLevel)
{
    std::vector<uint16_t> samples = ReadArray<uint16_t>(size_t(w) * h);
    SLxPicBuf src, dst;
    CLxPicBufAPI::Init(&src);
    CLxPicBufAPI::Init(&dst);
    int status = CLxPicBufAPI::Reinit(&src, w, h, 0, bits, 1, true);
    if (status == 0)
        status = CLxPicBufAPI::Reinit(&dst, w, h, 0, bits, 1, true);
    const size_t bytes = CLxPicBufAPI::CalcCompSize(bits);
    for (uint32_t y = 0; status == 0 && y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            std::memcpy(static_cast<uint8_t*>(src.pData) + size_t(y) * src.uiWidthBytes + x * bytes,
                        &samples[size_t(y) * w + x], bytes);
    if (status == 0)
        status = resharpen
                     ? CLxPicBufAPI::ResharpenBlind(&dst, &src, levels, perLevel, false, wavelet, 0)
                     : CLxPicBufAPI::DenoiseBlind(&dst, &src, levels, perLevel, false, wavelet, 0);
    for (uint32_t y = 0; status == 0 && y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint16_t v = 0;
            std::memcpy(&v,
                        static_cast<uint8_t*>(dst.pData) + size_t(y) * dst.uiWidthBytes + x * bytes,
                        bytes);
            samples[size_t(y) * w + x] = v;
        }
    CLxPicBufAPI::Free(&src);
    CLxPicBufAPI::Free(&dst);
    if (status != 0)
        return fail("denoising failed");
    write(samples.data(), samples.size());
    return 0;
}

int command(const std::vector<std::string>& a)
{
    auto num = [&](size_t i) { return uint32_t(std::strtoul(a.at(i).c_str(), nullptr, 10)); };
    if (a.empty())
        return fail("no command");
    const std::string& cmd = a[0];
    if (cmd == "denoise")
        return denoise(num(1), num(2), num(3), num(4), num(5), num(6) != 0, num(7) != 0);
    if (cmd == "noise") {
        const uint32_t bits = num(1), w = num(2), h = num(3);
        std::vector<uint16_t> s16 = ReadArray<uint16_t>(size_t(w) * h);
        std::vector<uint8_t> s8(s16.begin(), s16.end());
        const double v = bits <= 8
                             ? CLxPicMemAPI::GetNoiseEstimation(s8.data(), 1, bits, w, w, h)
                             : CLxPicMemAPI::GetNoiseEstimation(s16.data(), 1, bits, 2 * w, w, h);
        write(&v, 1);
        return 0;
    }
    if (cmd == "filters") {
        for (const auto& [family, grades] : {std::pair<std::string, int>{"db", 38}, {"coif", 5}})
            for (int g = 1; g <= grades; ++g) {
                Filters f;
                if (!getFilters(f, family, g))
                    return fail("no such filter");
                write(f.low, size_t(f.taps));
                write(f.high, size_t(f.taps));
            }
        return 0;
    }
    Filters f;
    if (!getFilters(f, a.at(1), int(num(2))))
        return fail("no such filter");
    if (cmd == "dwt")
        return decompose(f, num(3), num(4), 1);
    if (cmd == "wavedec")
        return decompose(f, num(3), num(4), num(5));
    if (cmd == "waverec")
        return reconstruct(f, num(3), num(4), num(5));
    return fail("unknown command");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "batch")
        return command(args);
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        std::vector<std::string> words;
        for (char* w = std::strtok(line, " \n"); w; w = std::strtok(nullptr, " \n"))
            words.emplace_back(w);
        if (words.empty())
            continue;
        const int status = command(words);
        if (status != 0)
            return status;
    }
    return 0;
}
