// The encoding half of the codec layer: one raw codestream per call
// sequence Start, WriteTile (raster order, every tile), Finish. Failures of
// the library throw CLxJP2ErrorException (-9); a byte sink that refuses a
// write ends the encoding with -1107.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// What a codestream is made of. Samples arrive interleaved, 8-bit as
// uint8 and deeper ones as uint16, codestream component c taken from the
// pixel's sample number (components - 1 - c).
struct SLxJ2KEncodeSettings {
    uint32_t uiWidth = 0;
    uint32_t uiHeight = 0;
    uint32_t uiComponents = 1; // 1 or 3 (the colour transform is on for 3)
    uint32_t uiBits = 8;       // precision: 8 or 16
    uint32_t uiTileWidth = 0;  // 0: one tile
    uint32_t uiTileHeight = 0;
    bool bLossy = false; // 9/7 at the rate, else 5/3 reversible
    double dRate = 0.0;  // fraction of the raw size, (0, 1]
};

// Quality layers: 1 + the bit length of max(width, height).
uint32_t LX_J2KLayerCount(uint32_t width, uint32_t height);
// Resolutions: min(6, floor(log2(min(tile w, tile h, w, h))) + 1), at least 1.
uint32_t LX_J2KResolutionCount(const SLxJ2KEncodeSettings& settings);
// Byte cap of a lossy codestream (0: none): trunc(raw size x rate) in 64
// bits; above INT_MAX left to the rates; raised to a floor that holds the
// marker segments when it would truncate to 0.
int64_t LX_J2KMaxBytes(const SLxJ2KEncodeSettings& settings);
// Compression ratio of layer i of L (0: lossless).
double LX_J2KLayerRatio(const SLxJ2KEncodeSettings& settings, uint32_t layer, uint32_t layers);

// Receives the codestream bytes in order; false ends the encoding.
class jp2_byte_sink
{
  public:
    virtual ~jp2_byte_sink() = default;
    virtual bool Write(const uint8_t* data, size_t count) = 0;
};

class jp2_encoder
{
  public:
    jp2_encoder();
    ~jp2_encoder();
    jp2_encoder(const jp2_encoder&) = delete;
    jp2_encoder& operator=(const jp2_encoder&) = delete;

    // Sets the codec up and writes the main header through the sink.
    void Start(const SLxJ2KEncodeSettings& settings, jp2_byte_sink& sink, int threads);
    bool IsStarted() const { return m_state != nullptr; }

    uint32_t TilesAcross() const;
    uint32_t TilesDown() const;
    // The next tile in raster order; TilesDown() when all are written.
    uint32_t NextTileX() const;
    uint32_t NextTileY() const;
    // Size of tile (x, y) in pixels.
    uint32_t TileWidth(uint32_t x) const;
    uint32_t TileHeight(uint32_t y) const;

    // Encodes the next tile from the caller's rows: the tile's first pixel
    // at `rows`, `pitch` bytes from one row to the next; null rows encode
    // zero samples. After each filled row, onRow(rows done) is called (when
    // set); its true (cancel) is remembered, the tile is still finished.
    void WriteTile(const uint8_t* rows, size_t pitch,
                   const std::function<bool(uint32_t)>& onRow = {});
    // Writes the end of the codestream; every tile must be in.
    void Finish();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};
