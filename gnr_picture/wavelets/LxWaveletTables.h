// The stored filter tables of the wavelet providers (LxWaveletTables.cpp,
// written by gen_wavelet_tables.py): the low-pass taps of every grade of a
// family back to back, grade 1 first.
#pragma once

#include <cstddef>

namespace lxwavelet
{

// Daubechies grades 1-38, 2g taps each, sum sqrt(2).
constexpr int kDaubechiesGrades = 38;
constexpr size_t kDaubechiesTapCount = 1482;
extern const double kDaubechiesTaps[kDaubechiesTapCount];
constexpr int daubechiesTaps(int grade)
{
    return 2 * grade;
}
constexpr size_t daubechiesOffset(int grade)
{
    return size_t(grade) * (grade - 1);
}

// Coiflets grades 1-5, 6g taps each, sum 2.
constexpr int kCoifletGrades = 5;
constexpr size_t kCoifletTapCount = 90;
extern const double kCoifletTaps[kCoifletTapCount];
constexpr int coifletTaps(int grade)
{
    return 6 * grade;
}
constexpr size_t coifletOffset(int grade)
{
    return size_t(3) * grade * (grade - 1);
}

// Hess grades 1-3, 4g + 2 taps each (6, 10, 14), sum sqrt(2) within 4e-7.
constexpr int kHessGrades = 3;
constexpr size_t kHessTapCount = 30;
extern const double kHessTaps[kHessTapCount];
constexpr int hessTaps(int grade)
{
    return 4 * grade + 2;
}
constexpr size_t hessOffset(int grade)
{
    return size_t(2) * (grade - 1) * (grade + 1);
}

static_assert(daubechiesOffset(kDaubechiesGrades + 1) == kDaubechiesTapCount, "table size");
static_assert(coifletOffset(kCoifletGrades + 1) == kCoifletTapCount, "table size");
static_assert(hessOffset(kHessGrades + 1) == kHessTapCount, "table size");

} // namespace lxwavelet
