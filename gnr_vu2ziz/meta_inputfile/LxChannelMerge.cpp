#include "gnr_vu2ziz/meta_inputfile/LxChannelMerge.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include <utility>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxPicturePlanes.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_vu2ziz/meta_inputfile/LxMetaInputFile.h"
#include "mul_imageformat/LxInputImageFile.h"

namespace
{

constexpr int kBadArgument = -4;
constexpr int kNoMemory = -3;
constexpr int kFail = -9;

// Visits a walk may make: a tree read from a file could otherwise nest
// periods into more visits than any document has frames. Each visit to a
// channel level walks the tree once more for its frame index, so the cap
// bounds the time of one read (with the frame counts memoised, a visit costs
// the depth times the branches); documents visit a few dozen levels.
constexpr uint64_t kMaxVisits = uint64_t(1) << 12;

// Where channel i of a spectral level lies among the superset planes'
// components: the same at every visit, so worked out once per walk.
struct SChannelSpan {
    uint64_t first;
    uint64_t count; // 0: a switched-off channel or one without a plane
};
typedef std::unordered_map<const SLxExperiment*, std::vector<SChannelSpan>> ChannelSpans;

struct SWalk {
    const SLxExperiment* root;
    uint32_t levels;
    uint32_t* positions;
    const SLxPicturePlanes& planes;
    std::vector<uint32_t>& sources;
    uint64_t visits;
    lx_experiment::CFrameMemo& memo;
    ChannelSpans spans;
};

int Walk(SWalk& w, const SLxExperiment* level, uint32_t depth);

// Every valid channel of the spectral level comes from the frame at the
// current positions.
int SetSources(SWalk& w, const SLxExperiment& spect)
{
    const SLxExperiment::SLxExpSpectLoop& loop = spect.uLoopPars.sSpectLoop;
    // One frame for all channels: the positions are the same for each.
    uint32_t frame = 0;
    // A branch whose inner loops are shorter holds no frame at these
    // positions: it is no source.
    if (lx_experiment::CalcIdxFromPos(w.root, w.positions, w.levels, &frame, w.memo) != 0)
        return 0;
    auto known = w.spans.find(&spect);
    if (known == w.spans.end()) {
        std::vector<SChannelSpan> spans(loop.uiCount, SChannelSpan{0, 0});
        for (uint32_t i = 0; i < loop.uiCount; ++i) {
            if (spect.pItemValid && !spect.pItemValid[i])
                continue;
            const uint32_t k = CLxExperimentAPI::GetPlaneIdx(w.planes, &spect, i);
            if (k >= w.planes.uiCount || !w.planes.sPlane)
                continue;
            // Components of plane k, not k itself: planes may hold several.
            spans[i] = SChannelSpan{SLxPicturePlanes::PlaneStartingComp(w.planes, k),
                                    w.planes.sPlane[k].uiCompCount};
        }
        known = w.spans.emplace(&spect, std::move(spans)).first;
    }
    for (const SChannelSpan& span : known->second)
        for (uint64_t j = 0; j < span.count && span.first + j < w.sources.size(); ++j)
            w.sources[size_t(span.first + j)] = frame;
    return 0;
}

// Visits the branches of the level: the rest of the previous period after
// the current item, then the current period up to it, so that each channel
// ends with the last frame visited that acquired it.
int WalkBranches(SWalk& w, const SLxExperiment* level, uint32_t depth)
{
    if (!level)
        return kBadArgument;
    if (++w.visits > kMaxVisits)
        return kFail;
    if (level->eType == SLxExperiment::eEtSpect)
        return SetSources(w, *level);
    if (depth >= w.levels)
        return kBadArgument;

    SLxExperiment* const* children = level->ppNextLevelEx;
    uint32_t childCount = level->uiNextLevelCount;
    uint64_t q = 0;
    uint64_t b = 0;
    uint64_t end = UINT64_MAX; // first item past the branches that exist
    if (level->eType == SLxExperiment::eEtNETime) {
        const SLxExperiment::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
        if (ne.uiPeriodCount == 0 || !ne.pPeriod)
            return kFail;
        uint64_t rest = w.positions[depth];
        uint32_t i = 0;
        for (; i < ne.uiPeriodCount; ++i) {
            if (ne.pPeriodValid && !ne.pPeriodValid[i])
                continue;
            const uint32_t count = ne.pPeriod[i].uiCount;
            if (rest < count)
                break;
            rest -= count;
            b += count;
        }
        if (i == ne.uiPeriodCount)
            return kFail;
        end = b + ne.pPeriod[i].uiCount;
        if (ne.pSubLoops) {
            children = ne.pSubLoops[i].ppNextLevelEx;
            childCount = ne.pSubLoops[i].uiNextLevelCount;
            q = CLxExperimentAPI::GetPeriodicity(&ne.pSubLoops[i]);
        } else {
            q = CLxExperimentAPI::GetNextLevelPeriodicity(level);
        }
    } else {
        q = level->eType == SLxExperiment::eEtZStack
                ? level->uLoopPars.uiCount
                : CLxExperimentAPI::GetNextLevelPeriodicity(level);
        if (const uint32_t size =
                lx_experiment::Clamp32(lx_experiment::LoopSize64(level, w.memo)))
            end = size;
    }
    if (!children || childCount == 0 || !children[0])
        return kFail;

    const uint32_t p = w.positions[depth];
    const uint64_t a = q ? (p - b) / q : 0;
    const uint64_t r = q ? (p - b) % q : p;
    auto visit = [&](uint64_t item) {
        if (item > UINT32_MAX)
            return kBadArgument;
        w.positions[depth] = uint32_t(item);
        const SLxExperiment* child =
            CLxExperimentAPI::GetNextLevelExperiment(level, uint32_t(item));
        return child ? Walk(w, child, depth + 1) : kBadArgument;
    };
    int rc = 0;
    if (children[0]->uiRepeatCount == 0)
        rc = visit(b);
    for (uint64_t k = r + 1; rc == 0 && k < q; ++k) {
        const uint64_t item = (a ? a - 1 : 0) * q + k + b;
        if (item >= end || item > UINT32_MAX ||
            !CLxExperimentAPI::GetNextLevelExperiment(level, uint32_t(item)))
            break;
        rc = visit(item);
    }
    for (uint64_t k = 0; rc == 0 && k <= r; ++k)
        rc = visit(a * q + b + k);
    w.positions[depth] = p;
    return rc;
}

// Where each period of a non-equidistant time loop starts (invalid
// periods: kNoStart), and the period that holds time point p, as the
// branch walk finds it; false when none does.
constexpr uint64_t kNoStart = UINT64_MAX;
bool PeriodStarts(const SLxExperiment::SLxExpNETimeLoop& ne, uint64_t p,
                  std::vector<uint64_t>& starts, uint32_t& holder)
{
    starts.assign(ne.uiPeriodCount, kNoStart);
    holder = ne.uiPeriodCount;
    uint64_t b = 0;
    for (uint32_t i = 0; i < ne.uiPeriodCount; ++i) {
        if (ne.pPeriodValid && !ne.pPeriodValid[i])
            continue;
        starts[i] = b;
        if (holder == ne.uiPeriodCount && p >= b && p - b < ne.pPeriod[i].uiCount)
            holder = i;
        b += ne.pPeriod[i].uiCount;
    }
    return holder < ne.uiPeriodCount;
}

// Channels that the period of the current time point never acquires come
// from the nearest period that does: as the last frame of an earlier
// period shows them, else as the first frame of a later one. A period that
// cannot be walked (or the visits running out) ends the search: the
// channels left stay without source.
void FillFromOtherPeriods(SWalk& w, const SLxExperiment& level, uint32_t depth)
{
    const SLxExperiment::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    const uint32_t p = w.positions[depth];
    std::vector<uint64_t> starts;
    uint32_t own = 0;
    if (!PeriodStarts(ne, p, starts, own))
        return;
    std::vector<uint64_t> others;
    for (uint32_t i = own; i-- > 0;)
        if (starts[i] != kNoStart && ne.pPeriod[i].uiCount)
            others.push_back(starts[i] + ne.pPeriod[i].uiCount - 1);
    for (uint32_t i = own + 1; i < ne.uiPeriodCount; ++i)
        if (starts[i] != kNoStart && ne.pPeriod[i].uiCount)
            others.push_back(starts[i]);
    std::vector<uint32_t> found;
    for (uint64_t point : others) {
        if (point > UINT32_MAX ||
            std::find(w.sources.begin(), w.sources.end(), kLxNoChannelSource) == w.sources.end())
            break;
        found.assign(w.sources.size(), kLxNoChannelSource);
        found.swap(w.sources);
        w.positions[depth] = uint32_t(point);
        const int rc = WalkBranches(w, &level, depth);
        found.swap(w.sources);
        if (rc != 0)
            break;
        for (size_t c = 0; c < found.size(); ++c)
            if (w.sources[c] == kLxNoChannelSource)
                w.sources[c] = found[c];
    }
    w.positions[depth] = p;
}

int Walk(SWalk& w, const SLxExperiment* level, uint32_t depth)
{
    if (!level || level->eType != SLxExperiment::eEtNETime)
        return WalkBranches(w, level, depth);
    // The periods are walked on their own: what visits outside this level
    // found stays unless a period gives a source.
    std::vector<uint32_t> outside(w.sources.size(), kLxNoChannelSource);
    outside.swap(w.sources);
    const int rc = WalkBranches(w, level, depth);
    if (rc == 0)
        FillFromOtherPeriods(w, *level, depth);
    for (size_t c = 0; c < outside.size(); ++c)
        if (w.sources[c] == kLxNoChannelSource)
            w.sources[c] = outside[c];
    return rc;
}

// Component c of the cached frame into component c of dst, both in the
// entry's frame layout.
int CopyCachedComponent(const SLxMetaInputFileEntry& e, const uint8_t* src, uint8_t* dst,
                        uint32_t c)
{
    const uint32_t bits = e.uiSampleBytes * 8;
    const uint32_t row = uint32_t(e.qwRowBytes);
    const uint64_t pixels = uint64_t(e.uiWidth) * e.uiHeight;
    if (pixels <= UINT32_MAX)
        return CLxPicMemAPI::CopyComponent(dst, e.uiComp, row, c, src, e.uiComp, row, c, bits,
                                           e.uiWidth, uint32_t(pixels));
    for (uint64_t y = 0; y < e.uiHeight; ++y)
        if (CLxPicMemAPI::CopyComponent(dst + y * e.qwRowBytes, e.uiComp, row, c,
                                        src + y * e.qwRowBytes, e.uiComp, row, c, bits,
                                        e.uiWidth, e.uiWidth) != 0)
            return kFail;
    return 0;
}

} // namespace

int LX_WalkChannelSources(const SLxExperiment* root, uint32_t levels, uint32_t* positions,
                          const SLxPicturePlanes& planes, std::vector<uint32_t>& sources)
{
    if (!root || !positions || levels == 0)
        return kBadArgument;
    lx_experiment::CFrameMemo memo;
    return LX_WalkChannelSources(root, levels, positions, planes, sources, memo);
}

int LX_WalkChannelSources(const SLxExperiment* root, uint32_t levels, uint32_t* positions,
                          const SLxPicturePlanes& planes, std::vector<uint32_t>& sources,
                          lx_experiment::CFrameMemo& memo)
{
    if (!root || !positions || levels == 0)
        return kBadArgument;
    try {
        SWalk w{root, levels, positions, planes, sources, 0, memo, ChannelSpans()};
        return Walk(w, root, 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}

int LX_MergeChannels(SLxMetaInputFileEntry& e, ILxInputImageFile* file, uint32_t f, uint8_t* dst,
                     bool* readDirect)
{
    *readDirect = false;
    if (!file || e.qwRowBytes > UINT32_MAX)
        return kFail;
    std::vector<uint32_t> positions;
    std::vector<uint32_t> sources;
    try {
        positions.assign(e.uiLoopCount ? e.uiLoopCount : 1, 0);
        // One source per component, however many the frame holds.
        sources.assign(e.uiComp, kLxNoChannelSource);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    uint32_t count = uint32_t(positions.size());
    if (lx_experiment::CalcPosFromIdx(e.pExperiment, f, positions.data(), &count, e.frameMemo) != 0)
        return kFail;
    if (!e.bSpectPlanesMade) {
        e.iSpectPlanesStatus = CLxExperimentAPI::GetSpectPlanes(e.pExperiment, e.spectPlanes);
        e.bSpectPlanesMade = true;
    }
    int rc = e.iSpectPlanesStatus;
    if (rc == 0)
        rc = LX_WalkChannelSources(e.pExperiment, e.uiLoopCount, positions.data(), e.spectPlanes,
                                   sources, e.frameMemo);
    if (rc != 0)
        return rc;

    bool allInF = true;
    for (uint32_t s : sources)
        allInF = allInF && s == f;
    if (allInF) {
        *readDirect = true;
        return 0;
    }

    // A channel that no frame acquired stays zero.
    std::memset(dst, 0, size_t(e.qwFrameBytes));
    for (uint32_t c = 0; c < e.uiComp; ++c) {
        const uint32_t s = sources[c];
        if (s == kLxNoChannelSource)
            continue;
        if (s >= e.uiFrameCount)
            return kFail;
        if (s != f) {
            // A frame already in the cache is copied without the file.
            lx_frame_cache::FrameSlot* slot = e.frames.At(s);
            if (!slot)
                return kNoMemory;
            if (lx_frame_cache::SLxFrameItem* item = lx_frame_cache::PinCached(*slot)) {
                rc = CopyCachedComponent(e, lx_frame_cache::Data(item), dst, c);
                lx_frame_cache::Unpin(item);
                if (rc != 0)
                    return kFail;
                continue;
            }
        }
        if (file->GetImageDataComponent(s, c, dst + uint64_t(c) * e.uiSampleBytes,
                                        uint32_t(e.qwRowBytes), e.uiComp) != 0)
            return kFail;
    }
    return 0;
}
