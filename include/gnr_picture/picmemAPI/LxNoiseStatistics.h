// Statistics and shrinkage of wavelet detail planes (width x height doubles,
// row after row) shared by the noise estimation and the wavelet denoising.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// The mean of the squares of the width x height values (the count taken as
// a double); 0.0 for a null or empty plane.
LX_EXPORT double LX_MeanSquare(const double* plane, uint32_t width, uint32_t height);

// The noise sigma by the median absolute deviation: the value of rank n / 2
// (the upper middle one for even n) of the n = width x height magnitudes,
// times 1.4825796886582654 (1 / 0.6745). 0.0 for a null or empty plane, a
// NaN among the values or memory that cannot be had.
LX_EXPORT double LX_NoiseSigmaMAD(const double* plane, uint32_t width, uint32_t height);

// Soft thresholding in place: each x becomes sign(x) x max(|x| - t, 0).
LX_EXPORT void LX_SoftThreshold(double* plane, uint32_t width, uint32_t height, double t);
// The same, with every surviving value multiplied by 1.5.
LX_EXPORT void LX_SoftThresholdBoost(double* plane, uint32_t width, uint32_t height, double t);
