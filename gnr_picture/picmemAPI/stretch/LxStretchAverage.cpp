// Area-averaging reduction of large one-component pictures: a sparse grid of
// at most 5 x 5 samples per block, the rows split between the caller and one
// worker thread.
#include "gnr_picture/picmemAPI/stretch/LxStretchAverage.h"

#include <pthread.h>

#include <algorithm>
#include <cstdlib>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

using namespace lxpic;

namespace lxstretch
{

void averageBlockStarts(uint32_t srcSize, uint32_t dstSize, uint32_t step, uint32_t lastOffset,
                        uint32_t* starts)
{
    const int64_t remainder = int64_t(srcSize) - int64_t(step) * dstSize;
    const int64_t shifts = std::llabs(remainder);
    const int64_t sign = remainder > 0 ? 1 : -1;
    const double frac = double(shifts) / dstSize;
    // The even spreading can fall one or two shifts short of an overshoot;
    // the blocks it leaves past the edge are pulled back onto it.
    const int64_t highest = int64_t(srcSize) - 1 - lastOffset;
    double acc = 0.0;
    int64_t given = 0, start = 0;
    for (uint32_t i = 0; i < dstSize; ++i) {
        int64_t extra = 0;
        if (acc + 0.5 > 1.0 && std::llabs(given) < shifts) {
            extra = sign;
            acc -= 1.0;
            given += sign;
        }
        acc += frac;
        start = i == 0 ? extra : start + step + extra;
        starts[i] = uint32_t(std::max<int64_t>(0, std::min(start, highest)));
    }
}

} // namespace lxstretch

using namespace lxstretch;

namespace
{

// Shared read-only by the caller and the worker, who write disjoint rows.
struct AverageJob {
    uint8_t* dst;
    uint32_t dstWB;
    uint32_t dstW;
    const uint8_t* src;
    uint32_t srcWB;
    uint32_t stepX, stepY, subX, subY;
    const uint32_t* columnStarts;
    const uint32_t* rowStarts;
    uint32_t firstRow, endRow; // the worker's rows
    void (*rows)(const AverageJob&, uint32_t, uint32_t);
};

template <class T> void averageRows(const AverageJob& job, uint32_t firstRow, uint32_t endRow)
{
    Lines<T> d(job.dst, job.dstWB);
    ConstLines<T> s(job.src, job.srcWB);
    const uint32_t count =
        ((job.stepY + job.subY - 1) / job.subY) * ((job.stepX + job.subX - 1) / job.subX);
    for (uint32_t j = firstRow; j < endRow; ++j) {
        uint8_t* out = d[j];
        for (uint32_t i = 0; i < job.dstW; ++i) {
            uint32_t sum = 0;
            for (uint32_t ry = 0; ry < job.stepY; ry += job.subY) {
                const uint8_t* line =
                    s[job.rowStarts[j] + ry] + size_t(job.columnStarts[i]) * sizeof(T);
                for (uint32_t rx = 0; rx < job.stepX; rx += job.subX)
                    sum += load<T>(line + rx * sizeof(T));
            }
            store<T>(out + i * sizeof(T), T(sum / count));
        }
    }
}

void* averageWorker(void* arg)
{
    const AverageJob& job = *static_cast<const AverageJob*>(arg);
    job.rows(job, job.firstRow, job.endRow);
    return nullptr;
}

// round(src / dst), half up.
uint32_t roundedStep(uint32_t srcSize, uint32_t dstSize)
{
    return uint32_t(double(srcSize) / dstSize + 0.5);
}

template <class T>
int stretchAverage(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                   uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps)
{
    if (dstW == 0 || dstH == 0)
        return 0;
    if (comps != 1)
        return -2;
    const uint32_t stepX = roundedStep(srcW, dstW), stepY = roundedStep(srcH, dstH);
    if (stepX == 0 || stepY == 0)
        return -9;
    AverageJob job{static_cast<uint8_t*>(dst),
                   dstWB,
                   dstW,
                   static_cast<const uint8_t*>(src),
                   srcWB,
                   stepX,
                   stepY,
                   stepX / 5 + 1,
                   stepY / 5 + 1,
                   nullptr,
                   nullptr,
                   dstH / 2,
                   dstH,
                   averageRows<T>};
    Scratch<uint32_t> columnStarts(dstW), rowStarts(dstH);
    if (!columnStarts || !rowStarts)
        return -3;
    averageBlockStarts(srcW, dstW, stepX, (stepX - 1) / job.subX * job.subX, columnStarts.get());
    averageBlockStarts(srcH, dstH, stepY, (stepY - 1) / job.subY * job.subY, rowStarts.get());
    job.columnStarts = columnStarts.get();
    job.rowStarts = rowStarts.get();

    pthread_t worker;
    if (pthread_create(&worker, nullptr, averageWorker, &job) != 0)
        return -9;
    averageRows<T>(job, 0, job.firstRow);
    pthread_join(worker, nullptr);
    return 0;
}

} // namespace

int stretch_average_1x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                        uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps, uint32_t)
{
    return stretchAverage<uint8_t>(dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, comps);
}

int stretch_average_1x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                         uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps, uint32_t)
{
    return stretchAverage<uint16_t>(dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, comps);
}
