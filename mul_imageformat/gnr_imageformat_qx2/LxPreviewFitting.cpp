#include "mul_imageformat/gnr_imageformat_qx2/LxPreviewFitting.h"

#include "mul_imageformat/LxImageAttributes.h"

namespace
{

// Truncation that saturates instead of overflowing.
uint32_t truncated(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

} // namespace

void LX_FitPreviewSize(uint32_t& width, uint32_t& height, const SLxImageAttributes& attributes,
                       bool keepSize)
{
    if (keepSize)
        return;
    if (attributes.uiWidth && attributes.uiHeight) {
        const double fittedWidth = double(height) * attributes.uiWidth / attributes.uiHeight;
        if (fittedWidth <= width)
            width = truncated(fittedWidth);
        else
            height = truncated(double(width) * attributes.uiHeight / attributes.uiWidth);
    }
    if (width == 0)
        width = 1;
    if (height == 0)
        height = 1;
}
