// The reads both input document targets make of one image: the image into
// a buffer of the size GetImageInfo reports (a guard byte after it must
// stay), then each metadata getter.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gnr_vu2ziz/LxJp2InputFile.h"

namespace document_reads
{

inline void Check(bool condition)
{
    if (!condition)
        abort();
}

// Images larger than maxImage bytes are not read.
inline void ReadImage(IJp2InputFile* doc, uint32_t seq, uint64_t maxImage)
{
    uint32_t width = 0, widthBytes = 0, height = 0, components = 0, bits = 0;
    if (!doc->GetImageInfo(seq, &width, &widthBytes, &height, &components, &bits))
        return;
    const uint64_t bytes = uint64_t(widthBytes) * height;
    if (bytes == 0 || bytes > maxImage)
        return;
    std::vector<uint8_t> image(size_t(bytes) + 1, 0xA5);
    doc->GetImage(seq, image.data());
    Check(image.back() == 0xA5);

    double t, x, y, z, w, cal, aspect, mag, na, ri;
    char16_t name[16];
    uint8_t r, g, b;
    uint32_t modality;
    doc->GetTime(seq, &t);
    doc->GetPosition(seq, &x, &y, &z);
    doc->GetWavelength(seq, &w, name, 16, &r, &g, &b);
    doc->GetCalibration(seq, &cal, &aspect);
    doc->GetObjective(seq, name, 16, &mag, &na, &ri);
    doc->GetModality(seq, &modality);
}

} // namespace document_reads
