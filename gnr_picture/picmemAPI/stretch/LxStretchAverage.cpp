// Area-averaging reduction of large one-component pictures: a sparse grid of
// at most 5 x 5 samples per block, the rows split between the caller and one
// worker thread.
#include "gnr_picture/picmemAPI/stretch/LxStretchAverage.h"

#include <pthread.h>

#include <algorithm>
#include <cstdlib>
#include <type_traits>

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

// floor(n / d) as a multiply and a shift, exact for every n below 2^24 (a
// block's sum is at most 25 samples of 16 bits): m = ceil(2^(24 + l) / d)
// with 2^l >= d.
struct ExactDivisor {
    uint64_t multiplier;
    uint32_t shift;

    explicit ExactDivisor(uint32_t d)
    {
        uint32_t l = 0;
        while ((uint64_t(1) << l) < d)
            ++l;
        shift = 24 + l;
        multiplier = ((uint64_t(1) << shift) + d - 1) / d;
    }

    uint32_t divide(uint32_t n) const { return uint32_t((n * multiplier) >> shift); }
};

// Shared read-only by the caller and the worker, who write disjoint rows;
// each has its own line of column sums.
struct AverageJob {
    uint8_t* dst;
    uint32_t dstWB;
    uint32_t dstW;
    const uint8_t* src;
    uint32_t srcWB;
    uint32_t stepX, stepY, subX, subY;
    const uint32_t* columnStarts;
    const uint32_t* rowStarts;
    uint32_t sumWidth;         // columns a row's blocks reach
    void* sums[2];             // the caller's and the worker's column sums
    uint32_t firstRow, endRow; // the worker's rows
    void (*rows)(const AverageJob&, void*, uint32_t, uint32_t);
};

// Column sums of a row's sampled lines: at most five lines, so bytes sum in
// 16 bits, words in 32.
template <class T> using ColumnSum = std::conditional_t<sizeof(T) == 1, uint16_t, uint32_t>;

// Unaliased, so that the loops vectorise.
template <class T>
void setLine(ColumnSum<T>* __restrict sums, const uint8_t* __restrict line, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x)
        sums[x] = load<T>(line + x * sizeof(T));
}

template <class T>
void addLine(ColumnSum<T>* __restrict sums, const uint8_t* __restrict line, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x)
        sums[x] += load<T>(line + x * sizeof(T));
}

// Steps of 3 and 4 sample every column: each row first sums its sampled
// lines column by column, then adds each block's columns of the sums.
// Larger steps sample a sparse grid, whose pixels are added one by one so
// that the cost follows the destination.
template <class T>
void averageRows(const AverageJob& job, void* sumLine, uint32_t firstRow, uint32_t endRow)
{
    Lines<T> d(job.dst, job.dstWB);
    ConstLines<T> s(job.src, job.srcWB);
    const uint32_t count =
        ((job.stepY + job.subY - 1) / job.subY) * ((job.stepX + job.subX - 1) / job.subX);
    const ExactDivisor divisor(count);
    ColumnSum<T>* sums = static_cast<ColumnSum<T>*>(sumLine);
    for (uint32_t j = firstRow; j < endRow; ++j) {
        uint8_t* out = d[j];
        if (job.subX == 1) {
            setLine<T>(sums, s[job.rowStarts[j]], job.sumWidth);
            for (uint32_t ry = job.subY; ry < job.stepY; ry += job.subY)
                addLine<T>(sums, s[job.rowStarts[j] + ry], job.sumWidth);
            for (uint32_t i = 0; i < job.dstW; ++i) {
                const ColumnSum<T>* block = sums + job.columnStarts[i];
                uint32_t sum = 0;
                for (uint32_t rx = 0; rx < job.stepX; ++rx)
                    sum += block[rx];
                store<T>(out + i * sizeof(T), T(divisor.divide(sum)));
            }
            continue;
        }
        for (uint32_t i = 0; i < job.dstW; ++i) {
            uint32_t sum = 0;
            for (uint32_t ry = 0; ry < job.stepY; ry += job.subY) {
                const uint8_t* line =
                    s[job.rowStarts[j] + ry] + size_t(job.columnStarts[i]) * sizeof(T);
                for (uint32_t rx = 0; rx < job.stepX; rx += job.subX)
                    sum += load<T>(line + rx * sizeof(T));
            }
            store<T>(out + i * sizeof(T), T(divisor.divide(sum)));
        }
    }
}

void* averageWorker(void* arg)
{
    const AverageJob& job = *static_cast<const AverageJob*>(arg);
    job.rows(job, job.sums[1], job.firstRow, job.endRow);
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
    const uint32_t subX = stepX / 5 + 1, subY = stepY / 5 + 1;
    const uint32_t lastX = (stepX - 1) / subX * subX, lastY = (stepY - 1) / subY * subY;
    Scratch<uint32_t> columnStarts(dstW), rowStarts(dstH);
    if (!columnStarts || !rowStarts)
        return -3;
    averageBlockStarts(srcW, dstW, stepX, lastX, columnStarts.get());
    averageBlockStarts(srcH, dstH, stepY, lastY, rowStarts.get());
    // Column sums only where every column is sampled.
    const uint32_t sumWidth = subX == 1 ? columnStarts[dstW - 1] + lastX + 1 : 0;
    Scratch<uint32_t> sums(2 * size_t(sumWidth));
    if (!sums)
        return -3;
    AverageJob job{static_cast<uint8_t*>(dst),
                   dstWB,
                   dstW,
                   static_cast<const uint8_t*>(src),
                   srcWB,
                   stepX,
                   stepY,
                   subX,
                   subY,
                   columnStarts.get(),
                   rowStarts.get(),
                   sumWidth,
                   {sums.get(), sums.get() + sumWidth},
                   dstH / 2,
                   dstH,
                   averageRows<T>};

    pthread_t worker;
    if (pthread_create(&worker, nullptr, averageWorker, &job) != 0)
        return -9;
    averageRows<T>(job, job.sums[0], 0, job.firstRow);
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
