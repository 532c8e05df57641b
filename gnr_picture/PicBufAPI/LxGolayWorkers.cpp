// Savitzky-Golay passes over rows and columns. The interior of a line sums
// one table entry per window position (the tables hold every sample value
// times a weight, rounded); the first and last m samples evaluate the
// polynomial fitted to the line's first or last 2m + 1 samples.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "gnr_picture/PicBufAPI/LxGolayFilter.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "w32_system/memory/LxAlloc.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

namespace lxpic
{
namespace
{

// A block of the library heap, released with its owner; zeroed unless
// every byte is written before it is read.
template <class T> class Work
{
  public:
    explicit Work(size_t count, bool zero = true)
    {
        if (count != 0 && count <= SIZE_MAX / sizeof(T))
            m_p =
                static_cast<T*>(CLxAlloc::Alloc(zero ? LX_HEAP_ZERO_MEMORY : 0, count * sizeof(T)));
    }
    ~Work() { CLxAlloc::Free(m_p); }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

  private:
    T* m_p = nullptr;
};

// Windows up to this many taps may take the multiplying vector path: their
// rounded parts (at most 255 each) sum within 16 bits.
constexpr int kProductTaps = 127;

// Rounds half away from zero.
int32_t fixedPoint(double w)
{
    return int32_t(std::round(w));
}

// F(i, t) = W(i, t) x 1024 and L(i, v) = v x W(i, 0) x 1024, both rounded.
struct GolayTables {
    int m = 0;
    uint32_t values = 0; // entries of one look-up table
    Work<double> weights;
    Work<int32_t> fixed;  // (i + m) x (2m + 1) + (t + m)
    Work<int32_t> lookup; // (i + m) x values + v

    GolayTables(int m_, uint32_t bits, int n, int s)
        : m(m_), values(uint32_t(1) << bits), weights(size_t(2 * m_ + 1) * (2 * m_ + 1)),
          fixed(size_t(2 * m_ + 1) * (2 * m_ + 1)), lookup(size_t(2 * m_ + 1) * values)
    {
        if (!ok())
            return;
        const int side = 2 * m + 1;
        for (int i = -m; i <= m; ++i)
            for (int t = -m; t <= m; ++t) {
                const size_t at = size_t(i + m) * side + (t + m);
                weights.get()[at] = GolayWeight(i, t, m, n, s);
                fixed.get()[at] = fixedPoint(weights.get()[at] * 1024.0);
            }
        for (int i = -m; i <= m; ++i) {
            const double w = weights.get()[size_t(i + m) * side + m];
            int32_t* table = lookup.get() + size_t(i + m) * values;
            for (uint32_t v = 0; v < values; ++v)
                table[v] = fixedPoint(double(v) * w * 1024.0);
        }
        findProducts();
        findWideProducts();
    }
    // 8-bit tables that equal v x whole + round(v x part / 2^15), the
    // rounding as _mm256_mulhrs_epi16 does it (checked for every entry), so
    // that vector code can multiply instead of gathering.
    bool product = false;
    int16_t whole[kProductTaps];
    int16_t part[kProductTaps];

    // Deeper tables that equal sign x ((v x factor + 2^(shift - 1)) >>
    // shift), 32 x 32-bit products in 64-bit lanes (checked for every entry).
    bool wide = false;
    uint32_t shift = 0;
    uint32_t factor[kProductTaps];
    bool negative[kProductTaps];

    bool ok() const { return weights && fixed && lookup; }

    void findWideProducts()
    {
        const int n = 2 * m + 1;
        if (values == 256 || n > kProductTaps)
            return;
        double largest = 0.0;
        for (int k = 0; k < n; ++k)
            largest = std::max(largest, std::fabs(weights.get()[size_t(k) * n + m] * 1024.0));
        // Products below 2^31 x 2^shift / 2^shift: factors below 2^31.
        const int bitsOfLargest = int(std::ceil(std::log2(largest + 1.0)));
        if (bitsOfLargest >= 31)
            return;
        shift = uint32_t(31 - bitsOfLargest);
        const uint64_t half = uint64_t(1) << (shift - 1);
        for (int k = 0; k < n; ++k) {
            const double c = weights.get()[size_t(k) * n + m] * 1024.0;
            factor[k] = uint32_t(std::llround(std::fabs(c) * double(uint64_t(1) << shift)));
            negative[k] = c < 0;
            const int32_t* table = lookup.get() + size_t(k) * values;
            for (uint32_t v = 0; v < values; ++v) {
                const int64_t magnitude = int64_t((uint64_t(v) * factor[k] + half) >> shift);
                if ((negative[k] ? -magnitude : magnitude) != table[v])
                    return;
            }
        }
        wide = true;
    }

    void findProducts()
    {
        const int n = 2 * m + 1;
        if (values != 256 || n > kProductTaps)
            return;
        for (int k = 0; k < n; ++k) {
            const int32_t* table = lookup.get() + size_t(k) * values;
            const double c = weights.get()[size_t(k) * n + m] * 1024.0;
            const double w = std::trunc(c);
            const double f = std::nearbyint((c - w) * 32768.0);
            if (std::fabs(w) > 32767.0 || std::fabs(f) > 32767.0)
                return;
            whole[k] = int16_t(w);
            part[k] = int16_t(f);
            for (int32_t v = 0; v < 256; ++v) {
                const int32_t rounded = ((v * part[k] >> 14) + 1) >> 1;
                if (v * whole[k] + rounded != table[v])
                    return;
            }
        }
        product = true;
    }
    int32_t F(int i, int t) const { return fixed.get()[size_t(i + m) * (2 * m + 1) + (t + m)]; }
    const int32_t* table(int i) const { return lookup.get() + size_t(i + m) * values; }
};

// out[j] = sum over i of table(i)[taps[i][j]] for j < count, taps[i]
// pointing at the sample under window position i - m. Returns how many
// outputs it wrote from the start (the rest is left to the plain loop).
#if LX_HAVE_AVX2_PATHS
template <class T>
LX_TARGET_AVX2 size_t interiorSumsAvx2(const T* const* taps, const GolayTables& g, size_t count,
                                       int32_t* out, size_t from)
{
    const int n = 2 * g.m + 1;
    const __m256i top = _mm256_set1_epi32(int32_t(g.values - 1));
    size_t j = 0;
    for (; j + 8 <= count; j += 8) {
        __m256i acc = _mm256_setzero_si256();
        for (int i = 0; i < n; ++i) {
            __m256i index;
            if constexpr (sizeof(T) == 1) {
                index = _mm256_cvtepu8_epi32(
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps[i] + from + j)));
            } else {
                index = _mm256_cvtepu16_epi32(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps[i] + from + j)));
                index = _mm256_min_epi32(index, top);
            }
            acc = _mm256_add_epi32(acc, _mm256_i32gather_epi32(g.table(i - g.m), index, 4));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), acc);
    }
    return j;
}
#endif

#if LX_HAVE_AVX2_PATHS
// The constants of the 8-bit interior by products: rounded parts, and whole
// parts two taps to a 32-bit lane.
struct ProductConstants {
    __m256i part[kProductTaps + 1], coeff[(kProductTaps + 1) / 2];
};

LX_TARGET_AVX2 void productConstantsOf(const GolayTables& g, ProductConstants& c)
{
    const int n = 2 * g.m + 1;
    for (int k = 0; k < n; k += 2) {
        const bool pair = k + 1 < n;
        c.part[k] = _mm256_set1_epi16(g.part[k]);
        c.part[k + 1] = _mm256_set1_epi16(pair ? g.part[k + 1] : 0);
        const int32_t wa = uint16_t(g.whole[k]);
        const int32_t wb = pair ? int32_t(uint32_t(uint16_t(g.whole[k + 1])) << 16) : 0;
        c.coeff[k / 2] = _mm256_set1_epi32(wa | wb);
    }
}

// The 8-bit interior by products, 16 outputs from j: whole parts two taps at
// a time with _mm256_madd_epi16 into lo (outputs 0-3 and 8-11, as unpacklo
// works within 128-bit lanes) and hi (4-7 and 12-15), rounded parts with
// _mm256_mulhrs_epi16 into rounded (16 bits, in order). Equal to the tables
// (GolayTables::findProducts checked it). N taps, or n when N is 0.
template <int N>
LX_TARGET_AVX2 inline void productSums16(const uint8_t* const* taps, int n, size_t j,
                                         const ProductConstants& c, __m256i& lo, __m256i& hi,
                                         __m256i& rounded)
{
    const int count = N ? N : n;
    lo = hi = rounded = _mm256_setzero_si256();
    for (int k = 0; k < count; k += 2) {
        const __m256i a =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(taps[k] + j)));
        const bool pair = k + 1 < count;
        const __m256i b = pair ? _mm256_cvtepu8_epi16(_mm_loadu_si128(
                                     reinterpret_cast<const __m128i*>(taps[k + 1] + j)))
                               : _mm256_setzero_si256();
        rounded = _mm256_add_epi16(rounded, _mm256_mulhrs_epi16(a, c.part[k]));
        if (pair)
            rounded = _mm256_add_epi16(rounded, _mm256_mulhrs_epi16(b, c.part[k + 1]));
        lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), c.coeff[k / 2]));
        hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), c.coeff[k / 2]));
    }
}

// The sums of the 8-bit interior by products, 16 outputs a step. Returns
// how many it wrote from the start.
LX_TARGET_AVX2 size_t interiorProductsAvx2(const uint8_t* const* taps, const GolayTables& g,
                                           size_t count, int32_t* out)
{
    ProductConstants c;
    productConstantsOf(g, c);
    size_t j = 0;
    for (; j + 16 <= count; j += 16) {
        __m256i lo, hi, rounded;
        productSums16<0>(taps, 2 * g.m + 1, j, c, lo, hi, rounded);
        const __m256i first = _mm256_permute2x128_si256(lo, hi, 0x20);
        const __m256i second = _mm256_permute2x128_si256(lo, hi, 0x31);
        const __m256i r0 = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(rounded));
        const __m256i r1 = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(rounded, 1));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_add_epi32(first, r0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 8), _mm256_add_epi32(second, r1));
    }
    return j;
}

// The 8-bit smoothed interior straight to samples, 16 a step, the last step
// ending at count (dst is not under any tap): the sums of
// interiorProductsAvx2, (s + 512) >> 10, the saturating packs clamping to
// 0 ... 255 as SmoothStore does. count at least 16.
template <int N>
LX_TARGET_AVX2 void interiorSmooth8Avx2(const uint8_t* const* taps, const GolayTables& g,
                                        size_t count, uint8_t* dst)
{
    ProductConstants c;
    productConstantsOf(g, c);
    const int n = 2 * g.m + 1;
    const __m256i half = _mm256_set1_epi32(512);
    for (size_t j = 0;; j += 16) {
        if (j + 16 > count)
            j = count - 16;
        __m256i lo, hi, rounded;
        productSums16<N>(taps, n, j, c, lo, hi, rounded);
        // rounded in lo's and hi's order, widened with its sign.
        const __m256i sign = _mm256_srai_epi16(rounded, 15);
        lo = _mm256_add_epi32(lo, _mm256_add_epi32(_mm256_unpacklo_epi16(rounded, sign), half));
        hi = _mm256_add_epi32(hi, _mm256_add_epi32(_mm256_unpackhi_epi16(rounded, sign), half));
        const __m256i words =
            _mm256_packs_epi32(_mm256_srai_epi32(lo, 10), _mm256_srai_epi32(hi, 10));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), _mm256_castsi256_si128(bytes));
        if (j + 16 == count)
            break;
    }
}

// The deeper interior by 32 x 32-bit products, 8 outputs a step. Equal to
// the tables (GolayTables::findWideProducts checked it).
LX_TARGET_AVX2 size_t interiorWideProductsAvx2(const uint16_t* const* taps, const GolayTables& g,
                                               size_t count, int32_t* out)
{
    const int n = 2 * g.m + 1;
    const __m256i top = _mm256_set1_epi32(int32_t(g.values - 1));
    const __m256i half = _mm256_set1_epi64x(int64_t(1) << (g.shift - 1));
    const __m128i shift = _mm_cvtsi32_si128(int(g.shift));
    size_t j = 0;
    for (; j + 8 <= count; j += 8) {
        __m256i acc = _mm256_setzero_si256();
        for (int k = 0; k < n; ++k) {
            __m256i v = _mm256_cvtepu16_epi32(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps[k] + j)));
            v = _mm256_min_epi32(v, top);
            const __m256i factor = _mm256_set1_epi32(int32_t(g.factor[k]));
            __m256i even = _mm256_add_epi64(_mm256_mul_epu32(v, factor), half);
            __m256i odd =
                _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(v, 32), factor), half);
            even = _mm256_srl_epi64(even, shift);
            odd = _mm256_slli_epi64(_mm256_srl_epi64(odd, shift), 32);
            const __m256i term = _mm256_blend_epi32(even, odd, 0xAA);
            acc = g.negative[k] ? _mm256_sub_epi32(acc, term) : _mm256_add_epi32(acc, term);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), acc);
    }
    return j;
}
#endif

// The 8-bit smoothed interior of count samples (at least 16) into dst;
// callers check that the products and AVX2 are there.
template <class T>
LX_KERNEL_INLINE void smoothInterior8(const T* const* taps, const GolayTables& g, size_t count,
                                      T* dst)
{
#if LX_HAVE_AVX2_PATHS
    if constexpr (sizeof(T) == 1) {
        if (g.m == 2)
            interiorSmooth8Avx2<5>(taps, g, count, dst);
        else
            interiorSmooth8Avx2<0>(taps, g, count, dst);
    }
#else
    (void)taps, (void)g, (void)count, (void)dst;
#endif
}

template <class T>
LX_KERNEL_INLINE void interiorSums(const T* const* taps, const GolayTables& g, size_t count,
                                   int32_t* out)
{
    size_t j = 0;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2()) {
        if constexpr (sizeof(T) == 1) {
            if (g.product)
                j = interiorProductsAvx2(taps, g, count, out);
        } else {
            if (g.wide)
                j = interiorWideProductsAvx2(taps, g, count, out);
        }
        j += interiorSumsAvx2<T>(reinterpret_cast<const T* const*>(taps), g, count - j, out + j, j);
    }
#endif
    const int n = 2 * g.m + 1;
    const uint32_t top = g.values - 1;
    for (; j < count; ++j) {
        int32_t s = 0;
        for (int i = 0; i < n; ++i)
            s += g.table(i - g.m)[std::min<uint32_t>(taps[i][j], top)];
        out[j] = s;
    }
}

// out[j] = sum over k of taps[k][j] x F(k - m, t) for the fit evaluated at
// window position t (t from -m at the first sample of a line to m at the
// last).
template <class T>
LX_KERNEL_INLINE void fittedSums(const T* const* taps, const GolayTables& g, int t, size_t count,
                                 int32_t* out)
{
    const int n = 2 * g.m + 1;
    const uint32_t top = g.values - 1;
    for (size_t j = 0; j < count; ++j) {
        int64_t s = 0;
        for (int k = 0; k < n; ++k)
            s += int64_t(std::min<uint32_t>(taps[k][j], top)) * g.F(k - g.m, t);
        out[j] = int32_t(std::clamp<int64_t>(s, INT32_MIN, INT32_MAX));
    }
}

// The sums of the first and last m pixels of one row of len pixels with
// comps components each.
template <class T>
LX_KERNEL_INLINE void rowEnds(const T* line, uint32_t len, uint32_t comps, const GolayTables& g,
                              const T** taps, int32_t* out)
{
    const int m = g.m, n = 2 * m + 1;
    const size_t c = comps;
    for (int k = 0; k < n; ++k)
        taps[k] = line + size_t(k) * c;
    for (int x = 0; x < m; ++x)
        fittedSums<T>(taps, g, x - m, c, out + size_t(x) * c);
    const size_t last = size_t(len) - n;
    for (int k = 0; k < n; ++k)
        taps[k] = line + (last + k) * c;
    for (int x = 0; x < m; ++x)
        fittedSums<T>(taps, g, x + 1, c, out + (size_t(len) - m + x) * c);
}

// Points taps at the first window of a row; the interior has
// (len - 2m) comps samples.
template <class T>
LX_KERNEL_INLINE size_t interiorTaps(const T* line, uint32_t len, uint32_t comps, int m,
                                     const T** taps)
{
    for (int k = 0; k < 2 * m + 1; ++k)
        taps[k] = line + size_t(k) * comps;
    return (size_t(len) - 2 * m) * comps;
}

// The sums of one row of len pixels with comps components each.
template <class T>
LX_KERNEL_INLINE void rowSums(const T* line, uint32_t len, uint32_t comps, const GolayTables& g,
                              const T** taps, int32_t* out)
{
    rowEnds<T>(line, len, comps, g, taps, out);
    const size_t interior = interiorTaps<T>(line, len, comps, g.m, taps);
    interiorSums<T>(taps, g, interior, out + size_t(g.m) * comps);
}

// The sums of row y of a column pass over a plane of height rows.
template <class T>
LX_KERNEL_INLINE void columnSums(const uint8_t* plane, size_t pitch, uint32_t height, uint32_t y,
                                 size_t samples, const GolayTables& g, const T** taps, int32_t* out)
{
    const int m = g.m, n = 2 * m + 1;
    auto row = [&](int64_t r) { return reinterpret_cast<const T*>(plane + size_t(r) * pitch); };
    if (y < uint32_t(m)) {
        for (int k = 0; k < n; ++k)
            taps[k] = row(k);
        fittedSums<T>(taps, g, int(y) - m, samples, out);
    } else if (y >= height - m) {
        const int64_t first = int64_t(height) - n;
        for (int k = 0; k < n; ++k)
            taps[k] = row(first + k);
        fittedSums<T>(taps, g, int(int64_t(y) - first) - m, samples, out);
    } else {
        for (int k = 0; k < n; ++k)
            taps[k] = row(int64_t(y) - m + k);
        interiorSums<T>(taps, g, samples, out);
    }
}

// How a sum becomes a stored sample.
struct SmoothStore {
    int32_t top;
    template <class T> T operator()(int32_t s) const
    {
        return T(std::clamp((s + 512) >> 10, 0, top));
    }
};

struct DerivStore {
    uint32_t bits;
    template <class T> T operator()(int32_t s) const
    {
        // Eight bits: |S| held to two bytes, then its high byte.
        return T(std::min<uint64_t>(uint64_t(std::llabs(int64_t(s))), 65535) >> 8);
    }
};

#if LX_HAVE_AVX2_PATHS
// Smoothed 8-bit sums as samples, 32 a step: (s + 512) >> 10, the two
// saturating packs clamp to 0 ... 255. Returns how many it stored.
LX_TARGET_AVX2 size_t storeSmooth8Avx2(uint8_t* dst, const int32_t* sums, size_t count)
{
    const __m256i half = _mm256_set1_epi32(512);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    size_t j = 0;
    for (; j + 32 <= count; j += 32) {
        __m256i v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = _mm256_srai_epi32(
                _mm256_add_epi32(
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + j + 8 * k)), half),
                10);
        // packs work within 128-bit lanes; the permute restores the order.
        const __m256i w01 = _mm256_packs_epi32(v[0], v[1]);
        const __m256i w23 = _mm256_packs_epi32(v[2], v[3]);
        const __m256i b = _mm256_packus_epi16(w01, w23);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + j),
                            _mm256_permutevar8x32_epi32(b, order));
    }
    return j;
}
#endif

template <class T, class Store>
LX_KERNEL_INLINE void storeLine(T* dst, int32_t* sums, size_t count, Store store)
{
#if LX_HAVE_AVX2_PATHS
    if constexpr (std::is_same_v<Store, SmoothStore> && sizeof(T) == 1) {
        if (store.top == 255 && cpuHasAvx2()) {
            const size_t j = storeSmooth8Avx2(dst, sums, count);
            dst += j;
            sums += j;
            count -= j;
        }
    }
#endif
    if constexpr (std::is_same_v<Store, DerivStore> && sizeof(T) == 2) {
        // Deep derivatives keep |S| in four bytes, then take its top bits.
        uint32_t* kept = reinterpret_cast<uint32_t*>(sums);
        const uint64_t top = store.bits >= 16 ? UINT32_MAX : (uint64_t(1) << (2 * store.bits)) - 1;
        for (size_t j = 0; j < count; ++j)
            kept[j] = uint32_t(std::min<uint64_t>(uint64_t(std::llabs(int64_t(sums[j]))), top));
        golay_store_16(dst, 0, kept, 0, uint32_t(count), 1, 1, store.bits);
    } else {
        for (size_t j = 0; j < count; ++j)
            dst[j] = store.template operator()<T>(sums[j]);
    }
}

struct Frame {
    uint8_t* dst;
    const uint8_t* src;
    uint32_t width, height, wb, bits, comps;
    int m, n;
};

template <class T> uint32_t sampleBits(uint32_t bits)
{
    return sizeof(T) == 1 ? 8u : bits;
}

// The checks every worker makes before it writes; 1 to go on.
template <class T> int check(const Frame& f, bool rows, bool columns)
{
    if (f.m < 1)
        return 0;
    if (!f.dst || !f.src || f.comps == 0)
        return -4;
    if (sizeof(T) == 2 && (f.bits < 9 || f.bits > 16))
        return -4;
    if (uint64_t(f.width) * f.comps * sizeof(T) > f.wb)
        return -4;
    if (f.n < 0 || f.n > 2 * f.m)
        return -4;
    const uint64_t window = 2 * uint64_t(f.m) + 1;
    if ((rows && f.width < window) || (columns && f.height < window))
        return -9;
    return 1;
}

// A pass over every row of src (lines of pitch srcPitch) into dst.
template <class T, class Store>
LX_KERNEL_INLINE bool rowPass(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                              const Frame& f, const GolayTables& g, Store store)
{
    const size_t samples = size_t(f.width) * f.comps;
    Work<int32_t> sums(samples, false);
    Work<const T*> taps(size_t(2 * f.m + 1));
    if (!sums || !taps)
        return false;
    for (uint32_t y = 0; y < f.height; ++y) {
        rowSums<T>(reinterpret_cast<const T*>(src + size_t(y) * srcPitch), f.width, f.comps, g,
                   taps.get(), sums.get());
        storeLine<T>(reinterpret_cast<T*>(dst + size_t(y) * dstPitch), sums.get(), samples, store);
    }
    return true;
}

// A pass over every column of src into dst (separate memory).
template <class T, class Store>
LX_KERNEL_INLINE bool columnPass(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const Frame& f, const GolayTables& g, Store store)
{
    const size_t samples = size_t(f.width) * f.comps;
    Work<int32_t> sums(samples, false);
    Work<const T*> taps(size_t(2 * f.m + 1));
    if (!sums || !taps)
        return false;
    for (uint32_t y = 0; y < f.height; ++y) {
        columnSums<T>(src, srcPitch, f.height, y, samples, g, taps.get(), sums.get());
        storeLine<T>(reinterpret_cast<T*>(dst + size_t(y) * dstPitch), sums.get(), samples, store);
    }
    return true;
}

template <class T> LX_KERNEL_INLINE int smooth(const Frame& f)
{
    const int ready = check<T>(f, true, true);
    if (ready != 1)
        return ready;
    const uint32_t bits = sampleBits<T>(f.bits);
    const GolayTables g(f.m, bits, f.n, 0);
    // The row pass fills a ring of the 2m + 1 rows the column pass needs
    // next: the smoothed rows stay in cache, and a destination sharing the
    // source is only written at rows already read.
    const int n = 2 * f.m + 1;
    const size_t samples = size_t(f.width) * f.comps;
    const size_t pitch = samples * sizeof(T);
    Work<uint8_t> ring(pitch * n, false);
    Work<int32_t> sums(samples, false);
    Work<const T*> rowTaps{size_t(n)}, columnTaps{size_t(n)};
    if (!g.ok() || !ring || !sums || !rowTaps || !columnTaps)
        return -3;
    const SmoothStore store{int32_t((1u << bits) - 1)};
    // 8-bit interiors of 16 samples or more go from products to samples in
    // one vector pass.
    const size_t rowInterior = (size_t(f.width) - 2 * f.m) * f.comps;
    bool fused = false;
#if LX_HAVE_AVX2_PATHS
    if constexpr (sizeof(T) == 1)
        fused = store.top == 255 && g.product && rowInterior >= 16 && cpuHasAvx2();
#endif
    const int64_t height = f.height;
    int64_t made = 0;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t first = std::clamp<int64_t>(y - f.m, 0, height - n);
        for (; made < first + n; ++made) {
            const T* line = reinterpret_cast<const T*>(f.src + size_t(made) * f.wb);
            T* to = reinterpret_cast<T*>(ring.get() + size_t(made % n) * pitch);
            if (fused) {
                rowEnds<T>(line, f.width, f.comps, g, rowTaps.get(), sums.get());
                const size_t ends = size_t(f.m) * f.comps;
                storeLine<T>(to, sums.get(), ends, store);
                storeLine<T>(to + ends + rowInterior, sums.get() + ends + rowInterior, ends, store);
                interiorTaps<T>(line, f.width, f.comps, f.m, rowTaps.get());
                smoothInterior8(rowTaps.get(), g, rowInterior, to + ends);
            } else {
                rowSums<T>(line, f.width, f.comps, g, rowTaps.get(), sums.get());
                storeLine<T>(to, sums.get(), samples, store);
            }
        }
        const T** taps = columnTaps.get();
        for (int k = 0; k < n; ++k)
            taps[k] = reinterpret_cast<const T*>(ring.get() + size_t((first + k) % n) * pitch);
        T* to = reinterpret_cast<T*>(f.dst + size_t(y) * f.wb);
        if (y < f.m || y >= height - f.m) {
            fittedSums<T>(taps, g, int(y - first) - f.m, samples, sums.get());
        } else if (fused) {
            smoothInterior8(taps, g, samples, to);
            continue;
        } else {
            interiorSums<T>(taps, g, samples, sums.get());
        }
        storeLine<T>(to, sums.get(), samples, store);
    }
    return 0;
}

// The source, or a copy of it when the destination shares its memory and
// the pass would read lines it has already written.
struct Source {
    const uint8_t* data;
    size_t pitch;
    Work<uint8_t> copy;
    Source(const Frame& f, size_t bytes)
        : data(f.src), pitch(f.wb), copy(f.dst == f.src ? bytes * f.height : 0, false)
    {
        if (f.dst != f.src)
            return;
        pitch = bytes;
        data = copy.get();
        if (copy)
            for (uint32_t y = 0; y < f.height; ++y)
                std::memcpy(copy.get() + y * bytes, f.src + size_t(y) * f.wb, bytes);
    }
};

template <class T> LX_KERNEL_INLINE int derivative(const Frame& f, bool x, bool y)
{
    const int ready = check<T>(f, x, y);
    if (ready != 1)
        return ready;
    const GolayTables g(f.m, sampleBits<T>(f.bits), f.n, 1);
    if (!g.ok())
        return -3;
    const DerivStore store{sampleBits<T>(f.bits)};
    const size_t bytes = size_t(f.width) * f.comps * sizeof(T);
    if (x && !y)
        return rowPass<T>(f.dst, f.wb, f.src, f.wb, f, g, store) ? 0 : -3;
    const Source src(f, bytes);
    if (!src.data)
        return -3;
    if (!x)
        return columnPass<T>(f.dst, f.wb, src.data, src.pitch, f, g, store) ? 0 : -3;
    Work<uint8_t> along(bytes * f.height, false);
    if (!along || !rowPass<T>(along.get(), bytes, src.data, src.pitch, f, g, store) ||
        !columnPass<T>(f.dst, f.wb, src.data, src.pitch, f, g, store))
        return -3;
    for (uint32_t r = 0; r < f.height; ++r) {
        T* out = reinterpret_cast<T*>(f.dst + size_t(r) * f.wb);
        const T* other = reinterpret_cast<const T*>(along.get() + size_t(r) * bytes);
        for (size_t j = 0; j < size_t(f.width) * f.comps; ++j)
            out[j] = std::max(out[j], other[j]);
    }
    return 0;
}

Frame frame(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb, uint32_t bits,
            uint32_t comps, int m, int n)
{
    return Frame{static_cast<uint8_t*>(dst),
                 static_cast<const uint8_t*>(src),
                 width,
                 height,
                 wb,
                 bits,
                 comps,
                 m,
                 n};
}

} // namespace

LX_KERNEL_CLONES int golay_smooth_1x8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t, int m, int n)
{
    return smooth<uint8_t>(frame(dst, src, width, height, wb, 8, 1, m, n));
}

LX_KERNEL_CLONES int golay_smooth_Nx8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t comps, int m, int n)
{
    return smooth<uint8_t>(frame(dst, src, width, height, wb, 8, comps, m, n));
}

LX_KERNEL_CLONES int golay_smooth_16(void* dst, const void* src, uint32_t width, uint32_t height,
                                     uint32_t wb, uint32_t bits, uint32_t comps, int m, int n)
{
    return smooth<uint16_t>(frame(dst, src, width, height, wb, bits, comps, m, n));
}

LX_KERNEL_CLONES int golay_derivx_1x8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, 1, m, n), true, false);
}

LX_KERNEL_CLONES int golay_derivx_Nx8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t comps, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, comps, m, n), true, false);
}

LX_KERNEL_CLONES int golay_derivx_16(void* dst, const void* src, uint32_t width, uint32_t height,
                                     uint32_t wb, uint32_t bits, uint32_t comps, int m, int n)
{
    return derivative<uint16_t>(frame(dst, src, width, height, wb, bits, comps, m, n), true, false);
}

LX_KERNEL_CLONES int golay_derivy_1x8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, 1, m, n), false, true);
}

LX_KERNEL_CLONES int golay_derivy_Nx8(void* dst, const void* src, uint32_t width, uint32_t height,
                                      uint32_t wb, uint32_t comps, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, comps, m, n), false, true);
}

LX_KERNEL_CLONES int golay_derivy_16(void* dst, const void* src, uint32_t width, uint32_t height,
                                     uint32_t wb, uint32_t bits, uint32_t comps, int m, int n)
{
    return derivative<uint16_t>(frame(dst, src, width, height, wb, bits, comps, m, n), false, true);
}

LX_KERNEL_CLONES int golay_derivmax_1x8(void* dst, const void* src, uint32_t width, uint32_t height,
                                        uint32_t wb, uint32_t, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, 1, m, n), true, true);
}

LX_KERNEL_CLONES int golay_derivmax_Nx8(void* dst, const void* src, uint32_t width, uint32_t height,
                                        uint32_t wb, uint32_t comps, int m, int n)
{
    return derivative<uint8_t>(frame(dst, src, width, height, wb, 8, comps, m, n), true, true);
}

LX_KERNEL_CLONES int golay_derivmax_16(void* dst, const void* src, uint32_t width, uint32_t height,
                                       uint32_t wb, uint32_t bits, uint32_t comps, int m, int n)
{
    return derivative<uint16_t>(frame(dst, src, width, height, wb, bits, comps, m, n), true, true);
}

void golay_store_16(void* dst, uint32_t dstWB, const uint32_t* src, size_t srcStride,
                    uint32_t width, uint32_t height, uint32_t comps, uint32_t bits)
{
    for (uint32_t y = 0; y < height; ++y) {
        uint16_t* out = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(dst) + size_t(y) * dstWB);
        const uint32_t* in = src + size_t(y) * srcStride;
        for (size_t j = 0; j < size_t(width) * comps; ++j)
            out[j] = uint16_t(in[j] >> bits);
    }
}

int golay_filter(SLxPicBuf* dst, const SLxPicBuf* src, int size, int mode)
{
    if (!dst || !src || !dst->pData || !src->pData || dst->uiWidth != src->uiWidth ||
        dst->uiHeight != src->uiHeight || dst->uiBpc != src->uiBpc ||
        dst->uiComps != src->uiComps || dst->uiWidthBytes != src->uiWidthBytes ||
        uint64_t(src->uiWidthBytes) * src->uiHeight > std::min(src->uiSize, dst->uiSize))
        return -9;
    const uint32_t bits = src->uiBpc;
    if (bits < 8 || bits > 16 || mode < 0 || mode > 3)
        return -2;
    int m = (size - 1) / 2;
    if (mode == 0)
        m = std::max(m, 2);
    if (m < 1)
        return 0;
    const uint64_t window = 2 * uint64_t(m) + 1;
    const bool rows = mode != 2, columns = mode != 1;
    if (src->uiWidth < uint32_t(m) || src->uiHeight < uint32_t(m) ||
        (rows && src->uiWidth < window) || (columns && src->uiHeight < window))
        return -9;
    void* d = dst->pData;
    const void* s = src->pData;
    const uint32_t w = src->uiWidth, h = src->uiHeight, wb = src->uiWidthBytes, c = src->uiComps;
    if (bits == 8) {
        using Worker8 =
            int (*)(void*, const void*, uint32_t, uint32_t, uint32_t, uint32_t, int, int);
        static const Worker8 one[4] = {golay_smooth_1x8, golay_derivx_1x8, golay_derivy_1x8,
                                       golay_derivmax_1x8};
        static const Worker8 many[4] = {golay_smooth_Nx8, golay_derivx_Nx8, golay_derivy_Nx8,
                                        golay_derivmax_Nx8};
        return (c == 1 ? one : many)[mode](d, s, w, h, wb, c, m, 2);
    }
    using Worker16 =
        int (*)(void*, const void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, int, int);
    static const Worker16 deep[4] = {golay_smooth_16, golay_derivx_16, golay_derivy_16,
                                     golay_derivmax_16};
    return deep[mode](d, s, w, h, wb, bits, c, m, 2);
}

} // namespace lxpic
