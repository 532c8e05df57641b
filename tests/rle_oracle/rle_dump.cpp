// Labels one picture into a run-length object picture and writes what the
// Python oracle compares: the label image, and per object its identifier,
// filled area, projections and outer projections.
//
// Usage: rle_dump IN OUT. IN: little-endian u32 width, height, bits (1, 8 or
// 16), then width x height u16 samples (non-zero is foreground). OUT: the
// u32 label image, u32 object count, then per object u32 id, u64 filled
// area, u32 projections[4], u32 outer projections[4].
#include <cstdio>
#include <cstring>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "w32_system/memory/LxAlloc.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    FILE* in = std::fopen(argv[1], "rb");
    if (!in)
        return 2;
    uint32_t head[3];
    if (std::fread(head, 4, 3, in) != 3)
        return 2;
    const uint32_t w = head[0], h = head[1], bits = head[2];
    std::vector<uint16_t> samples(size_t(w) * h);
    if (std::fread(samples.data(), 2, samples.size(), in) != samples.size())
        return 2;
    std::fclose(in);

    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, 0, true);
    int status;
    if (bits == 1) {
        SLxBinPicBuf bin;
        CLxBinPicBufAPI::Init(&bin);
        CLxBinPicBufAPI::Reinit(&bin, w, h, 0, true);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                if (samples[size_t(y) * w + x])
                    static_cast<uint8_t*>(bin.pData)[size_t(y) * bin.uiWidthBytes + x / 8] |=
                        uint8_t(0x80u >> (x % 8));
        status = CLxRLEPicBufAPI::ConvertPictureToRLE(&rle, &bin);
        CLxBinPicBufAPI::Free(&bin);
    } else {
        SLxPicBuf pic;
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, w, h, 0, bits, 1, true);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t* line = static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
                uint16_t v = samples[size_t(y) * w + x];
                if (bits > 8)
                    reinterpret_cast<uint16_t*>(line)[x] = v;
                else
                    line[x] = uint8_t(v);
            }
        status = CLxRLEPicBufAPI::ConvertPictureToRLE(&rle, &pic);
        CLxPicBufAPI::Free(&pic);
    }
    if (status != 0)
        return 1;

    std::vector<uint32_t> labels(size_t(w) * h, 0);
    std::vector<uint8_t> tail;
    auto put = [&](const void* p, size_t n) {
        tail.insert(tail.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    put(&rle.uiObjectCount, 4);
    for (const SLxRLEObject* o : ObjectsOf(&rle)) {
        uint32_t id = Header(o).uiID;
        for (auto [y, x, n] : RunsOf(o))
            for (uint32_t k = 0; k < n; ++k)
                labels[size_t(y) * w + x + k] = id;
        uint64_t area = 0;
        SLxContour* contour = CLxRLEPicBufAPI::ContourPoints(o, area);
        CLxAlloc::Free(contour);
        uint32_t proj[4], outer[4];
        CLxRLEPicBufAPI::Projections(o, proj, w);
        CLxRLEPicBufAPI::OuterProjections(o, outer, w);
        put(&id, 4);
        put(&area, 8);
        put(proj, 16);
        put(outer, 16);
    }
    CLxRLEPicBufAPI::Free(&rle);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 2;
    std::fwrite(labels.data(), 4, labels.size(), out);
    std::fwrite(tail.data(), 1, tail.size(), out);
    std::fclose(out);
    return 0;
}
