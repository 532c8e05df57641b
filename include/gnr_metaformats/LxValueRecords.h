// Small value records: a colour with alpha and a document's free texts.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

// A colour as one word 0xAARRGGBB. Channel, filter and probe colours
// elsewhere are 0x00BBGGRR words; GetColorRef and SetColorRef convert.
struct LX_EXPORT SLxColor {
    enum ColorConstants : uint32_t {
        eTransparent = 0x00000000u,
        eBlack = 0xFF000000u,
        eWhite = 0xFFFFFFFFu,
        eRed = 0xFFFF0000u,
        eGreen = 0xFF00FF00u,
        eBlue = 0xFF0000FFu,
    };

    // Opaque black.
    SLxColor() : m_argb(0xFF000000u) {}
    SLxColor(uint8_t a, uint8_t r, uint8_t g, uint8_t b) : m_argb(MakeARGB(a, r, g, b)) {}
    SLxColor(uint8_t r, uint8_t g, uint8_t b) : m_argb(MakeARGB(255, r, g, b)) {}

    uint8_t GetA() const { return uint8_t(m_argb >> 24); }
    uint8_t GetR() const { return uint8_t(m_argb >> 16); }
    uint8_t GetG() const { return uint8_t(m_argb >> 8); }
    uint8_t GetB() const { return uint8_t(m_argb); }
    uint32_t GetRGB() const { return m_argb & 0xFFFFFFu; }
    // 0x00BBGGRR.
    uint32_t GetColorRef() const
    {
        return uint32_t(GetR()) | uint32_t(GetG()) << 8 | uint32_t(GetB()) << 16;
    }

    void Set(uint32_t argb) { m_argb = argb; }
    // Alpha a, red, green and blue from the low 24 bits of rgb (0xRRGGBB).
    void Set(uint8_t a, uint32_t rgb) { m_argb = uint32_t(a) << 24 | (rgb & 0xFFFFFFu); }
    void Set(uint8_t r, uint8_t g, uint8_t b) { m_argb = MakeARGB(255, r, g, b); }
    void Set(uint8_t a, uint8_t r, uint8_t g, uint8_t b) { m_argb = MakeARGB(a, r, g, b); }
    void Set(ColorConstants constant) { m_argb = uint32_t(constant); }
    // From 0x00BBGGRR, opaque.
    void SetColorRef(uint32_t bgr)
    {
        m_argb = MakeARGB(255, uint8_t(bgr), uint8_t(bgr >> 8), uint8_t(bgr >> 16));
    }
    bool IsSet() const { return m_argb != 0; }

    bool operator==(const SLxColor& other) const { return m_argb == other.m_argb; }
    bool operator!=(const SLxColor& other) const { return m_argb != other.m_argb; }

    static uint32_t MakeARGB(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
    {
        return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    }

    uint32_t m_argb;
};

// The fourteen free texts of a document, numbered 0 to 13; all empty when
// constructed.
struct LX_EXPORT SLxImageTextInfo {
    enum { eTextCount = 14 };

    CLxStringW wsText[eTextCount];
};
