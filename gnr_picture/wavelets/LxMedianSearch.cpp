#include <algorithm>
#include <cmath>

#include "gnr_picture/wavelets/LxWavelet2D.h"

// Introselect on the caller's working array: the same value as a median of
// medians search, in linear expected time and without working memory. NaNs
// are refused first because they have no rank.
int CLxMedianSearch::KthSearch(double* result, uint32_t k, double* data, uint32_t n)
{
    if (!result || !data || n == 0 || k >= n)
        return -9;
    if (std::any_of(data, data + n, [](double v) { return std::isnan(v); }))
        return -9;
    std::nth_element(data, data + k, data + n);
    *result = data[k];
    return 0;
}
