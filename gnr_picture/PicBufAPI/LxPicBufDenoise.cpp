// The wavelet denoising and resharpening operations; the work is done in
// LxWaveletShrink.cpp.
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxWaveletShrink.h"

using lxshrink::EShrink;
using lxshrink::SNoiseRecord;

namespace
{

SNoiseRecord fromArrays(const double* const* arrays)
{
    SNoiseRecord r;
    for (int b = 0; b < 3; ++b)
        for (uint32_t k = 0; k < lxshrink::kMaxLevels; ++k)
            r.band[b][k] = arrays[b] ? arrays[b][k] : 0.0;
    return r;
}

void toArrays(const SNoiseRecord& r, double* const* arrays)
{
    for (int b = 0; b < 3; ++b)
        if (arrays[b])
            for (uint32_t k = 0; k < lxshrink::kMaxLevels; ++k)
                arrays[b][k] = r.band[b][k];
}

int inner(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
          const double* const* known, double* const* record, uint32_t wavelet, EShrink mode)
{
    SNoiseRecord given;
    if (known)
        given = fromArrays(known);
    SNoiseRecord used;
    const int status = lxshrink::shrinkTile(dst, src, levels, perLevel, known ? &given : nullptr,
                                            record ? &used : nullptr, wavelet, mode);
    if (status == 0 && record)
        toArrays(used, record);
    return status;
}

int known1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise, uint32_t levels,
             bool perLevel, uint32_t wavelet, EShrink mode)
{
    SNoiseRecord record;
    const int status = lxshrink::measureNoise(noise, levels, &record, wavelet);
    if (status != 0 || levels == 0)
        return status;
    return lxshrink::shrinkTiled(dst, src, levels, perLevel, &record, wavelet, mode);
}

} // namespace

int CLxPicBufAPI::DenoiseBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                               bool color, uint32_t wavelet, uint32_t colorMode)
{
    return lxshrink::shrinkPicture(dst, src, nullptr, levels, perLevel, color, wavelet, colorMode,
                                   EShrink::Denoise);
}

int CLxPicBufAPI::Denoise(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                          uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                          uint32_t colorMode)
{
    if (!noise)
        return -9;
    return lxshrink::shrinkPicture(dst, src, noise, levels, perLevel, color, wavelet, colorMode,
                                   EShrink::Denoise);
}

int CLxPicBufAPI::ResharpenBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels,
                                 bool perLevel, bool color, uint32_t wavelet, uint32_t colorMode)
{
    return lxshrink::shrinkPicture(dst, src, nullptr, levels, perLevel, color, wavelet, colorMode,
                                   EShrink::Resharpen);
}

int CLxPicBufAPI::Resharpen(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                            uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                            uint32_t colorMode)
{
    if (!noise)
        return -9;
    return lxshrink::shrinkPicture(dst, src, noise, levels, perLevel, color, wavelet, colorMode,
                                   EShrink::Resharpen);
}

int CLxPicBufAPI::Denoise1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                             uint32_t wavelet)
{
    return lxshrink::shrinkTiled(dst, src, levels, perLevel, nullptr, wavelet, EShrink::Denoise);
}

int CLxPicBufAPI::Resharpen1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                               uint32_t wavelet)
{
    return lxshrink::shrinkTiled(dst, src, levels, perLevel, nullptr, wavelet, EShrink::Resharpen);
}

int CLxPicBufAPI::DenoiseKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                                  uint32_t levels, bool perLevel, uint32_t wavelet)
{
    return known1xN(dst, src, noise, levels, perLevel, wavelet, EShrink::Denoise);
}

int CLxPicBufAPI::ResharpenKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                                    uint32_t levels, bool perLevel, uint32_t wavelet)
{
    return known1xN(dst, src, noise, levels, perLevel, wavelet, EShrink::Resharpen);
}

int CLxPicBufAPI::Denoise1xNInner(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels,
                                  bool perLevel, const double* const* known, double* const* record,
                                  uint32_t wavelet)
{
    return inner(dst, src, levels, perLevel, known, record, wavelet, EShrink::Denoise);
}

int CLxPicBufAPI::Resharpen1xNInner(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels,
                                    bool perLevel, const double* const* known,
                                    double* const* record, uint32_t wavelet)
{
    return inner(dst, src, levels, perLevel, known, record, wavelet, EShrink::Resharpen);
}

int CLxPicBufAPI::FillNoiseParams(const SLxPicBuf* noise, uint32_t levels, double* const* bands,
                                  uint32_t wavelet)
{
    if (!bands)
        return -9;
    SNoiseRecord record;
    const int status = lxshrink::measureNoise(noise, levels, &record, wavelet);
    if (status == 0 && levels != 0)
        toArrays(record, bands);
    return status;
}
