// Where a rectangle of a scaled view of a frame comes from: the caller sees
// the frame (full size Wf x Hf) scaled to W x H and asks for (x, y, w, h).
#pragma once

#include <cstdint>

struct SLxJP2ScaledRegion {
    uint32_t uiReduce = 0;                                // halvings of the level
    uint32_t uiLevelW = 0, uiLevelH = 0;                  // the level size (Wl, Hl)
    uint32_t xl = 0, yl = 0, wl = 0, hl = 0;              // the rectangle at the level
    uint32_t rx = 0, ry = 0;                              // the view rectangle's start within it
    uint32_t uiX = 0, uiY = 0, uiWidth = 0, uiHeight = 0; // at full resolution
};

// The level is the smallest halving of the full size (at most maxHalvings)
// that still reaches W x H; the rectangle at it covers the view rectangle,
// in 64-bit integer arithmetic. False for empty sizes or a rectangle outside
// the view.
bool LX_Jp2ScaledRegion(uint32_t Wf, uint32_t Hf, uint32_t maxHalvings, uint32_t W, uint32_t H,
                        uint32_t x, uint32_t y, uint32_t w, uint32_t h, SLxJP2ScaledRegion& out);
