// Small fields for the measurement tests: one drawing ('#' set) as a
// one-bit picture, a 16-bit label picture (65535 set) and a painted
// run-length picture, with an 8-bit intensity picture of the same size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "gnr_picture/measure/grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

using FeatureRow = std::vector<double>;

struct MeasureField {
    explicit MeasureField(const Rows& rows, uint32_t intensityBits = 8)
        : width(uint32_t(rows[0].size())), height(uint32_t(rows.size())), bits(width, height),
          labels(rows, 16), intensity(width, height, intensityBits)
    {
        Draw(bits, rows);
        CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(objects.get(), bits.get());
    }

    // Measures the label-form object at seed (painting it to 1).
    FeatureRow Label(int32_t x, int32_t y, uint32_t mask, double cal = 1.0,
                     const uint32_t* flags = nullptr, unsigned* result = nullptr,
                     const SLxObjectRestrictions* restrictions = nullptr)
    {
        FeatureRow row(LX_OBJECT_FEATURES, 0.0);
        const SLxIPoint seed{x, y};
        const unsigned r = CLxPicMeasAPI::MeasureObject(
            intensity.get(), labels.get(), &seed, 65535, 1, cal, row.data(), 0, 0, 0, nullptr, 0, 0,
            0, 0, mask, nullptr, restrictions, flags, nullptr, nullptr, nullptr, nullptr);
        if (result)
            *result = r;
        return row;
    }
    // Measures run-length object index.
    FeatureRow Runs(uint32_t index, uint32_t mask, double cal = 1.0,
                    const uint32_t* flags = nullptr, unsigned* result = nullptr,
                    const SLxObjectRestrictions* restrictions = nullptr)
    {
        FeatureRow row(LX_OBJECT_FEATURES, 0.0);
        SLxRLEObject* obj = CLxRLEPicBufAPI::FindObjectByIndex(objects.get(), index);
        const unsigned r = CLxPicMeasAPI::MeasureObject(
            intensity.get(), obj, cal, row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0, mask, nullptr,
            restrictions, flags, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (result)
            *result = r;
        return row;
    }

    uint32_t width, height;
    BinPicture bits;
    GreyPicture labels;
    GreyPicture intensity;
    RLEPicture objects;
};

// A contour of the given points in a CLxAlloc block.
struct OwnedContour {
    explicit OwnedContour(const std::vector<SLxIPoint>& points)
    {
        c = static_cast<SLxContour*>(CLxAlloc::Alloc(0, LxContourBytes(points.size() + 1)));
        c->uiCount = uint32_t(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            c->points[i] = points[i];
    }
    ~OwnedContour() { CLxAlloc::Free(c); }
    OwnedContour(const OwnedContour&) = delete;
    OwnedContour& operator=(const OwnedContour&) = delete;
    SLxContour* c;
};
