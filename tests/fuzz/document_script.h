// The byte script of fuzz_document_layer: the attributes, experiment tree
// and frame metadata of a document, read in order (0 past the end). The
// reader of the script is the one definition of its layout; the seed
// writer below follows it call by call.
//
//   document := flags width height components deep frames:u16 planes
//               {plane components}* timing failing [level if flags & 1]
//               {coordinate}*
//   level    := type count [u16 count if count is 255] flags
//               [validity bits if flags & 1] children {repeat level}*
//               NE time: periods {count valid levels {level}*}* instead
//               spectral: {item components}* for the first 16 items
//               (at most 32 items)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace document_script
{

using E = SLxExperiment;

constexpr uint32_t kMaxDepth = 4;
constexpr uint32_t kMaxLevels = 12;
constexpr uint32_t kMaxPlanes = 6;

struct SReader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t levels = 0;

    uint8_t U8() { return at < size ? data[at++] : 0; }
    uint16_t U16()
    {
        const uint16_t low = U8();
        return uint16_t(low | U8() << 8);
    }
    bool More() const { return at < size; }
};

// Values worth a loop period or a frame time.
inline double Period(uint8_t choice)
{
    static const double kPeriods[] = {100.0, 0.0, 1.0, 250.0, -5.0, 1e300, 0.5, 60000.0};
    return kPeriods[choice % (sizeof kPeriods / sizeof kPeriods[0])];
}

inline E* NewLevel(E::ELxExperimentType type, uint32_t count, uint32_t periods, uint32_t children)
{
    E* level = nullptr;
    if (E::Alloc(&level) != 0)
        return nullptr;
    if (E::Init(*level, type, true, count, periods, children) != 0) {
        E::Free(level);
        return nullptr;
    }
    return level;
}

E* ReadLevel(SReader& in, uint32_t depth);

// The periods of a non-equidistant time loop with the levels inside each.
inline E* ReadNETime(SReader& in, uint32_t depth)
{
    const uint32_t periods = in.U8() % 5;
    struct SPeriod {
        uint32_t count;
        bool valid;
        std::vector<E*> levels;
    };
    std::vector<SPeriod> read(periods);
    uint32_t total = 0;
    for (SPeriod& p : read) {
        p.count = in.U8() % 16;
        p.valid = in.U8() % 4 != 0;
        const uint32_t levels = depth < kMaxDepth ? in.U8() % 3 : 0;
        for (uint32_t i = 0; i < levels; ++i)
            if (E* level = ReadLevel(in, depth + 1))
                p.levels.push_back(level);
        total += p.valid ? p.count : 0;
    }
    E* level = NewLevel(E::eEtNETime, total, periods, 0);
    if (!level) {
        for (SPeriod& p : read)
            for (E* sub : p.levels)
                E::FreeRecursive(sub);
        return nullptr;
    }
    E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    if (periods)
        ne.pSubLoops = lx_meta::NewArray<E::SLxSubLoopsDefinition>(periods);
    level->bOwnsSubLoopLevels = true;
    for (uint32_t p = 0; p < periods; ++p) {
        ne.pPeriod[p].uiCount = read[p].count;
        ne.pPeriod[p].dPeriod = Period(uint8_t(p));
        ne.pPeriodValid[p] = read[p].valid;
        const std::vector<E*>& subs = read[p].levels;
        E::SLxSubLoopsDefinition* def = ne.pSubLoops ? &ne.pSubLoops[p] : nullptr;
        if (def && !subs.empty())
            def->ppNextLevelEx = static_cast<E**>(
                CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, subs.size() * sizeof(E*)));
        if (def && def->ppNextLevelEx) {
            def->uiNextLevelCount = uint32_t(subs.size());
            for (size_t i = 0; i < subs.size(); ++i)
                def->ppNextLevelEx[i] = subs[i];
        } else {
            for (E* sub : subs)
                E::FreeRecursive(sub);
        }
    }
    return level;
}

inline E* ReadLevel(SReader& in, uint32_t depth)
{
    if (++in.levels > kMaxLevels)
        return nullptr;
    const auto type = E::ELxExperimentType(in.U8() % 10);
    if (type == E::eEtNETime)
        return ReadNETime(in, depth);
    // Large loops take the same paths as small ones, only slower.
    uint32_t count = in.U8();
    if (count == 255)
        count = in.U16() % 2048;
    else
        count %= 24;
    if (type == E::eEtSpect)
        count %= 33;
    const uint8_t flags = in.U8();
    const uint8_t validity = flags & 1 ? in.U8() : 0xFF;
    const uint32_t children = depth < kMaxDepth ? in.U8() % 4 : 0;
    E* level = NewLevel(type, count, 0, children);
    if (!level)
        return nullptr;
    for (uint32_t i = 0; i < count && level->pItemValid; ++i)
        level->pItemValid[i] = validity >> (i % 8) & 1;
    if (type == E::eEtTime)
        level->uLoopPars.sTimeLoop.dPeriod = Period(flags >> 1);
    if (type == E::eEtSpect) {
        for (uint32_t i = 0; i < count; ++i) {
            SLxPicturePlaneDesc& plane = level->uLoopPars.sSpectLoop.pPlaneDesc[i];
            plane.uiCompCount = i < 16 ? in.U8() % 4 : 1;
            plane.uiColor = 0x00FFFFFF;
        }
    }
    for (uint32_t i = 0; i < children; ++i) {
        const uint32_t repeat = in.U8() % 4;
        level->ppNextLevelEx[i] = ReadLevel(in, depth + 1);
        if (level->ppNextLevelEx[i])
            level->ppNextLevelEx[i]->uiRepeatCount = repeat;
    }
    return level;
}

// What the script says about the document besides its experiment.
struct SDocument {
    uint8_t flags = 0;
    uint32_t width = 1, height = 1, components = 1, sampleBytes = 1, bits = 8;
    uint32_t frames = 0;
    std::vector<uint32_t> planes; // components of each plane of every frame
    uint8_t timing = 0;
    uint8_t failing = 0; // frames whose metadata or pixels cannot be read
    E* experiment = nullptr; // owned by the caller

    bool Fails(uint32_t seq) const { return failing && seq % 11 == failing % 11; }
};

inline SDocument ReadDocument(SReader& in)
{
    SDocument d;
    d.flags = in.U8();
    d.width = 1 + in.U8() % 24;
    d.height = 1 + in.U8() % 12;
    d.components = 1 + in.U8() % 5;
    const uint8_t deep = in.U8();
    d.sampleBytes = deep & 1 ? 2 : 1;
    d.bits = d.sampleBytes == 2 ? 9 + (deep >> 1) % 8 : 8;
    d.frames = in.U16();
    const uint32_t planes = in.U8() % (kMaxPlanes + 1);
    for (uint32_t p = 0; p < planes; ++p)
        d.planes.push_back(in.U8() % 4);
    d.timing = in.U8();
    d.failing = in.U8();
    if (d.flags & 1)
        d.experiment = ReadLevel(in, 0);
    return d;
}

// The seed side: bytes in the order ReadDocument takes them.
struct SWriter {
    std::vector<uint8_t> bytes;

    SWriter& U8(uint32_t v)
    {
        bytes.push_back(uint8_t(v));
        return *this;
    }
    SWriter& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    SWriter& Document(uint8_t flags, uint32_t width, uint32_t height, uint32_t components,
                      bool deep, uint32_t frames, std::vector<uint32_t> planes)
    {
        U8(flags).U8(width - 1).U8(height - 1).U8(components - 1).U8(deep ? 7 : 0).U16(frames);
        U8(uint32_t(planes.size()));
        for (uint32_t p : planes)
            U8(p);
        return U8(0).U8(0);
    }
    // A level of every item valid with the given number of children to follow.
    SWriter& Level(E::ELxExperimentType type, uint32_t count, uint32_t children)
    {
        U8(type);
        if (count >= 255)
            U8(255).U16(count);
        else
            U8(count);
        U8(0).U8(children);
        if (type == E::eEtSpect)
            for (uint32_t i = 0; i < count && i < 16; ++i)
                U8(1);
        return *this;
    }
    SWriter& Repeat(uint32_t repeat) { return U8(repeat); }
};

} // namespace document_script
