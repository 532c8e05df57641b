// Brings a rectangle of one codestream, at a reduce level, into an
// interleaved 8-bit or 16-bit buffer: the JP2 channels (cmap, pclr, cdef)
// mapped onto codestream components, palettes of any size, sYCC and ICC
// colour turned into sRGB, samples brought to the output precision.
//
// 16-bit output keeps each channel's own depth (clamped to its range, signed
// channels as int16). 8-bit output scales every depth to 8 bits through 13
// fraction bits: f = centred value shifted to 13 fraction bits, out =
// clamp(((f + 16) >> 5) + 128, 0, 255), so 8-bit samples map to themselves.
//
// Errors are thrown as CLxJP2ErrorException (-9) with the texts below.
#pragma once

#include <cstdint>
#include <vector>

#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"

class jp2_file_source;
class jp2_colour;

// The 8-bit output of a sample in 13 fraction bits (-4096 .. 4095 nominal).
inline uint8_t LX_Jp2FixedTo8(int32_t f)
{
    const int32_t v = ((f + 16) >> 5) + 128;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One output channel: a codestream component, possibly through a palette.
struct SLxJP2ChannelMap {
    int iComponent = 0;
    const int32_t* pLut = nullptr; // palette column, left-aligned (null: none)
    uint32_t uiLutEntries = 0;
    int iLutDepth = 0; // signed depth of the palette column
};

class RegionDecompressor
{
  public:
    // The channels of the JP2 header: its colours (through cmap and cdef),
    // then every codestream component no colour uses. Without a source, one
    // channel per component. The source must outlive the decompressor.
    void SetChannelMapping(jp2_file_source* source, const SLxJ2KHeader& header);
    // One channel of one component (the virtual components' path).
    void SetSingleComponent(const SLxJ2KHeader& header, int component);

    uint32_t GetChannelCount() const { return uint32_t(m_channels.size()); }
    // The channel's depth (palette column or component) and signedness.
    int GetChannelDepth(uint32_t channel) const;
    bool GetChannelSigned(uint32_t channel) const;
    // The window of the first channel's component: the output's size.
    SLxJ2KWindow GetWindow(const SLxJ2KHeader& header, const SLxJ2KArea& area,
                           uint32_t reduce) const;

    struct Output {
        uint8_t* pBuffer = nullptr;
        uint32_t uiWidth = 0, uiHeight = 0; // pixels the buffer holds
        uint32_t uiStride = 0;              // bytes per row
        uint32_t uiSamplesPerPixel = 1;
        uint32_t uiBits = 8; // 8 or 16
        // Sample of each channel within a pixel.
        std::vector<uint32_t> sampleOfChannel;
    };
    // Decodes the area at the reduce level into the output. Checks the
    // colour-transform rules and the output depth first.
    void Process(jp2_decoder& decoder, uint32_t reduce, const SLxJ2KArea& area,
                 const Output& output);

  private:
    class Sink;
    std::vector<SLxJP2ChannelMap> m_channels;
    std::vector<SLxJ2KComponent> m_components;
    jp2_colour* m_colour = nullptr;
};
