// The SDK's input document: a multi-dimensional image document opened by
// path, its loops, and its images one by one.
//
// Images are numbered by sequence index. A stored frame of a spectral
// document holds several channels; each channel is an image of its own, so
// for a document of cc channels, frame = seq / cc and channel = seq % cc.
//
// Loop types: 1 time, 2 Z stack, 3 channel, 4 stage points, 0 other.
//
// Images come out in rows padded to a multiple of 4 bytes, as GetImageInfo
// reports them. Text is UTF-16; names are copied like wcsncpy: at most the
// given length, without a terminator when the name fills it.
//
// One object is used by one thread at a time; objects of different
// documents may be used on different threads.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

class IJp2InputFile
{
  public:
    virtual uint32_t AddRef() = 0;
    // 0 when the object was destroyed.
    virtual uint32_t Release() = 0;
    virtual uint32_t GetImageCount() = 0;
    virtual uint32_t GetLoopCount() = 0;
    virtual uint32_t GetLoopType(uint32_t loop) = 0;
    virtual uint32_t GetLoopSize(uint32_t loop) = 0;
    // One coordinate per loop, in loop order; 0 on failure. The array is
    // left as it was.
    virtual uint32_t GetSeqIndex(uint32_t* coordinates) = 0;
    virtual bool GetImageInfo(uint32_t seq, uint32_t* width, uint32_t* widthBytes,
                              uint32_t* height, uint32_t* components, uint32_t* bits) = 0;
    // widthBytes x height bytes into dst; nothing written on failure.
    virtual bool GetImage(uint32_t seq, void* dst) = 0;
    // Milliseconds.
    virtual bool GetTime(uint32_t seq, double* time) = 0;
    virtual bool GetPosition(uint32_t seq, double* x, double* y, double* z) = 0;
    virtual bool GetWavelength(uint32_t seq, double* wavelength, char16_t* name,
                               uint32_t nameLength, uint8_t* r, uint8_t* g, uint8_t* b) = 0;
    // An uncalibrated image gives true with 0.0 and 0.0.
    virtual bool GetCalibration(uint32_t seq, double* calibration, double* aspect) = 0;
    virtual bool GetObjective(uint32_t seq, char16_t* name, uint32_t nameLength,
                              double* magnification, double* numericalAperture,
                              double* refractiveIndex) = 0;
    // 0 widefield fluorescence, 1 brightfield, 2 laser-scanning confocal,
    // 3 spinning-disk confocal, 4 swept-field confocal, 5 multi-photon.
    virtual bool GetModality(uint32_t seq, uint32_t* modality) = 0;

  protected:
    ~IJp2InputFile() = default;
};

// Opens the document at path (QX2 or JPEG 2000); null when it cannot be
// opened. The caller holds one reference.
extern "C" LX_EXPORT IJp2InputFile* CreateJp2InputFile(const char16_t* path);
