// Our own small codec interface over the JPEG 2000 codestream library: the
// rest of the format sees only these types, never the library's.
//
// Raw codestreams only (the JP2 boxes are ours). Every failure of the library
// is thrown as CLxJP2ErrorException with the library's first error text and
// code -9. The encoding half lives in its own files beside this one.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

class jp2_file_source;

// One component as the codestream's main header describes it.
struct SLxJ2KComponent {
    uint32_t uiDx = 1; // sub-sampling on the reference grid
    uint32_t uiDy = 1;
    int iPrecision = 0; // bits
    bool bSigned = false;
    uint32_t uiResolutions = 1; // wavelet levels + 1
};

// The facts of a codestream's main header.
struct SLxJ2KHeader {
    uint32_t uiX0 = 0, uiY0 = 0, uiX1 = 0, uiY1 = 0; // image area on the reference grid
    uint32_t uiTileX0 = 0, uiTileY0 = 0;             // tile grid origin
    uint32_t uiTileWidth = 0, uiTileHeight = 0;
    uint32_t uiTilesAcross = 0, uiTilesDown = 0;
    bool bMct = false; // multiple component transform
    std::vector<SLxJ2KComponent> components;

    uint32_t Width() const { return uiX1 - uiX0; }
    uint32_t Height() const { return uiY1 - uiY0; }
    // Levels that can be discarded: below every component's resolution count.
    uint32_t MaxReduce() const;
};

// One decoded block: for each component a plane of samples at the reduced
// level, placed at (x, y) of the component's window (see jp2_decoder).
struct SLxJ2KPlane {
    const uint8_t* pData = nullptr;
    uint32_t uiBytes = 4; // per sample: 1, 2 or 4 (int32)
    bool bSigned = false; // 1- and 2-byte samples: signed or unsigned
    uint32_t uiX = 0, uiY = 0;
    uint32_t uiWidth = 0, uiHeight = 0;

    int32_t Sample(uint32_t x, uint32_t y) const
    {
        const size_t i = size_t(y) * uiWidth + x;
        switch (uiBytes) {
        case 1:
            return bSigned ? int32_t(int8_t(pData[i])) : int32_t(pData[i]);
        case 2: {
            uint16_t v;
            memcpy(&v, pData + 2 * i, 2);
            return bSigned ? int32_t(int16_t(v)) : int32_t(v);
        }
        default: {
            int32_t v;
            memcpy(&v, pData + 4 * i, 4);
            return v;
        }
        }
    }
};

// Receives the decoded blocks one after the other.
class jp2_block_sink
{
  public:
    virtual ~jp2_block_sink() = default;
    virtual void Block(const std::vector<SLxJ2KPlane>& planes) = 0;
};

// A rectangle of the image, in full-resolution coordinates relative to the
// image origin.
struct SLxJ2KArea {
    uint32_t uiX = 0, uiY = 0, uiWidth = 0, uiHeight = 0;
};

// The window of a component at a reduce level: the samples that cover the
// area (sub-sampling and every halving rounding up, as the codec does).
struct SLxJ2KWindow {
    uint32_t uiX0 = 0, uiY0 = 0, uiX1 = 0, uiY1 = 0; // on the component's reduced grid
    uint32_t Width() const { return uiX1 - uiX0; }
    uint32_t Height() const { return uiY1 - uiY0; }
};
SLxJ2KWindow LX_J2KComponentWindow(const SLxJ2KHeader& header, uint32_t component,
                                   const SLxJ2KArea& area, uint32_t reduce);

// Threads for a frame of that many samples: the process's cores from 2^20
// samples on, else one; QUELVIX_THREADS=n sets n (1 forces one).
int LX_J2KDecodeThreads(uint64_t samples);

// Decodes one codestream. One object per request.
class jp2_decoder
{
  public:
    jp2_decoder();
    ~jp2_decoder();
    jp2_decoder(const jp2_decoder&) = delete;
    jp2_decoder& operator=(const jp2_decoder&) = delete;

    // Reads the main header of the codestream the source stands on, in
    // strict mode with that many threads. The source must stay open while
    // the decoder is used.
    void Open(jp2_file_source& source, int threads);
    // The same over codestream bytes held in memory (which must outlive the
    // decoder).
    void Open(const uint8_t* bytes, uint64_t size, int threads);
    const SLxJ2KHeader& Header() const;

    // Decodes the area at the reduce level (at most MaxReduce). Each block
    // goes to the sink; its planes hold every component's part of the
    // window. A whole image is decoded tile by tile.
    void Decode(uint32_t reduce, const SLxJ2KArea& area, jp2_block_sink& sink);

  private:
    struct State;
    void ReadHeader();
    std::unique_ptr<State> m_state;
};
