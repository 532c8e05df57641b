// The histogram record of the picture layer. The histogram operations that
// fill it come with the image filters; the equalising table builder
// (SLxLut::CreateEqualizingTable_1_1) only reads it.
#pragma once

#include <cstdint>

// Bins are unsigned counters of uiBinSize bytes (4 or 8); every plane has
// 2^uiBits bins. The record does not own the planes.
struct SLxHisto {
    // The bins of the whole picture (the only plane of one component).
    void* pHisto = nullptr;
    // uiComps pointers, the bins of each component.
    void** ppCompHisto = nullptr;
    // Bytes of one bin: 4 (uint32_t bins) or 8 (uint64_t bins).
    uint32_t uiBinSize = 0;
    uint32_t uiComps = 0;
    // Bits per component; a plane has 2^uiBits bins.
    uint32_t uiBits = 0;
};
