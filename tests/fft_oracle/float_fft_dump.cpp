// Runs the float Fourier transforms, the centred spectra and the tiled
// kernel convolution on requests from stdin and writes the results to
// stdout, for check_float_fft.py. Floats travel as raw little-endian
// float32, samples as bytes (8 bits) or 16-bit words, kernels as int32.
// Every answer starts with its length in bytes (uint64), then a status
// (int32).
//
//   fft1 DIR N < re, im                  -> status, re, im  (FFT_1Dx2pn)
//   fft2 DIR W H < re, im                -> status, re, im  (FFT_2Dx2pn2pm)
//   const1 INV < 64 re, 64 im            -> status, re, im  (FFT_1D_ConstSize)
//   const2 INV < 4096 re, 4096 im        -> status, re, im  (FFT_2D_ConstSize)
//   complex2 SIGN H W < H x W (re, im)   -> status, H x W (re, im)
//   spectrum W H AW AH COMPS ACOMPS < W x H x COMPS floats
//                                        -> status, amplitude, phase (FFT_Image)
//   inverse AW AH COMPS DW DH < amplitude, phase -> status, DW x DH floats
//   kconv FORM BITS COMPS W H K DIVISOR STRETCH < K x K int32, samples
//                                        -> status, samples
//   pair OP W H COMPS < a, b floats      -> status, W x H x COMPS floats
//       (OP 0 Correlation, 1 Convolution, 2 Deconvolution)
//   stat W H COMPS LEFT TOP RIGHT BOTTOM < floats
//                            -> status, min, max, mean, deviation, median (COMPS floats each)
//   smooth MODE SIZE W H COMPS < floats  -> status, W x H x COMPS floats
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadArray;

struct Answer {
    std::vector<uint8_t> bytes;
    explicit Answer(int32_t status) { add(&status, 1); }
    template <class T> void add(const T* p, size_t count)
    {
        const size_t at = bytes.size();
        bytes.resize(at + count * sizeof(T));
        std::memcpy(bytes.data() + at, p, count * sizeof(T));
    }
    ~Answer()
    {
        const uint64_t n = bytes.size();
        std::fwrite(&n, 8, 1, stdout);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }
};

struct FloatPic {
    SLxFloatPicBuf pic{};
    FloatPic(uint32_t w, uint32_t h, uint32_t comps)
    {
        if (CLxFloatPicBufAPI::Reinit(&pic, w, h, 0, comps, true) != 0)
            Die("no float picture");
    }
    ~FloatPic() { CLxFloatPicBufAPI::Free(&pic); }
    size_t count() const { return size_t(pic.uiWidth) * pic.uiHeight * pic.uiComps; }
};

void complex2(int sign, uint32_t h, uint32_t w)
{
    std::vector<float> data = ReadArray<float>(size_t(h) * w * 2);
    float** lines = lxpic::AllocFloatLines(h, 2 * w);
    int32_t* ip = static_cast<int32_t*>(lxpic::AllocWords(lxpic::ComplexFFT2DIndexWords(h, w)));
    float* tw = static_cast<float*>(lxpic::AllocWords(lxpic::ComplexFFT2DTwiddleWords(h, w)));
    if (!lines || !ip || !tw)
        Die("no memory");
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(lines[y], data.data() + size_t(y) * 2 * w, 2 * w * sizeof(float));
    lxpic::ComplexFFT2D(h, 2 * w, sign, lines, ip, tw);
    Answer a(0);
    for (uint32_t y = 0; y < h; ++y)
        a.add(lines[y], 2 * w);
    lxpic::FreeFloatLines(lines);
    CLxAlloc::Free(ip);
    CLxAlloc::Free(tw);
}

void kconv(int form, uint32_t bits, uint32_t comps, uint32_t w, uint32_t h, uint32_t k,
           int32_t divisor, bool stretch)
{
    SLxKernelMatrix kernel;
    if (SLxKernelMatrix::Alloc(&kernel, k, k) != 0)
        Die("no kernel");
    const std::vector<int32_t> values = ReadArray<int32_t>(size_t(k) * k);
    std::memcpy(kernel.piValues, values.data(), values.size() * sizeof(int32_t));
    kernel.iDivisor = divisor;
    const uint32_t sample = bits <= 8 ? 1 : 2;
    const uint32_t line = w * comps * sample;
    std::vector<uint8_t> src = ReadArray<uint8_t>(size_t(line) * h), dst(src.size());
    SLxPicBuf s{w, h, line, uint8_t(bits), comps, uint32_t(src.size()), src.data()};
    SLxPicBuf d{w, h, line, uint8_t(bits), comps, uint32_t(dst.size()), dst.data()};
    const int status = form == 0 ? CLxFloatPicBufAPI::Convolution(&d, &s, &kernel, stretch)
                                 : CLxFloatPicBufAPI::ConvolutionWithFFT(&d, &s, &kernel, stretch);
    Answer a(status);
    a.add(dst.data(), dst.size());
}

void run(const std::vector<std::string>& words)
{
    if (words.empty())
        Die("empty request");
    auto num = [&](size_t i) {
        if (i >= words.size())
            Die("missing argument");
        return std::strtoll(words[i].c_str(), nullptr, 10);
    };
    const std::string& op = words[0];
    if (op == "fft1" || op == "fft2") {
        const uint32_t w = uint32_t(num(2)), h = op == "fft1" ? 1 : uint32_t(num(3));
        std::vector<float> re = ReadArray<float>(size_t(w) * h), im = ReadArray<float>(re.size());
        const int status =
            op == "fft1"
                ? CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), uint8_t(num(1)), w)
                : CLxFloatPicMemAPI::FFT_2Dx2pn2pm(re.data(), im.data(), w, h, uint8_t(num(1)));
        Answer a(status);
        a.add(re.data(), re.size());
        a.add(im.data(), im.size());
    } else if (op == "const1" || op == "const2") {
        const size_t n = op == "const1" ? 64 : 4096;
        std::vector<float> re = ReadArray<float>(n), im = ReadArray<float>(n);
        const int status =
            op == "const1" ? CLxFloatPicMemAPI::FFT_1D_ConstSize(re.data(), im.data(), num(1) != 0)
                           : CLxFloatPicMemAPI::FFT_2D_ConstSize(re.data(), im.data(), num(1) != 0);
        Answer a(status);
        a.add(re.data(), n);
        a.add(im.data(), n);
    } else if (op == "complex2") {
        complex2(int(num(1)), uint32_t(num(2)), uint32_t(num(3)));
    } else if (op == "spectrum") {
        FloatPic src(uint32_t(num(1)), uint32_t(num(2)), uint32_t(num(5)));
        FloatPic amp(uint32_t(num(3)), uint32_t(num(4)), uint32_t(num(6)));
        FloatPic phase(amp.pic.uiWidth, amp.pic.uiHeight, amp.pic.uiComps);
        const std::vector<float> values = ReadArray<float>(src.count());
        std::memcpy(src.pic.pData, values.data(), values.size() * sizeof(float));
        Answer a(CLxFloatPicBufAPI::FFT_Image(&amp.pic, &phase.pic, &src.pic));
        a.add(amp.pic.pData, amp.count());
        a.add(phase.pic.pData, phase.count());
    } else if (op == "inverse") {
        FloatPic amp(uint32_t(num(1)), uint32_t(num(2)), uint32_t(num(3)));
        FloatPic phase(amp.pic.uiWidth, amp.pic.uiHeight, amp.pic.uiComps);
        FloatPic dst(uint32_t(num(4)), uint32_t(num(5)), amp.pic.uiComps);
        std::vector<float> values = ReadArray<float>(amp.count());
        std::memcpy(amp.pic.pData, values.data(), values.size() * sizeof(float));
        values = ReadArray<float>(phase.count());
        std::memcpy(phase.pic.pData, values.data(), values.size() * sizeof(float));
        Answer a(CLxFloatPicBufAPI::IFFT_Image(&dst.pic, &amp.pic, &phase.pic));
        a.add(dst.pic.pData, dst.count());
    } else if (op == "pair") {
        const uint32_t w = uint32_t(num(2)), h = uint32_t(num(3)), comps = uint32_t(num(4));
        FloatPic a(w, h, comps), b(w, h, comps), dst(w, h, comps);
        for (FloatPic* p : {&a, &b}) {
            const std::vector<float> values = ReadArray<float>(p->count());
            std::memcpy(p->pic.pData, values.data(), values.size() * sizeof(float));
        }
        const int which = int(num(1));
        const int status = which == 0 ? CLxFloatPicBufAPI::Correlation(&dst.pic, &a.pic, &b.pic)
                           : which == 1
                               ? CLxFloatPicBufAPI::Convolution(&dst.pic, &a.pic, &b.pic)
                               : CLxFloatPicBufAPI::Deconvolution(&dst.pic, &a.pic, &b.pic);
        Answer answer(status);
        answer.add(dst.pic.pData, dst.count());
    } else if (op == "stat") {
        FloatPic src(uint32_t(num(1)), uint32_t(num(2)), uint32_t(num(3)));
        const std::vector<float> values = ReadArray<float>(src.count());
        std::memcpy(src.pic.pData, values.data(), values.size() * sizeof(float));
        SLxImageStat stat;
        CLxImageStat::Init(&stat);
        if (CLxImageStat::Reinit(&stat, uint32_t(num(4)), uint32_t(num(5)), uint32_t(num(6)),
                                 uint32_t(num(7)), src.pic.uiComps) != 0)
            Die("no statistics record");
        Answer answer(CLxFloatPicBufAPI::GetStat(&stat, &src.pic));
        for (const float* values :
             {stat.pMin, stat.pMax, stat.pMean, stat.pDeviation, stat.pMedian})
            answer.add(values, src.pic.uiComps);
        CLxImageStat::Free(&stat);
    } else if (op == "smooth") {
        FloatPic src(uint32_t(num(3)), uint32_t(num(4)), uint32_t(num(5)));
        FloatPic dst(src.pic.uiWidth, src.pic.uiHeight, src.pic.uiComps);
        const std::vector<float> values = ReadArray<float>(src.count());
        std::memcpy(src.pic.pData, values.data(), values.size() * sizeof(float));
        Answer answer(
            CLxFloatPicBufAPI::Smooth(&dst.pic, &src.pic, uint32_t(num(1)), uint32_t(num(2))));
        answer.add(dst.pic.pData, dst.count());
    } else if (op == "kconv") {
        kconv(int(num(1)), uint32_t(num(2)), uint32_t(num(3)), uint32_t(num(4)), uint32_t(num(5)),
              uint32_t(num(6)), int32_t(num(7)), num(8) != 0);
    } else {
        Die("unknown request");
    }
    std::fflush(stdout);
}

} // namespace

int main()
{
    oracle_commands::ForEachLine([](const std::vector<std::string>& a) { run(a); });
    return 0;
}
