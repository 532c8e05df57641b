// The decoding operations of the JPEG 2000 reader: frames, components,
// tiles and rectangles of scaled views, and the preview.
#include <algorithm>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_region_decompressor.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_scaled_region.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

uint64_t CeilDiv(uint64_t a, uint64_t b)
{
    return (a + b - 1) / b;
}

} // namespace

bool CLxJP2InputFile::OpenCodestream(jp2_file_source& source, uint32_t index)
{
    if (m_bytes)
        return source.open(m_bytes, int(index));
    return source.open(m_path.GetString(), int(index), m_map, false);
}

// Decodes the area of frame seq at the reduce level into the buffer
// (outWidth x outHeight pixels, stride bytes a row), all components.
int CLxJP2InputFile::DecodeFrame(uint32_t seq, void* buffer, uint32_t stride, uint32_t reduce,
                                 const SLxJ2KArea& area, uint32_t outWidth, uint32_t outHeight)
{
    if (seq >= m_frameCount)
        return -1501;
    if (!buffer)
        return -4;
    const bool isVirtual = m_attributes.uiVirtualComponents != m_codestreamComponents;
    const uint32_t samples = isVirtual ? m_attributes.uiVirtualComponents : m_codestreamComponents;
    const uint32_t codestreams = isVirtual ? samples : 1;
    try {
        for (uint32_t k = 0; k < codestreams; ++k) {
            const uint32_t index = isVirtual ? seq * samples + k : seq;
            jp2_file_source source;
            if (!OpenCodestream(source, index))
                return -1500;
            jp2_decoder decoder;
            const uint64_t frameSamples =
                uint64_t(m_attributes.uiWidth) * m_attributes.uiHeight * m_codestreamComponents;
            decoder.Open(source, LX_J2KDecodeThreads(frameSamples));
            const SLxJ2KHeader& h = decoder.Header();
            RegionDecompressor rd;
            rd.SetChannelMapping(&source, h);
            // Every frame must look like the first.
            int depth = 0;
            for (uint32_t c = 0; c < rd.GetChannelCount(); ++c)
                depth = std::max(depth, rd.GetChannelDepth(c));
            const int bits = depth <= 8 ? 8 : 16;
            if (h.Width() != m_attributes.uiWidth || h.Height() != m_attributes.uiHeight ||
                rd.GetChannelCount() != m_codestreamComponents ||
                bits != m_attributes.uiBpcInMemory)
                throw CLxJP2ErrorException("The codestream differs from the first one.", -9);
            RegionDecompressor::Output out;
            out.pBuffer = static_cast<uint8_t*>(buffer);
            out.uiWidth = outWidth;
            out.uiHeight = outHeight;
            out.uiStride = stride;
            out.uiSamplesPerPixel = samples;
            out.uiBits = uint32_t(bits);
            // R, G, B codestream components are stored B, G, R; virtual
            // components keep their order.
            for (uint32_t c = 0; c < rd.GetChannelCount(); ++c)
                out.sampleOfChannel.push_back(isVirtual ? k : samples - 1 - c);
            rd.Process(decoder, reduce, area, out);
        }
    } catch (const CLxJP2ErrorException& e) {
        LX_TRACE(u"%S", e.GetText());
        return e.GetCode() ? e.GetCode() : -9;
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

int CLxJP2InputFile::GetImageDataFirst(void* buffer, uint32_t extra1, uint32_t extra2)
{
    return GetImageData(0, buffer, extra1, extra2);
}

int CLxJP2InputFile::GetImageData(uint32_t seq, void* buffer, uint32_t, uint32_t)
{
    const SLxJ2KArea all{0, 0, m_attributes.uiWidth, m_attributes.uiHeight};
    return DecodeFrame(seq, buffer, RowBytes(m_attributes.uiWidth), 0, all, m_attributes.uiWidth,
                       m_attributes.uiHeight);
}

int CLxJP2InputFile::GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                                           uint32_t destinationWidthBytes,
                                           uint32_t destinationComponents)
{
    if (seq >= m_frameCount)
        return -1501;
    const uint32_t comps = m_attributes.uiVirtualComponents != m_codestreamComponents
                               ? m_attributes.uiVirtualComponents
                               : m_attributes.uiComp;
    if (component >= comps)
        return 0;
    if (!destination || destinationComponents == 0)
        return -4;
    std::vector<uint8_t> frame;
    const uint32_t stride = RowBytes(m_attributes.uiWidth);
    try {
        frame.resize(size_t(stride) * m_attributes.uiHeight);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    const int status = GetImageData(seq, frame.data(), 0, 0);
    if (status != 0)
        return status;
    return CLxPicMemAPI::CopyComponent(destination, destinationComponents, destinationWidthBytes, 0,
                                       frame.data(), comps, stride, component,
                                       m_attributes.uiBpcInMemory, m_attributes.uiWidth,
                                       m_attributes.uiWidth * m_attributes.uiHeight);
}

int CLxJP2InputFile::GetImageRegionFirst(uint32_t tileX, uint32_t tileY, uint32_t width,
                                         uint32_t height, void* buffer, uint32_t extra1,
                                         uint32_t extra2)
{
    return GetImageRegion(0, tileX, tileY, width, height, buffer, extra1, extra2);
}

int CLxJP2InputFile::GetImageRegion(uint32_t seq, uint32_t tileX, uint32_t tileY, uint32_t width,
                                    uint32_t height, void* buffer, uint32_t, uint32_t)
{
    if (seq >= m_frameCount)
        return -1501;
    if (!buffer || !width || !height)
        return -4;
    const uint32_t tw = m_attributes.uiTileWidth, th = m_attributes.uiTileHeight;
    if (!tw || !th)
        return -4;
    const uint64_t x = uint64_t(tileX) * tw, y = uint64_t(tileY) * th;
    if (x >= m_attributes.uiWidth || y >= m_attributes.uiHeight)
        return -4;
    const uint32_t w = uint32_t(std::min<uint64_t>(tw, m_attributes.uiWidth - x));
    const uint32_t h = uint32_t(std::min<uint64_t>(th, m_attributes.uiHeight - y));
    // The tile shown whole at width x height: a view of the frame of that
    // scale, from which the tile's rectangle is taken.
    const uint32_t viewW =
        uint32_t(std::max<uint64_t>(1, CeilDiv(uint64_t(m_attributes.uiWidth) * width, w)));
    const uint32_t viewH =
        uint32_t(std::max<uint64_t>(1, CeilDiv(uint64_t(m_attributes.uiHeight) * height, h)));
    const uint32_t vx = uint32_t(x * width / w), vy = uint32_t(y * height / h);
    return GetImageRegionScaled(seq, viewW, viewH, vx, vy, width, height, buffer, 0, 0);
}

int CLxJP2InputFile::GetImageRegionScaled(uint32_t seq, uint32_t W, uint32_t H, uint32_t x,
                                          uint32_t y, uint32_t w, uint32_t h, void* buffer,
                                          uint32_t, uint32_t)
{
    if (seq >= m_frameCount)
        return -1501;
    if (!buffer || !W || !H || !w || !h || x >= W || y >= H)
        return -4;
    w = std::min(w, W - x);
    h = std::min(h, H - y);
    const uint32_t Wf = m_attributes.uiWidth, Hf = m_attributes.uiHeight;
    SLxJP2ScaledRegion region;
    if (!LX_Jp2ScaledRegion(Wf, Hf, m_minLevels, W, H, x, y, w, h, region))
        return -4;
    const uint32_t reduce = region.uiReduce, Wl = region.uiLevelW, Hl = region.uiLevelH;
    const uint32_t rx = region.rx, ry = region.ry;
    const SLxJ2KArea area{region.uiX, region.uiY, region.uiWidth, region.uiHeight};
    const uint32_t comps = m_attributes.uiVirtualComponents != m_codestreamComponents
                               ? m_attributes.uiVirtualComponents
                               : m_attributes.uiComp;
    const uint32_t bits = m_attributes.uiBpcInMemory;
    const uint32_t outStride = RowBytes(w);

    // The decoded window's size comes from the codec's rounding.
    SLxJ2KHeader geometry;
    geometry.uiX1 = Wf;
    geometry.uiY1 = Hf;
    geometry.components.resize(1);
    const SLxJ2KWindow window = LX_J2KComponentWindow(geometry, 0, area, reduce);
    const uint32_t dw = window.Width(), dh = window.Height();
    if (Wl == W && Hl == H && dw == w && dh == h)
        return DecodeFrame(seq, buffer, outStride, reduce, area, w, h);

    std::vector<uint8_t> temp;
    const uint32_t tempStride = RowBytes(dw);
    try {
        temp.assign(size_t(tempStride) * dh, 0);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    const int status = DecodeFrame(seq, temp.data(), tempStride, reduce, area, dw, dh);
    if (status != 0)
        return status;
    // The decoded window shown at the view's scale; the caller's rectangle
    // starts (rx, ry) into it.
    const uint32_t dispW = uint32_t(std::max<uint64_t>(1, uint64_t(dw) * W / Wl));
    const uint32_t dispH = uint32_t(std::max<uint64_t>(1, uint64_t(dh) * H / Hl));
    const uint32_t winX = uint32_t(std::min<uint64_t>(rx, dispW - 1));
    const uint32_t winY = uint32_t(std::min<uint64_t>(ry, dispH - 1));
    const int r = CLxPicMemAPI::StretchDisplay(buffer, w, h, comps, outStride, bits, dispW, dispH,
                                               winX, winY, temp.data(), dw, dh, tempStride,
                                               CLxPicMemAPI::eLxStretchNearest);
    return r < 0 ? r : 0;
}

int CLxJP2InputFile::GetPreviewImage(uint32_t& width, uint32_t& height, uint8_t* destination,
                                     bool keepSize, uint32_t, uint32_t)
{
    const uint32_t Wf = m_attributes.uiWidth, Hf = m_attributes.uiHeight;
    if (!keepSize) {
        if (!width && !height)
            return -4;
        const uint64_t fromWidth = uint64_t(width) * Hf / Wf;
        if (width && fromWidth <= height) {
            height = uint32_t(fromWidth);
        } else {
            width = uint32_t(uint64_t(height) * Wf / Hf);
        }
        width = std::max<uint32_t>(width, 1);
        height = std::max<uint32_t>(height, 1);
    }
    if (!destination)
        return 0;
    if (!width || !height)
        return -4;
    const uint32_t comps = m_attributes.uiVirtualComponents != m_codestreamComponents
                               ? m_attributes.uiVirtualComponents
                               : m_attributes.uiComp;
    std::vector<uint8_t> picture;
    const uint32_t stride = RowBytes(width);
    try {
        picture.assign(size_t(stride) * height, 0);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    const int status = GetImageRegionScaled(PreviewFrame(), width, height, 0, 0, width, height,
                                            picture.data(), 0, 0);
    if (status != 0)
        return status;
    // True colour for display: one or three components as they are, other
    // counts through their first component.
    const uint32_t dstStride = (width * 3 + 3) & ~3u;
    if (comps == 1 || comps == 3)
        return CLxPicMemAPI::ConvertToTrueColor(destination, dstStride, picture.data(), comps,
                                                m_attributes.uiBpcInMemory, stride, width,
                                                width * height, nullptr);
    std::vector<uint8_t> first(size_t(RowBytes(width)) * height);
    const uint32_t bytes = m_attributes.uiBpcInMemory / 8;
    const uint32_t firstStride = ((width * bytes) + 3) & ~3u;
    CLxPicMemAPI::CopyComponent(first.data(), 1, firstStride, 0, picture.data(), comps, stride, 0,
                                m_attributes.uiBpcInMemory, width, width * height);
    return CLxPicMemAPI::ConvertToTrueColor(destination, dstStride, first.data(), 1,
                                            m_attributes.uiBpcInMemory, firstStride, width,
                                            width * height, nullptr);
}
