// Random binary masks for the run-length checks against OpenCV.
#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <random>

// Random noise at the given density, 0 or 255: at 0.5 and above it makes
// large objects with holes and one-pixel bridges among the dots.
inline cv::Mat RandomMask(std::mt19937& rng, int w, int h, double density)
{
    cv::Mat m(h, w, CV_8U);
    std::bernoulli_distribution bit(density);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.at<uint8_t>(y, x) = bit(rng) ? 255 : 0;
    return m;
}
