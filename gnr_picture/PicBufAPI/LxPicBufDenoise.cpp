// The wavelet denoising and resharpening operations. The public operations
// run through the private members: the one-component routines tile a
// picture, the inner routines process one tile, FillNoiseParams measures a
// noise picture; the work is done in LxWaveletShrink.cpp.
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxWaveletShrink.h"

using lxshrink::EShrink;
using lxshrink::kMaxLevels;
using lxshrink::SNoiseRecord;

namespace
{

SNoiseRecord fromArrays(const double* const* arrays)
{
    SNoiseRecord r;
    for (int b = 0; b < 3; ++b)
        for (uint32_t k = 0; k < kMaxLevels; ++k)
            r.band[b][k] = arrays[b] ? arrays[b][k] : 0.0;
    return r;
}

void toArrays(const SNoiseRecord& r, double* const* arrays)
{
    for (int b = 0; b < 3; ++b)
        if (arrays[b])
            for (uint32_t k = 0; k < kMaxLevels; ++k)
                arrays[b][k] = r.band[b][k];
}

// The tiling's callback over an inner routine, which takes a record as
// three arrays.
template <class Inner> lxshrink::TileRoutine tileCallback(Inner innerRoutine)
{
    return [innerRoutine](SLxPicBuf* d, const SLxPicBuf* s, const SNoiseRecord* known,
                          SNoiseRecord* record) {
        const double* in[3] = {};
        double* out[3] = {};
        for (int b = 0; b < 3; ++b) {
            in[b] = known ? known->band[b] : nullptr;
            out[b] = record ? record->band[b] : nullptr;
        }
        return innerRoutine(d, s, known ? in : nullptr, record ? out : nullptr);
    };
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

} // namespace

int CLxPicBufAPI::DenoiseBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                               bool color, uint32_t wavelet, uint32_t colorMode)
{
    return lxshrink::shrinkPicture(dst, src, nullptr, levels, color, wavelet, colorMode,
                                   [&](SLxPicBuf* d, const SLxPicBuf* s, const SLxPicBuf*) {
                                       return Denoise1xN(d, s, levels, perLevel, wavelet);
                                   });
}

int CLxPicBufAPI::Denoise(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                          uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                          uint32_t colorMode)
{
    if (!noise)
        return -9;
    return lxshrink::shrinkPicture(dst, src, noise, levels, color, wavelet, colorMode,
                                   [&](SLxPicBuf* d, const SLxPicBuf* s, const SLxPicBuf* n) {
                                       return DenoiseKnown1xN(d, s, n, levels, perLevel, wavelet);
                                   });
}

int CLxPicBufAPI::ResharpenBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels,
                                 bool perLevel, bool color, uint32_t wavelet, uint32_t colorMode)
{
    return lxshrink::shrinkPicture(dst, src, nullptr, levels, color, wavelet, colorMode,
                                   [&](SLxPicBuf* d, const SLxPicBuf* s, const SLxPicBuf*) {
                                       return Resharpen1xN(d, s, levels, perLevel, wavelet);
                                   });
}

int CLxPicBufAPI::Resharpen(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                            uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                            uint32_t colorMode)
{
    if (!noise)
        return -9;
    return lxshrink::shrinkPicture(dst, src, noise, levels, color, wavelet, colorMode,
                                   [&](SLxPicBuf* d, const SLxPicBuf* s, const SLxPicBuf* n) {
                                       return ResharpenKnown1xN(d, s, n, levels, perLevel, wavelet);
                                   });
}

int CLxPicBufAPI::Denoise1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                             uint32_t wavelet)
{
    return lxshrink::shrinkTiled(dst, src, levels, nullptr,
                                 tileCallback([&](SLxPicBuf* d, const SLxPicBuf* s,
                                                  const double* const* k, double* const* r) {
                                     return Denoise1xNInner(d, s, levels, perLevel, k, r, wavelet);
                                 }));
}

int CLxPicBufAPI::Resharpen1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                               uint32_t wavelet)
{
    return lxshrink::shrinkTiled(dst, src, levels, nullptr,
                                 tileCallback([&](SLxPicBuf* d, const SLxPicBuf* s,
                                                  const double* const* k, double* const* r) {
                                     return Resharpen1xNInner(d, s, levels, perLevel, k, r,
                                                              wavelet);
                                 }));
}

int CLxPicBufAPI::DenoiseKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                                  uint32_t levels, bool perLevel, uint32_t wavelet)
{
    SNoiseRecord record;
    double* bands[3] = {record.band[0], record.band[1], record.band[2]};
    const int status = FillNoiseParams(noise, levels, bands, wavelet);
    if (status != 0)
        return status;
    return lxshrink::shrinkTiled(dst, src, levels, &record,
                                 tileCallback([&](SLxPicBuf* d, const SLxPicBuf* s,
                                                  const double* const* k, double* const* r) {
                                     return Denoise1xNInner(d, s, levels, perLevel, k, r, wavelet);
                                 }));
}

int CLxPicBufAPI::ResharpenKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                                    uint32_t levels, bool perLevel, uint32_t wavelet)
{
    SNoiseRecord record;
    double* bands[3] = {record.band[0], record.band[1], record.band[2]};
    const int status = FillNoiseParams(noise, levels, bands, wavelet);
    if (status != 0)
        return status;
    return lxshrink::shrinkTiled(dst, src, levels, &record,
                                 tileCallback([&](SLxPicBuf* d, const SLxPicBuf* s,
                                                  const double* const* k, double* const* r) {
                                     return Resharpen1xNInner(d, s, levels, perLevel, k, r,
                                                              wavelet);
                                 }));
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
