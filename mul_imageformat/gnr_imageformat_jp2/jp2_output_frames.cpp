// The writer's frames and tiles: sequencing, the codestream parameters and
// the encoding through the codec layer.
#include <algorithm>
#include <climits>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

namespace
{

// Codestream bytes go straight into the current "jp2c" box.
class TargetSink : public jp2_byte_sink
{
  public:
    explicit TargetSink(jp2_file_target& target) : m_target(target) {}
    bool Write(const uint8_t* data, size_t count) override
    {
        while (count) {
            const int32_t n = int32_t(std::min<size_t>(count, 1 << 30));
            if (!m_target.write(data, n))
                return false;
            data += n;
            count -= size_t(n);
        }
        return true;
    }

  private:
    jp2_file_target& m_target;
};

} // namespace

uint32_t CLxJP2OutputFile::FrameStride(const SLxImageAttributes& a)
{
    return CLxPicBufAPI::CalcWidthBytes(a.uiWidth, a.uiBpcInMemory, a.uiComp, 4);
}

void CLxJP2OutputFile::AdjustCompression(int32_t& type, double& parameter)
{
    if (type == LX_COMPRESSION_LOSSLESS || type == 2) {
        parameter = 0.0;
        return;
    }
    type = 1;
    if (!(parameter >= 0.000001)) // NaN too
        parameter = 0.000001;
    if (parameter > 1.0)
        parameter = 1.0;
}

int CLxJP2OutputFile::SetImageAttributes(const SLxImageAttributes& attributes)
{
    m_clean = false;
    m_attributes = attributes;
    SLxImageAttributes& a = m_attributes;
    a.uiBpcInMemory = uint8_t(std::min(32, (a.uiBpcInMemory + 7) / 8 * 8));
    if (a.uiTileWidth == 0)
        a.uiTileWidth = a.uiWidth;
    if (a.uiTileHeight == 0)
        a.uiTileHeight = a.uiHeight;
    m_virtualComponents = a.uiComp;
    if (a.uiComp != 1 && a.uiComp != 3)
        a.uiComp = 1;
    // The one stride of every frame buffer, over all the pixel's samples:
    // the caller's, or rows padded to 4 bytes when none is declared. One
    // shorter than a row's pixels stays 0, which SetImageData refuses (-4).
    SLxImageAttributes whole = a;
    whole.uiComp = m_virtualComponents;
    const uint64_t pixels = uint64_t(a.uiBpcInMemory / 8) * m_virtualComponents * a.uiWidth;
    if (a.uiWidthBytes == 0)
        a.uiWidthBytes = FrameStride(whole);
    else if (a.uiWidthBytes < pixels)
        a.uiWidthBytes = 0;
    AdjustCompression(a.eCompression, a.dCompressionParam);
    AppendSideText(LX_Jp2TextAdvancedAttributes(a.uiBpcSignificant, m_virtualComponents));
    return 0;
}

bool CLxJP2OutputFile::ValidAttributes() const
{
    const SLxImageAttributes& a = m_attributes;
    const uint64_t most = uint64_t(INT_MAX);
    return a.uiWidth && a.uiHeight && m_virtualComponents && a.uiBpcInMemory &&
           a.uiBpcInMemory <= 16 && a.uiWidth <= most && a.uiHeight <= most &&
           a.uiWidthBytes != 0 && uint64_t(a.uiWidthBytes) * a.uiHeight <= most;
}

SLxJ2KEncodeSettings CLxJP2OutputFile::Settings(uint32_t components) const
{
    SLxJ2KEncodeSettings s;
    s.uiWidth = m_attributes.uiWidth;
    s.uiHeight = m_attributes.uiHeight;
    s.uiComponents = components;
    s.uiBits = m_attributes.uiBpcInMemory;
    s.uiTileWidth = m_attributes.uiTileWidth;
    s.uiTileHeight = m_attributes.uiTileHeight;
    s.bLossy = m_attributes.eCompression == 1;
    s.dRate = m_attributes.dCompressionParam;
    return s;
}

bool CLxJP2OutputFile::TilesRemain() const
{
    return m_encoder && m_encoder->IsStarted();
}

// The target's header boxes and the codec over the current "jp2c" box.
void CLxJP2OutputFile::StartCodestream(uint32_t components)
{
    const SLxJ2KEncodeSettings s = Settings(components);
    m_encoder = std::make_unique<jp2_encoder>();
    TargetSink* sink = new TargetSink(*m_target);
    m_sink.reset(sink);
    m_encoder->Start(s, *sink, LX_J2KDecodeThreads(uint64_t(s.uiWidth) * s.uiHeight));
}

int CLxJP2OutputFile::Sequence(uint32_t seq, bool tile)
{
    const uint32_t cur = m_currentSequenceIdx;
    if (tile && m_virtualComponents != m_attributes.uiComp)
        return -2;
    if (!m_target) {
        // The first frame must be frame 0 (after a cut, the first cut one):
        // nothing is touched otherwise.
        if (m_resume && seq != cur)
            return -1503;
        if (!m_resume && seq != 0)
            return -1500;
        // The file is emptied only under the lock: a refused writer
        // leaves the holder's file as it is.
        if (!m_memory && !m_lock.held() && !m_lock.acquire(m_path, true))
            LX_RaiseJp2Error("Unable to open output file.");
        auto target = std::make_unique<jp2_file_target>();
        if (m_resume) {
            target->open_append(m_path.GetString(), m_map);
        } else {
            // A new document: nothing of a file re-closed before stays.
            m_kept.clear();
            if (m_map)
                LX_FreeJp2PositionsInfo(m_map);
            m_map = m_memory ? nullptr : LX_NewJp2PositionsInfo();
            if (m_memory)
                target->open(m_memory);
            else
                target->open(m_path.GetString(), m_map);
            m_wroteFile = !m_memory;
        }
        SLxJP2SizParams siz;
        siz.uiWidth = m_attributes.uiWidth;
        siz.uiHeight = m_attributes.uiHeight;
        siz.uiComponents = m_attributes.uiComp;
        siz.precision.assign(m_attributes.uiComp, m_attributes.uiBpcInMemory);
        siz.isSigned.assign(m_attributes.uiComp, false);
        siz.uiTileWidth = m_attributes.uiTileWidth;
        siz.uiTileHeight = m_attributes.uiTileHeight;
        target->access_dimensions()->init(siz);
        target->access_colour()->init(m_attributes.uiComp == 3 ? eJp2sRGB : eJp2sLUM);
        if (!m_calibrations.empty() && m_calibrations[0].valid &&
            m_calibrations[0].calibration > 0.0) {
            target->access_resolution()->init(1.0f);
            target->access_resolution()->set_resolution(float(m_calibrations[0].calibration),
                                                        false);
        }
        target->set_write_through(true);
        m_target = std::move(target);
        m_codestreams = 0;
        m_frameStarted = false;
        m_resume = false;
        return 0;
    }
    if (seq < cur || seq > cur + 1)
        return -1503;
    if (seq == cur + 1) {
        if (TilesRemain())
            return -1505;
        m_currentSequenceIdx = seq;
        m_frameStarted = false;
    }
    return 0;
}

// A new "jp2c" box (the target begins the first with the header boxes) and
// a codec over it.
void CLxJP2OutputFile::NextCodestream(uint32_t components)
{
    if (m_codestreams > 0 && !m_target->next_codestream())
        LX_RaiseJp2Error("Cannot begin the next codestream.", LX_JP2_E_WRITE_THROUGH);
    ++m_codestreams;
    StartCodestream(components);
}

// Encodes tiles of the current codestream from the rows at buffer: every
// tile for a whole frame, else the next one. After a cancel the tile in
// hand is finished and later tiles are encoded from zero samples, so the
// codestream stays complete.
int CLxJP2OutputFile::Encode(const uint8_t* buffer, size_t pitch, LX_PFN_PROGRESS progress,
                             void* context, bool wholeFrame)
{
    jp2_encoder& e = *m_encoder;
    const SLxImageAttributes& a = m_attributes;
    const size_t pixelBytes = size_t(a.uiBpcInMemory / 8) * a.uiComp;
    const double total = double(a.uiWidth) * a.uiHeight;
    bool cancelled = false;
    do {
        const uint32_t tx = e.NextTileX(), ty = e.NextTileY();
        const uint32_t tw = e.TileWidth(tx), th = e.TileHeight(ty);
        const uint32_t left = tx * a.uiTileWidth, top = ty * a.uiTileHeight;
        const uint8_t* rows = nullptr;
        if (!cancelled)
            rows = wholeFrame ? buffer + size_t(top) * pitch + left * pixelBytes : buffer;
        std::function<bool(uint32_t)> onRow;
        if (progress && !cancelled)
            onRow = [&](uint32_t done) {
                if (!cancelled)
                    cancelled = progress(
                        (double(done) * tw + double(a.uiWidth) * top + double(th) * left) / total,
                        context);
                return cancelled;
            };
        e.WriteTile(rows, pitch, onRow);
    } while (wholeFrame && e.NextTileY() < e.TilesDown());
    if (e.NextTileY() >= e.TilesDown()) {
        e.Finish();
        m_encoder.reset();
    }
    return cancelled ? -8 : 0;
}

int CLxJP2OutputFile::SetImageData(uint32_t seq, const void* buffer, LX_PFN_PROGRESS progress,
                                   void* context)
{
    if (!buffer || !ValidAttributes())
        return -4;
    try {
        int status = Sequence(seq, false);
        if (status != 0)
            return status;
        if (m_frameStarted || TilesRemain())
            return -1503;
        m_clean = false;
        m_frameStarted = true;
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        const SLxImageAttributes& a = m_attributes;
        if (a.uiComp == m_virtualComponents) {
            NextCodestream(a.uiComp);
            return Encode(bytes, a.uiWidthBytes, progress, context, true);
        }
        // Each virtual component in a codestream of its own.
        const uint32_t sampleBytes = a.uiBpcInMemory / 8;
        const uint32_t pitch = CLxPicBufAPI::CalcWidthBytes(a.uiWidth, a.uiBpcInMemory, 1, 4);
        std::vector<uint8_t> work(size_t(pitch) * a.uiHeight);
        int result = 0;
        for (uint32_t v = 0; v < m_virtualComponents; ++v) {
            for (uint32_t y = 0; y < a.uiHeight; ++y) {
                const uint8_t* src = bytes + size_t(y) * a.uiWidthBytes + v * sampleBytes;
                uint8_t* dst = work.data() + size_t(y) * pitch;
                for (uint32_t x = 0; x < a.uiWidth; ++x)
                    memcpy(dst + size_t(x) * sampleBytes,
                           src + size_t(x) * m_virtualComponents * sampleBytes, sampleBytes);
            }
            NextCodestream(1);
            const int r = Encode(work.data(), pitch, result ? nullptr : progress, context, true);
            if (r)
                result = r;
        }
        return result;
    } catch (const CLxJP2ErrorException& e) {
        m_encoder.reset();
        return e.GetCode();
    } catch (const std::bad_alloc&) {
        m_encoder.reset();
        return -3;
    }
}

int CLxJP2OutputFile::SetImageTile(uint32_t seq, int32_t tileX, int32_t tileY, const void* buffer,
                                   LX_PFN_PROGRESS progress, void* context)
{
    if (!buffer || !ValidAttributes())
        return -4;
    try {
        // The expected tile: the encoder's next, or the first of a new frame.
        const bool inFrame = TilesRemain() && seq == m_currentSequenceIdx;
        const uint32_t wantX = inFrame ? m_encoder->NextTileX() : 0;
        const uint32_t wantY = inFrame ? m_encoder->NextTileY() : 0;
        if (tileX < 0 || tileY < 0 || uint32_t(tileX) != wantX || uint32_t(tileY) != wantY)
            return -1504;
        const int status = Sequence(seq, true);
        if (status != 0)
            return status;
        if (!TilesRemain()) {
            if (m_frameStarted)
                return -1504; // every tile of this frame is in
            m_clean = false;
            m_frameStarted = true;
            NextCodestream(m_attributes.uiComp);
        }
        const SLxImageAttributes& a = m_attributes;
        const uint32_t pitch = CLxPicBufAPI::CalcWidthBytes(m_encoder->TileWidth(uint32_t(tileX)),
                                                            a.uiBpcInMemory, a.uiComp, 4);
        return Encode(static_cast<const uint8_t*>(buffer), pitch, progress, context, false);
    } catch (const CLxJP2ErrorException& e) {
        m_encoder.reset();
        return e.GetCode();
    } catch (const std::bad_alloc&) {
        m_encoder.reset();
        return -3;
    }
}
