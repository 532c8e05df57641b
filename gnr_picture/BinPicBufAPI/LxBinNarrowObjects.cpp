// Growing the objects that the thinning templates cannot peel around.
#include "gnr_picture/BinPicBufAPI/LxBinNarrowObjects.h"

#include <cstddef>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"

namespace lx_bin
{

namespace
{

// The picture as one label a pixel (0 background), with a clear margin of
// two pixels so that 5 x 5 neighbourhoods need no bounds.
class Labels
{
  public:
    static constexpr uint32_t kMargin = 2;

    explicit Labels(const SLxBinPicBuf& src)
        : stride_(size_t(src.uiWidth) + 2 * kMargin),
          label_(stride_ * (size_t(src.uiHeight) + 2 * kMargin), 0)
    {
        for (uint32_t y = 0; y < src.uiHeight; ++y) {
            const uint8_t* line = Line(&src, y);
            for (uint32_t x = 0; x < src.uiWidth; ++x)
                label_[At(x, y)] = GetBit(line, x) ? kUnlabelled : 0;
        }
        LabelObjects();
    }

    size_t At(uint32_t x, uint32_t y) const
    {
        return (size_t(y) + kMargin) * stride_ + x + kMargin;
    }
    uint32_t operator[](size_t i) const { return label_[i]; }
    ptrdiff_t Stride() const { return ptrdiff_t(stride_); }
    uint32_t Count() const { return count_; }

  private:
    static constexpr uint32_t kUnlabelled = UINT32_MAX;

    // 8-connected objects, numbered from 1 in raster order of their first
    // pixel.
    void LabelObjects()
    {
        const ptrdiff_t s = Stride();
        const ptrdiff_t around[8] = {-s - 1, -s, -s + 1, -1, 1, s - 1, s, s + 1};
        std::vector<size_t> stack;
        for (size_t i = 0; i < label_.size(); ++i) {
            if (label_[i] != kUnlabelled)
                continue;
            label_[i] = ++count_;
            stack.push_back(i);
            while (!stack.empty()) {
                const size_t p = stack.back();
                stack.pop_back();
                for (const ptrdiff_t d : around)
                    if (label_[p + d] == kUnlabelled) {
                        label_[p + d] = count_;
                        stack.push_back(p + d);
                    }
            }
        }
    }

    const size_t stride_;
    std::vector<uint32_t> label_;
    uint32_t count_ = 0;
};

} // namespace

bool GrowNarrowObjects(const SLxBinPicBuf& src, std::vector<uint8_t>& grown)
{
    const Labels labels(src);
    const ptrdiff_t s = labels.Stride();
    const uint32_t w = src.uiWidth, h = src.uiHeight;

    // An object holding the 3 x 3 block around one of its pixels is wide.
    std::vector<bool> wide(size_t(labels.Count()) + 1, false);
    bool anyNarrow = false;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const size_t i = labels.At(x, y);
            if (labels[i] == 0 || wide[labels[i]])
                continue;
            bool block = true;
            for (ptrdiff_t dy = -1; dy <= 1 && block; ++dy)
                for (ptrdiff_t dx = -1; dx <= 1 && block; ++dx)
                    block = labels[size_t(ptrdiff_t(i) + dy * s + dx)] != 0;
            wide[labels[i]] = block;
        }
    for (uint32_t l = 1; l <= labels.Count(); ++l)
        anyNarrow |= !wide[l];
    if (!anyNarrow)
        return false;

    grown.assign(static_cast<const uint8_t*>(src.pData),
                 static_cast<const uint8_t*>(src.pData) + size_t(src.uiWidthBytes) * h);
    SLxBinPicBuf out = src;
    out.pData = grown.data();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const size_t i = labels.At(x, y);
            if (labels[i] != 0)
                continue;
            uint32_t owner = 0;
            for (ptrdiff_t dy = -1; dy <= 1 && owner == 0; ++dy)
                for (ptrdiff_t dx = -1; dx <= 1 && owner == 0; ++dx) {
                    const uint32_t l = labels[size_t(ptrdiff_t(i) + dy * s + dx)];
                    if (l != 0 && !wide[l])
                        owner = l;
                }
            if (owner == 0)
                continue;
            bool alone = true;
            for (ptrdiff_t dy = -2; dy <= 2 && alone; ++dy)
                for (ptrdiff_t dx = -2; dx <= 2 && alone; ++dx) {
                    const uint32_t l = labels[size_t(ptrdiff_t(i) + dy * s + dx)];
                    alone = l == 0 || l == owner;
                }
            if (alone)
                SetBit(Line(&out, y), x, true);
        }
    return true;
}

} // namespace lx_bin
