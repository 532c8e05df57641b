#include <cstdlib>

#include "gnr_picture/wavelets/LxWavelet2D.h"
#include "gnr_picture/wavelets/LxWaveletTables.h"

namespace
{

// The four-digit scale of the Coiflet and Haar filters.
constexpr double kScale = 0.7071;

// The stored taps as they are (low-pass), or mirrored with alternating signs
// (the high-pass of the same pair).
enum class EFilter { AsStored, Mirrored };

// A family's stored low-pass table of one grade, its tap count and scale.
struct SGrade {
    const double* table;
    int taps;
    double scale;
};

// Allocates a null filter and writes the low-pass taps or the high-pass
// taps (-1)^i x low[L-1-i], each times the scale (1.0 leaves them exact).
int handOut(double*& filter, int* taps, const SGrade& grade, EFilter which)
{
    if (!grade.table || !taps)
        return -9;
    double* out = filter;
    if (!out) {
        out = static_cast<double*>(std::malloc(sizeof(double) * size_t(grade.taps)));
        if (!out)
            return -9;
    }
    const int L = grade.taps;
    for (int i = 0; i < L; ++i) {
        if (which == EFilter::AsStored)
            out[i] = grade.table[i] * grade.scale;
        else
            out[i] = (i % 2 ? -grade.table[L - 1 - i] : grade.table[L - 1 - i]) * grade.scale;
    }
    *taps = L;
    filter = out;
    return 0;
}

// The one body behind the four FreeWavelet names.
int freeFilter(double*& filter)
{
    if (!filter)
        return -9;
    std::free(filter);
    filter = nullptr;
    return 0;
}

SGrade daubechies(int grade)
{
    const double* table = nullptr;
    if (grade >= 1 && grade <= lxwavelet::kDaubechiesGrades)
        table = lxwavelet::kDaubechiesTaps + lxwavelet::daubechiesOffset(grade);
    return {table, table ? lxwavelet::daubechiesTaps(grade) : 0, 1.0};
}

SGrade coiflets(int grade)
{
    const double* table = nullptr;
    if (grade >= 1 && grade <= lxwavelet::kCoifletGrades)
        table = lxwavelet::kCoifletTaps + lxwavelet::coifletOffset(grade);
    return {table, table ? lxwavelet::coifletTaps(grade) : 0, kScale};
}

SGrade hess(int grade)
{
    const double* table = nullptr;
    if (grade >= 1 && grade <= lxwavelet::kHessGrades)
        table = lxwavelet::kHessTaps + lxwavelet::hessOffset(grade);
    return {table, table ? lxwavelet::hessTaps(grade) : 0, 1.0};
}

} // namespace

const double* CLxDaubechies2DWave::GetGradePtr(int grade)
{
    return daubechies(grade).table;
}
int CLxDaubechies2DWave::GetMotherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, daubechies(grade), EFilter::AsStored) : -9;
}
int CLxDaubechies2DWave::GetFatherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, daubechies(grade), EFilter::Mirrored) : -9;
}
int CLxDaubechies2DWave::FreeWavelet(double*& filter)
{
    return freeFilter(filter);
}

const double* CLxCoiflets2DWave::GetGradePtr(int grade)
{
    return coiflets(grade).table;
}
int CLxCoiflets2DWave::GetMotherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, coiflets(grade), EFilter::AsStored) : -9;
}
int CLxCoiflets2DWave::GetFatherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, coiflets(grade), EFilter::Mirrored) : -9;
}
int CLxCoiflets2DWave::FreeWavelet(double*& filter)
{
    return freeFilter(filter);
}

const double* CLxHess2DWave::GetGradePtr(int grade)
{
    return hess(grade).table;
}
int CLxHess2DWave::GetMotherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, hess(grade), EFilter::AsStored) : -9;
}
int CLxHess2DWave::GetFatherWavelet(double*& filter, int* taps, int grade)
{
    return GetGradePtr(grade) ? handOut(filter, taps, hess(grade), EFilter::Mirrored) : -9;
}
int CLxHess2DWave::FreeWavelet(double*& filter)
{
    return freeFilter(filter);
}

// Haar's high-pass begins with the negative tap, so it is not the
// (-1)^i rule of the other families.
namespace
{
const double kHaarLow[2] = {kScale, kScale};
const double kHaarHigh[2] = {-kScale, kScale};
} // namespace

int CLxHaar2DWave::GetMotherWavelet(double*& filter, int* taps)
{
    return handOut(filter, taps, {kHaarLow, 2, 1.0}, EFilter::AsStored);
}
int CLxHaar2DWave::GetFatherWavelet(double*& filter, int* taps)
{
    return handOut(filter, taps, {kHaarHigh, 2, 1.0}, EFilter::AsStored);
}
int CLxHaar2DWave::FreeWavelet(double*& filter)
{
    return freeFilter(filter);
}
