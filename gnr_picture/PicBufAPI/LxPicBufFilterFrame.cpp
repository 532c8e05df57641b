// The checks, the distinct source and the repetition frame of the
// neighbourhood operations.
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxThreadBlock.h"
#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"

namespace lxfilter
{

namespace
{

bool kernelFits(const SLxKernel* k, const SLxPicBuf* src, KernelRule rule)
{
    if (rule == KernelRule::none)
        return true;
    if (!IsUsableKernel(k))
        return false;
    if (rule == KernelRule::fits)
        return k->uiNRows <= src->uiHeight && k->uiNCols <= src->uiWidth;
    return k->uiCenterRow <= src->uiHeight && k->uiNRows - k->uiCenterRow - 1 <= src->uiHeight &&
           k->uiCenterCol <= src->uiWidth && k->uiNCols - k->uiCenterCol - 1 <= src->uiWidth;
}

bool memoryCoversLines(const SLxPicBuf* p)
{
    const uint32_t bytes = CLxPicBufAPI::CalcCompSize(p->uiBpc);
    return p->pData && bytes && p->uiWidthBytes % bytes == 0 &&
           uint64_t(p->uiWidth) * p->uiComps * bytes <= p->uiWidthBytes &&
           uint64_t(p->uiWidthBytes) * p->uiHeight <= p->uiSize;
}

// The bytes of a picture like `like` with widthBytes a line (0: the
// default pitch), as Reinit lays it out; 0 where Reinit refuses it.
uint64_t pictureBytes(const SLxPicBuf& like, uint32_t* widthBytes)
{
    const uint64_t line =
        uint64_t(like.uiWidth) * like.uiComps * CLxPicBufAPI::CalcCompSize(like.uiBpc);
    if (*widthBytes == 0)
        *widthBytes = CLxPicBufAPI::CalcWidthBytes(like.uiWidth, like.uiBpc, like.uiComps, 4);
    const uint64_t size = uint64_t(*widthBytes) * like.uiHeight;
    return *widthBytes < line || line == 0 || size >= 0x7FFFFFFF ? 0 : size;
}

// A picture of like's geometry over memory the thread keeps for Purpose,
// so that large temporaries are not allocated and first touched on every
// call. The record does not own its memory; its data is null where Reinit
// would refuse the geometry or no memory is had.
template <class Purpose> class KeptPicture
{
  public:
    KeptPicture(const SLxPicBuf& like, uint32_t widthBytes)
        : m_bytes(pictureBytes(like, &widthBytes)), m_block(size_t(m_bytes)), m_pic(like)
    {
        m_pic.uiWidthBytes = widthBytes;
        m_pic.uiSize = uint32_t(m_bytes);
        m_pic.pData = m_bytes ? m_block.template as<uint8_t>() : nullptr;
    }
    SLxPicBuf* get() { return m_pic.pData ? &m_pic : nullptr; }

  private:
    uint64_t m_bytes;
    lxpic::ThreadBlock<Purpose> m_block;
    SLxPicBuf m_pic;
};

struct DistinctSourceCopy;
struct RepeatedPassesTemp;
struct RepeatedPassesKernel;

} // namespace

bool FrameCheck(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                KernelRule rule, uint32_t deepest, int* status)
{
    *status = -9;
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckSizeBitsComps) || !kernelFits(kernel, src, rule))
        return false;
    *status = 0;
    if (src->uiBpc < 8)
        return false;
    *status = -2;
    if (src->uiBpc > deepest)
        return false;
    *status = -9;
    if (!memoryCoversLines(dst) || !memoryCoversLines(src))
        return false;
    *status = 0;
    return src->uiWidth != 0 && src->uiHeight != 0 && src->uiComps != 0;
}

bool ShareMemory(const SLxPicBuf* a, const SLxPicBuf* b)
{
    const auto* a0 = static_cast<const uint8_t*>(a->pData);
    const auto* b0 = static_cast<const uint8_t*>(b->pData);
    return a0 && b0 && a0 < b0 + b->uiSize && b0 < a0 + a->uiSize;
}

int WithDistinctSource(SLxPicBuf* dst, const SLxPicBuf* src, bool samePitch,
                       const std::function<int(const SLxPicBuf*)>& work)
{
    if (!ShareMemory(dst, src) && (!samePitch || dst->uiWidthBytes == src->uiWidthBytes))
        return work(src);
    KeptPicture<DistinctSourceCopy> copy(*src, samePitch ? dst->uiWidthBytes : src->uiWidthBytes);
    if (!copy.get())
        return -3;
    const int status = CLxPicBufAPI::Copy(copy.get(), src);
    return status == 0 ? work(copy.get()) : status;
}

void ReflectKernelCentre(SLxKernel* kernel)
{
    kernel->uiCenterRow = kernel->uiNRows - kernel->uiCenterRow - 1;
    kernel->uiCenterCol = kernel->uiNCols - kernel->uiCenterCol - 1;
}

int RepeatPasses(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count,
                 const KernelPass& pass)
{
    if (count == 0)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, kernel, KernelRule::fits, 16, &status))
        return status;
    if (count == 1)
        return pass(dst, src, kernel);
    // The record is 50 KB: the copy whose centre moves lives in a block
    // the thread keeps.
    const lxpic::ThreadBlock<RepeatedPassesKernel> kept(sizeof(SLxKernel));
    SLxKernel* k = kept.as<SLxKernel>();
    if (!k)
        return -3;
    std::memcpy(static_cast<void*>(k), kernel, sizeof(SLxKernel));
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        KeptPicture<RepeatedPassesTemp> temp(*s, s->uiWidthBytes);
        if (!temp.get())
            return -3;
        const SLxPicBuf* from = s;
        int result = 0;
        for (uint32_t i = 0; i < count && result == 0; ++i) {
            // The last pass (count - 1) writes dst, the one before it temp.
            SLxPicBuf* to = (count - i) % 2 == 1 ? dst : temp.get();
            if (i > 0)
                ReflectKernelCentre(k);
            result = pass(to, from, k);
            from = to;
        }
        return result;
    });
}

} // namespace lxfilter
