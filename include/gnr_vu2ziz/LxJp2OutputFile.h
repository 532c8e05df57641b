// The SDK's output document: a new file that copies the shape of an open
// input document. Give the image size and depth, then write the source's
// images one by one, each with its frame's metadata, which the setters may
// change first; Release writes the source's loops and closes the file.
//
// Images are numbered as in the source: for a source of cc channels,
// frame = seq / cc and channel = seq % cc. With cc > 1 the channels of a
// frame come in any order; the frame is written when the last one missing
// arrives (earlier ones report true and write nothing yet; a channel given
// again replaces the one before). A frame never takes channels of another:
// a channel of another frame while one is incomplete drops the incomplete
// frame, nothing of it written, and reports false; that channel starts its
// own frame.
//
// Row layouts differ on the two sides: IJp2InputFile::GetImage gives rows
// padded to a multiple of 4 bytes, while WriteImage takes unpadded rows of
// sample bytes x components x width (sample bytes: 1 up to 8 bits, 2 up to
// 16). Convert rows when the two differ (odd widths).
//
// The metadata of one frame is prepared at a time: setters for a frame
// come before its WriteImage, and a setter or WriteImage for another frame
// drops edits not yet written. SetWavelength gives the channel a probe of
// that emission and name; the channel's description and colour, which
// GetWavelength reports, stay as they were.
//
// Text is UTF-16. The output is used by one thread at a time, together
// with its source.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

class IJp2InputFile;

class IJp2OutputFile
{
  public:
    // Closes the file and destroys the output (there is no AddRef); 0.
    virtual uint32_t Release() = 0;
    virtual uint32_t GetImageCount() = 0;
    // As the source's.
    virtual uint32_t GetSeqIndex(uint32_t* coordinates) = 0;
    // Width, height and significant bits (1 to 16) of every image.
    virtual bool SetImageInfo(uint32_t width, uint32_t height, uint32_t bits) = 0;
    // False before a successful SetImageInfo, for a null buffer or a seq
    // past the source's images; nothing is written then.
    virtual bool WriteImage(uint32_t seq, const void* buffer) = 0;
    // Milliseconds.
    virtual bool SetTime(uint32_t seq, double time) = 0;
    virtual bool SetPosition(uint32_t seq, double x, double y, double z) = 0;
    // False when the frame has no such channel.
    virtual bool SetWavelength(uint32_t seq, double wavelength, const char16_t* name, uint8_t r,
                               uint8_t g, uint8_t b) = 0;
    virtual bool SetCalibration(uint32_t seq, double calibration, double aspect) = 0;
    virtual bool SetObjective(uint32_t seq, const char16_t* name, double magnification,
                              double numericalAperture, double refractiveIndex) = 0;
    // The values of IJp2InputFile::GetModality. False when the frame has no
    // such channel.
    virtual bool SetModality(uint32_t seq, uint32_t modality) = 0;

  protected:
    ~IJp2OutputFile() = default;
};

// A new document at path shaped as source (an input document of this
// library), which it keeps a reference on: QX2, or JPEG 2000 when a JPEG
// 2000 file is already there. Null for a null path or source, the source's
// own file, a path holding a file of neither format or one that cannot be
// written (left untouched), or a folder that cannot be written.
//
// A file already at the path stays as it is until Release: the document is
// written beside it (in a link's target's folder) as
// "<stem>.partial-XXXXXX<extension>" and renamed over it at Release once a
// frame was written; without a frame it is removed. When the writer is
// killed or the document does not close, the old file stays and the new
// document keeps its temporary name, opening with the frames it holds.
extern "C" LX_EXPORT IJp2OutputFile* CreateJp2OutputFile(const char16_t* path,
                                                         IJp2InputFile* source);
