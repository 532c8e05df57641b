// The predefined kernel records of CLxPicBufAPI and the kernel matrix with
// its generators.
#include "gnr_picture/PicBufAPI/LxKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Trailing words of the records: shapes and weights, or 0/1/2 codes.
constexpr uint32_t kWeights = 23, kCodes = 2;

// A record from its values row by row; the mask is set where a value is not
// 0 unless a mask is given. Built at compile time, so the records are ready
// before any static initialiser runs.
constexpr SLxKernel record(const char16_t* name, uint32_t rows, uint32_t cols, uint32_t centreRow,
                           uint32_t centreCol, std::initializer_list<int32_t> values,
                           uint32_t kind = kWeights, std::initializer_list<uint8_t> mask = {})
{
    SLxKernel k{};
    for (uint32_t i = 0; i < 63 && name[i]; ++i)
        k.wszName[i] = name[i];
    k.uiNRows = rows;
    k.uiNCols = cols;
    k.uiCenterRow = centreRow;
    k.uiCenterCol = centreCol;
    uint32_t i = 0;
    for (int32_t v : values) {
        k.iValues[i] = v;
        k.ubMask[i] = v != 0;
        ++i;
    }
    i = 0;
    for (uint8_t m : mask)
        k.ubMask[i++] = m;
    k.uiKind = kind;
    k.uiLast = 1;
    return k;
}

constexpr SLxKernel ones(const char16_t* name, uint32_t side)
{
    SLxKernel k = record(name, side, side, side / 2, side / 2, {});
    for (uint32_t i = 0; i < side * side; ++i) {
        k.iValues[i] = 1;
        k.ubMask[i] = 1;
    }
    return k;
}

} // namespace

// clang-format off
SLxKernel CLxPicBufAPI::Square2 = record(u"Square2", 2, 2, 0, 0, {1, 1, 1, 1});
SLxKernel CLxPicBufAPI::Square3 = ones(u"Square3", 3);
SLxKernel CLxPicBufAPI::Square5 = ones(u"Square5", 5);
SLxKernel CLxPicBufAPI::Oct4 = record(u"Oct4", 4, 4, 1, 1,
    {0, 1, 1, 0,  1, 1, 1, 1,  1, 1, 1, 1,  0, 1, 1, 0});
SLxKernel CLxPicBufAPI::Oct5 = record(u"Oct5", 5, 5, 2, 2,
    {0, 1, 1, 1, 0,  1, 1, 1, 1, 1,  1, 1, 1, 1, 1,  1, 1, 1, 1, 1,  0, 1, 1, 1, 0});
SLxKernel CLxPicBufAPI::Oct7 = record(u"Oct7", 7, 7, 3, 3,
    {0, 0, 1, 1, 1, 0, 0,  0, 1, 1, 1, 1, 1, 0,  1, 1, 1, 1, 1, 1, 1,  1, 1, 1, 1, 1, 1, 1,
     1, 1, 1, 1, 1, 1, 1,  0, 1, 1, 1, 1, 1, 0,  0, 0, 1, 1, 1, 0, 0});
SLxKernel CLxPicBufAPI::Cross3 = record(u"Cross3", 3, 3, 1, 1, {0, 1, 0,  1, 1, 1,  0, 1, 0});
SLxKernel CLxPicBufAPI::Cross5 = record(u"Cross5", 5, 5, 2, 2,
    {0, 0, 1, 0, 0,  0, 0, 1, 0, 0,  1, 1, 1, 1, 1,  0, 0, 1, 0, 0,  0, 0, 1, 0, 0});
SLxKernel CLxPicBufAPI::Lin_0 = record(u"Lin_0", 3, 3, 1, 1, {0, 0, 0,  1, 1, 1,  0, 0, 0});
SLxKernel CLxPicBufAPI::Lin_45 = record(u"Lin_45", 3, 3, 1, 1, {0, 0, 1,  0, 1, 0,  1, 0, 0});
SLxKernel CLxPicBufAPI::Lin_90 = record(u"Lin_90", 3, 3, 1, 1, {0, 1, 0,  0, 1, 0,  0, 1, 0});
SLxKernel CLxPicBufAPI::Lin_135 = record(u"Lin_135", 3, 3, 1, 1, {1, 0, 0,  0, 1, 0,  0, 0, 1});
SLxKernel CLxPicBufAPI::C8SkeletetonL1 = record(u"C8SkeletetonL1", 3, 3, 1, 1,
    {0, 0, 0,  2, 1, 2,  1, 1, 1}, kCodes);
SLxKernel CLxPicBufAPI::C8SkeletetonL2 = record(u"C8SkeletetonL2", 3, 3, 1, 1,
    {2, 0, 0,  1, 1, 0,  2, 1, 2}, kCodes);
SLxKernel CLxPicBufAPI::C8PrunningE1 = record(u"C8PrunningE1", 3, 3, 1, 1,
    {2, 1, 2,  0, 1, 0,  0, 0, 0}, kCodes);
SLxKernel CLxPicBufAPI::C8PrunningE2 = record(u"C8PrunningE2", 3, 3, 1, 1,
    {0, 2, 2,  0, 1, 2,  0, 0, 0}, kCodes);
SLxKernel CLxPicBufAPI::C4PrunningE1 = record(u"C4PrunningE1", 3, 3, 1, 1,
    {2, 0, 2,  0, 1, 0,  2, 2, 2}, kCodes);
SLxKernel CLxPicBufAPI::C4PrunningE2 = record(u"C4PrunningE2", 3, 3, 1, 1,
    {2, 2, 2,  0, 1, 0,  2, 0, 2}, kCodes);
SLxKernel CLxPicBufAPI::C8MarkingD1 = record(u"C8MarkingD1", 3, 3, 1, 1,
    {0, 2, 2,  0, 1, 1,  0, 2, 2}, kCodes);
SLxKernel CLxPicBufAPI::C8MarkingD2 = record(u"C8MarkingD2", 3, 3, 1, 1,
    {0, 0, 0,  0, 1, 2,  0, 2, 1}, kCodes);
SLxKernel CLxPicBufAPI::C4SkeletonL1 = record(u"C4SkeletonL1", 3, 3, 1, 1,
    {0, 0, 0,  2, 1, 2,  1, 1, 1}, kCodes);
SLxKernel CLxPicBufAPI::C4SkeletonL2 = record(u"C4SkeletonL2", 3, 3, 1, 1,
    {2, 0, 2,  1, 1, 0,  1, 1, 2}, kCodes, {1, 0, 0,  1, 1, 0,  1, 1, 1});
SLxKernel CLxPicBufAPI::SinglePoint = record(u"SinglePoint", 3, 3, 1, 1,
    {0, 0, 0,  0, 1, 0,  0, 0, 0});
SLxKernel CLxPicBufAPI::Laplace4 = record(u"Laplace4", 3, 3, 1, 1,
    {0, -1, 0,  -1, 4, -1,  0, -1, 0});
SLxKernel CLxPicBufAPI::Laplace8 = record(u"Laplace8", 3, 3, 1, 1,
    {-1, -1, -1,  -1, 8, -1,  -1, -1, -1});
SLxKernel CLxPicBufAPI::PelvanFilter = record(u"PelvanFilter", 5, 5, 2, 2,
    {-2, -1, -1, -1, -2,  -1, 2, 2, 2, -1,  -1, 2, 5, 2, -1,  -1, 2, 2, 2, -1,
     -2, -1, -1, -1, -2});
SLxKernel CLxPicBufAPI::Sharp = record(u"Sharp", 3, 3, 1, 1, {0, -1, 0,  -1, 5, -1,  0, -1, 0});
SLxKernel CLxPicBufAPI::SharpMore = record(u"SharpMore", 3, 3, 1, 1,
    {-1, -1, -1,  -1, 9, -1,  -1, -1, -1});
SLxKernel CLxPicBufAPI::HorizontalEdge = record(u"HorizontalEdge", 3, 3, 1, 1,
    {-2, -2, -2,  0, 0, 0,  2, 2, 2});
SLxKernel CLxPicBufAPI::VerticalEdge = record(u"VerticalEdge", 3, 3, 1, 1,
    {-2, 0, 2,  -2, 0, 2,  -2, 0, 2});
SLxKernel CLxPicBufAPI::DetectEdge = record(u"DetectEdge", 3, 3, 1, 1,
    {-1, -2, 1,  -2, 0, 2,  -1, 2, 1});
SLxKernel CLxPicBufAPI::RegionalExtrema1 = record(u"RegionalExtrema1", 3, 3, 1, 1,
    {1, 1, 1,  1, 1, 0,  0, 0, 0});
SLxKernel CLxPicBufAPI::RegionalExtrema2 = record(u"RegionalExtrema2", 3, 3, 1, 1,
    {0, 0, 0,  0, 1, 1,  1, 1, 1});
// clang-format on

// --- SLxKernelMatrix -----------------------------------------------------------

namespace
{

uint32_t maskWords(uint64_t elements)
{
    return uint32_t((elements + 31) / 32);
}

void releaseBuffers(SLxKernelMatrix* m)
{
    CLxAlloc::Free(m->piValues);
    CLxAlloc::Free(m->puiBitMask);
    m->piValues = nullptr;
    m->puiBitMask = nullptr;
}

bool isOddSquare(const SLxKernelMatrix* m)
{
    return m->uiNRows == m->uiNCols && m->uiNRows % 2 == 1;
}

bool generatorTakes(const SLxKernelMatrix* m)
{
    return m && m->piValues && m->uiNRows != 0 && m->uiNCols != 0;
}

} // namespace

SLxKernelMatrix::SLxKernelMatrix()
    : uiNRows(0), uiNCols(0), uiReserved1(0), uiReserved2(0), piValues(nullptr),
      puiBitMask(nullptr), iDivisor(1)
{
}

SLxKernelMatrix::SLxKernelMatrix(const SLxKernelMatrix& other) : SLxKernelMatrix()
{
    Copy(this, &other);
}

SLxKernelMatrix& SLxKernelMatrix::operator=(const SLxKernelMatrix& other)
{
    Copy(this, &other);
    return *this;
}

SLxKernelMatrix::~SLxKernelMatrix()
{
    Free(this);
}

int SLxKernelMatrix::Alloc(SLxKernelMatrix* m, uint32_t rows, uint32_t cols)
{
    if (!m)
        return -4;
    releaseBuffers(m);
    m->uiNRows = rows;
    m->uiNCols = cols;
    const uint64_t n = uint64_t(rows) * cols;
    if (n == 0)
        return 0;
    const uint32_t words = maskWords(n);
    m->piValues = static_cast<int32_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, n * sizeof(int32_t)));
    m->puiBitMask =
        static_cast<uint32_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, words * sizeof(uint32_t)));
    if (!m->piValues || !m->puiBitMask) {
        releaseBuffers(m);
        m->uiNRows = m->uiNCols = 0;
        return -3;
    }
    // Every element takes part until the caller says otherwise.
    for (uint64_t e = 0; e < n; ++e)
        m->puiBitMask[e / 32] |= 1u << (e % 32);
    return 0;
}

void SLxKernelMatrix::Free(SLxKernelMatrix* m)
{
    if (!m)
        return;
    releaseBuffers(m);
    m->uiNRows = m->uiNCols = 0;
    m->uiReserved1 = m->uiReserved2 = 0;
    m->iDivisor = 0;
}

int SLxKernelMatrix::Copy(SLxKernelMatrix* dst, const SLxKernelMatrix* src)
{
    if (!dst || !src)
        return -4;
    if (dst == src)
        return 0;
    const uint64_t n = uint64_t(src->uiNRows) * src->uiNCols;
    if (uint64_t(dst->uiNRows) * dst->uiNCols != n || !dst->piValues || !dst->puiBitMask) {
        const int status = Alloc(dst, src->uiNRows, src->uiNCols);
        if (status != 0)
            return status;
    }
    dst->uiNRows = src->uiNRows;
    dst->uiNCols = src->uiNCols;
    dst->uiReserved1 = src->uiReserved1;
    dst->uiReserved2 = src->uiReserved2;
    dst->iDivisor = src->iDivisor;
    if (n && dst->piValues && src->piValues)
        std::memcpy(dst->piValues, src->piValues, n * sizeof(int32_t));
    if (n && dst->puiBitMask && src->puiBitMask)
        std::memcpy(dst->puiBitMask, src->puiBitMask, maskWords(n) * sizeof(uint32_t));
    return 0;
}

int SLxKernelMatrix::Paste(SLxKernelMatrix* dst, const SLxKernelMatrix* src)
{
    if (!dst || !src)
        return -4;
    if (dst->uiNRows == src->uiNRows && dst->uiNCols == src->uiNCols)
        return Copy(dst, src);
    if (!isOddSquare(dst) || !isOddSquare(src) || !dst->piValues || !src->piValues)
        return 0;
    const int64_t nd = dst->uiNRows, ns = src->uiNRows, shift = (nd - ns) / 2;
    for (int64_t r = 0; r < nd; ++r)
        for (int64_t c = 0; c < nd; ++c) {
            const int64_t sr = r - shift, sc = c - shift;
            const bool inside = sr >= 0 && sr < ns && sc >= 0 && sc < ns;
            dst->piValues[r * nd + c] = inside ? src->piValues[sr * ns + sc] : 0;
        }
    return 0;
}

int SLxKernelMatrix::GeneratorAverage(SLxKernelMatrix* m)
{
    if (!generatorTakes(m))
        return -9;
    const uint64_t n = uint64_t(m->uiNRows) * m->uiNCols;
    std::fill(m->piValues, m->piValues + n, 1);
    m->iDivisor = int32_t(n);
    return 0;
}

int SLxKernelMatrix::GeneratorGaussian(SLxKernelMatrix* m)
{
    if (!generatorTakes(m) || !isOddSquare(m))
        return -9;
    const int32_t h = int32_t(m->uiNCols / 2), side = 2 * h + 1;
    // Side 1 has no distance to fall off over: its one value stays 100.
    const double s = double(h) * h / std::log(100.0);
    int64_t sum = 0;
    for (int32_t y = -h; y <= h; ++y)
        for (int32_t x = -h; x <= h; ++x) {
            const double e = s > 0 ? std::exp(-double(x * x + y * y) / (2 * s)) : 1.0;
            const int32_t v = int32_t(100.0 * e + 0.5);
            m->piValues[(y + h) * side + (x + h)] = v;
            sum += v;
        }
    m->iDivisor = sum < 1 ? 1 : int32_t(std::min<int64_t>(sum, INT32_MAX));
    return 0;
}

int SLxKernelMatrix::GeneratorLaplacian(SLxKernelMatrix* m)
{
    if (!generatorTakes(m) || !isOddSquare(m))
        return -9;
    const int32_t n = int32_t(m->uiNRows);
    int32_t c = std::max(n / 2, 1);
    if (c % 2 == 0)
        ++c;
    const int32_t from = (n - c) / 2;
    for (int32_t r = 0; r < n; ++r)
        for (int32_t col = 0; col < n; ++col) {
            const bool block = r >= from && r < from + c && col >= from && col < from + c;
            m->piValues[r * n + col] = block ? n * n - c * c : -c * c;
        }
    m->iDivisor = c * c;
    return 0;
}

int SLxKernelMatrix::GeneratorMexicanHat(SLxKernelMatrix* m)
{
    if (!generatorTakes(m) || !isOddSquare(m))
        return -9;
    const int32_t n = int32_t(m->uiNRows), q = (n + 1) / 2, mid = n / 2;
    const double s2 = double(n / 4 + 1) * double(n / 4 + 1);
    std::vector<double> f(size_t(q) * q);
    double largest = 0;
    for (int32_t y = 0; y < q; ++y)
        for (int32_t x = 0; x < q; ++x) {
            const double r2 = double(x * x + y * y) / s2;
            f[size_t(y) * q + x] = (1 - r2) * std::exp(-r2);
            largest = std::max(largest, std::fabs(f[size_t(y) * q + x]));
        }
    int32_t* v = m->piValues;
    for (int32_t y = 0; y < q; ++y)
        for (int32_t x = 0; x < q; ++x) {
            const int32_t value = int32_t(25.0 * f[size_t(y) * q + x] / largest + 0.5);
            v[(mid + y) * n + mid + x] = value;
            v[(mid + y) * n + mid - x] = value;
            v[(mid - y) * n + mid + x] = value;
            v[(mid - y) * n + mid - x] = value;
        }
    m->iDivisor = 1;
    const size_t count = size_t(n) * n;
    int64_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += v[i];
    // Lower the value whose count divides the surplus best until it is gone;
    // a surplus that the steps jump over cannot be balanced.
    std::vector<int32_t> values;
    std::vector<int64_t> counts;
    while (sum > 0) {
        values.clear();
        counts.clear();
        for (size_t i = 0; i < count; ++i) {
            const auto at = std::find(values.begin(), values.end(), v[i]);
            if (at == values.end()) {
                values.push_back(v[i]);
                counts.push_back(1);
            } else {
                ++counts[size_t(at - values.begin())];
            }
        }
        size_t best = 0;
        for (size_t k = 1; k < values.size(); ++k) {
            const int64_t r = sum % counts[k], rb = sum % counts[best];
            if (r < rb || (r == rb && counts[k] > counts[best]))
                best = k;
        }
        const int32_t chosen = values[best];
        for (size_t i = 0; i < count; ++i)
            if (v[i] == chosen)
                --v[i];
        sum -= counts[best];
    }
    return sum == 0 ? 0 : -9;
}
