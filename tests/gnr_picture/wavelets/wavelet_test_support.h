// Plain transcriptions of one wavelet level (extend each line with modulo
// arithmetic, then one dot product per output sample), random planes, and
// malloc'd planes that free themselves.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "gnr_picture/wavelets/LxWavelet2D.h"

namespace wavelettest
{

using Plane = std::vector<double>;

inline Plane randomPlane(size_t w, size_t h, uint32_t seed, double scale = 100.0)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-scale, scale);
    Plane p(w * h);
    for (double& v : p)
        v = d(gen);
    return p;
}

inline double dot(const double* a, const double* b, size_t n)
{
    double s = 0.0;
    for (size_t i = 0; i < n; ++i)
        s += a[i] * b[i];
    return s;
}

inline size_t mod(int64_t a, size_t n)
{
    const int64_t r = a % int64_t(n);
    return size_t(r < 0 ? r + int64_t(n) : r);
}

// One line of N samples to N / 2 with filter f of L taps.
inline std::vector<double> analyseLine(const std::vector<double>& s, const double* f, uint32_t L)
{
    const size_t N = s.size();
    std::vector<double> e(N + L);
    for (size_t j = 0; j < e.size(); ++j)
        e[j] = s[mod(int64_t(j) - (int64_t(L / 2) - 1), N)];
    std::vector<double> out(N / 2);
    for (size_t k = 0; k < N / 2; ++k)
        out[k] = dot(&e[2 * k], f, L);
    return out;
}

// One line of 2M samples from M low and M high samples.
inline std::vector<double> synthesiseLine(const std::vector<double>& lo,
                                          const std::vector<double>& hi, const double* A,
                                          const double* B, uint32_t L)
{
    const size_t N = 2 * lo.size();
    std::vector<double> uLo(N, 0.0), uHi(N, 0.0);
    for (size_t k = 0; k < lo.size(); ++k) {
        uLo[2 * k] = lo[k];
        uHi[2 * k] = hi[k];
    }
    std::vector<double> eLo(N + L), eHi(N + L), rA(L), rB(L);
    for (size_t j = 0; j < N + L; ++j) {
        eLo[j] = uLo[mod(int64_t(j) - int64_t(L / 2), N)];
        eHi[j] = uHi[mod(int64_t(j) - int64_t(L / 2), N)];
    }
    for (uint32_t i = 0; i < L; ++i) {
        rA[i] = A[L - 1 - i];
        rB[i] = B[L - 1 - i];
    }
    std::vector<double> out(N);
    for (size_t n = 0; n < N; ++n)
        out[n] = dot(&eLo[n], rA.data(), L) + dot(&eHi[n], rB.data(), L);
    return out;
}

// A w x h plane as rows or columns.
inline std::vector<double> row(const Plane& p, size_t w, size_t y)
{
    return std::vector<double>(p.begin() + y * w, p.begin() + (y + 1) * w);
}
inline std::vector<double> column(const Plane& p, size_t w, size_t h, size_t x)
{
    std::vector<double> c(h);
    for (size_t y = 0; y < h; ++y)
        c[y] = p[y * w + x];
    return c;
}

// The four half-size planes, out1..out4.
inline std::vector<Plane> referenceDecomposition(const Plane& src, size_t w, size_t h,
                                                 const double* A, const double* B, uint32_t L)
{
    Plane ra(w / 2 * h), rb(w / 2 * h);
    for (size_t y = 0; y < h; ++y) {
        auto a = analyseLine(row(src, w, y), A, L);
        auto b = analyseLine(row(src, w, y), B, L);
        std::copy(a.begin(), a.end(), ra.begin() + y * (w / 2));
        std::copy(b.begin(), b.end(), rb.begin() + y * (w / 2));
    }
    std::vector<Plane> out(4, Plane(w / 2 * (h / 2)));
    for (size_t x = 0; x < w / 2; ++x) {
        auto put = [&](Plane& p, const std::vector<double>& c) {
            for (size_t y = 0; y < c.size(); ++y)
                p[y * (w / 2) + x] = c[y];
        };
        put(out[0], analyseLine(column(rb, w / 2, h, x), B, L));
        put(out[1], analyseLine(column(rb, w / 2, h, x), A, L));
        put(out[2], analyseLine(column(ra, w / 2, h, x), B, L));
        put(out[3], analyseLine(column(ra, w / 2, h, x), A, L));
    }
    return out;
}

inline Plane referenceReconstruction(const std::vector<Plane>& in, size_t m, size_t n,
                                     const double* A, const double* B, uint32_t L)
{
    // Columns: (in4 low, in3 high) and (in2 low, in1 high) to m x 2n.
    Plane ca(m * 2 * n), cb(m * 2 * n);
    for (size_t x = 0; x < m; ++x) {
        auto a = synthesiseLine(column(in[3], m, n, x), column(in[2], m, n, x), A, B, L);
        auto b = synthesiseLine(column(in[1], m, n, x), column(in[0], m, n, x), A, B, L);
        for (size_t y = 0; y < 2 * n; ++y) {
            ca[y * m + x] = a[y];
            cb[y * m + x] = b[y];
        }
    }
    Plane out(2 * m * 2 * n);
    for (size_t y = 0; y < 2 * n; ++y) {
        auto r = synthesiseLine(row(ca, m, y), row(cb, m, y), A, B, L);
        std::copy(r.begin(), r.end(), out.begin() + y * 2 * m);
    }
    return out;
}

// A plane or filter from malloc, freed at the end of the test.
struct Owned {
    double* p = nullptr;
    Owned() = default;
    explicit Owned(size_t n) : p(static_cast<double*>(std::malloc(n * sizeof(double)))) {}
    ~Owned() { std::free(p); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

// The filter pair of a family and grade (haar: grade ignored).
struct Pair {
    Owned low, high;
    int taps = 0;
};
enum class Family { Daubechies, Coiflets, Hess, Haar };
inline int getPair(Pair& p, Family f, int grade)
{
    int t = 0;
    switch (f) {
    case Family::Daubechies:
        return CLxDaubechies2DWave::GetMotherWavelet(p.low.p, &p.taps, grade) |
               CLxDaubechies2DWave::GetFatherWavelet(p.high.p, &t, grade);
    case Family::Coiflets:
        return CLxCoiflets2DWave::GetMotherWavelet(p.low.p, &p.taps, grade) |
               CLxCoiflets2DWave::GetFatherWavelet(p.high.p, &t, grade);
    case Family::Hess:
        return CLxHess2DWave::GetMotherWavelet(p.low.p, &p.taps, grade) |
               CLxHess2DWave::GetFatherWavelet(p.high.p, &t, grade);
    case Family::Haar:
        return CLxHaar2DWave::GetMotherWavelet(p.low.p, &p.taps) |
               CLxHaar2DWave::GetFatherWavelet(p.high.p, &t);
    }
    return -9;
}

} // namespace wavelettest
