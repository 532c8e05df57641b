// The readers' part of repairing an unfinished file: while the chunk layer
// walks the chunks, note the attributes, the experiment, the highest frame
// index and (version 2.1) the frames' times; afterwards hand it the chunks
// such a file lacks: "ImageMetadata!" repaired to the frames found,
// "ImageAttributes!" with that frame count and, when the frames came in
// order, "CustomData|AcqTimesCache!".
#pragma once

#include <cstdint>
#include <memory>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"

class CLxQX2Serializer;

struct SLxQX2RescanContext {
    explicit SLxQX2RescanContext(bool version1, CLxQX2Serializer* serializer);

    bool bVersion1;
    CLxQX2Serializer* pSerializer;
    // The last complete chunk of each kind counts, as in the map.
    SLxImageAttributes attributes;
    std::unique_ptr<SLxExperiment> pExperiment;
    bool bSawFrame;
    uint32_t uiHighest;
    CLxByteArray times; // contiguous frames 0 .. n-1 only

    // The highest frame index seen plus 1; 0 when no frame was seen (a
    // writer that stopped before its first frame finished).
    uint32_t FrameCount() const { return bSawFrame ? uiHighest + 1 : 0; }
};

// The chunk layer's rescan callback over an SLxQX2RescanContext.
int LX_QX2RescanCallback(const uint8_t* header, CLxStringA& name, CLxByteArray& data,
                         void* context);
