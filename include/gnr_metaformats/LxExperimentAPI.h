// Arithmetic over an experiment tree (SLxExperiment): item counts, which
// branch runs an item, frame totals, where a level of a given type sits, and
// the mapping between loop positions and the sequence index of a frame.
//
// Terms.
// - Loop size of a level: its valid item count (every item when pItemValid
//   is null); for a non-equidistant time loop (type 8) the time points of
//   its valid periods.
// - Branches: the children of a level take turns over the level's items,
//   each for uiRepeatCount consecutive items. The periodicity of a level is
//   the sum of its children's repeat counts; 0 when it has no children or a
//   child pointer is null. A level of periodicity 0 is never divided by.
// - Positions: one per level, outermost first, along the path of levels
//   that the positions choose. A spectral level adds no frames (its
//   channels are the components of one frame) and takes position 0.
// - Sequence index: frames counted from 0 in acquisition order, the
//   innermost loop fastest.
//
// Every operation only reads the tree, except GetSupersetSpectExp, which
// makes a new level that the caller owns. Counts are computed in 64 bits;
// a 32-bit result that cannot hold its value saturates or fails as said.
//
// Status codes: 0 done, -3 no memory, -4 null argument, a position beyond
// its level or a missing child on the way, -9 an index beyond the frames of
// the tree, a missing period or branch, -13 no level of the asked type or
// depth on the path, -100 the asked type twice on the path.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPicturePlanes.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxExperimentAPI
{
  public:
    typedef SLxExperiment::ELxExperimentType ELxExperimentType;

    // ---- Loop sizes

    // Loop size of one level (above); 0 for null. Saturates at 0xFFFFFFFF.
    static uint32_t GetLoopSize(const SLxExperiment* pExp);
    // Loop size of the level uiLevel steps down the path from the root. A
    // spectral level on the way is passed through the channel whose child
    // has the most items; other levels through puiPos[step] (0 past
    // uiPosCount). -13 (size 0) when the path ends first, -4 for a null
    // root or out pointer.
    static int GetLoopSize(const SLxExperiment* pRoot, uint32_t uiLevel, const uint32_t* puiPos,
                           uint32_t uiPosCount, uint32_t* puiSize);
    // Loop size of the first level of eType on the path; the status of
    // FindExperiment (-100 still gives the first level's size, others 0).
    static int GetLoopSize(const SLxExperiment* pRoot, ELxExperimentType eType,
                           const uint32_t* puiPos, uint32_t uiPosCount, uint32_t* puiSize);
    // Size shown to a user: a time loop all its time points; type 8 the
    // time points of its valid periods, 0 when one of them runs without
    // end; others the loop size. 0 for null.
    static uint32_t GetLoopSizeForDisplay(const SLxExperiment* pExp);

    // ---- Branches

    // Periodicity of a level's children, of one period's sub-loops (0 for
    // null). Saturates at 0xFFFFFFFF.
    static uint32_t GetNextLevelPeriodicity(const SLxExperiment* pExp);
    static uint32_t GetPeriodicity(const SLxExperiment::SLxSubLoopsDefinition* pSubLoops);
    // The child that runs item uiPos of the level, or null. With several
    // children the position is taken modulo the periodicity; a child of
    // repeat count 0 runs only position 0 of a time loop and every position
    // it is reached at in other loops. A type-8 level looks up the valid
    // period holding the time point (one without end holds every later
    // point) and counts from the period's start, in the period's sub-loops
    // when it has them.
    static const SLxExperiment* GetNextLevelExperiment(const SLxExperiment* pExp, uint32_t uiPos);
    static SLxExperiment* GetNextLevelExperiment(SLxExperiment* pExp, uint32_t uiPos);

    // ---- Levels and frames

    // Levels along branch 0 (position 0 at every level); 0 for null.
    static uint32_t GetExperimentCount(const SLxExperiment* pRoot);
    // Frames the tree stores; 0 for null. Saturates at 0xFFFFFFFF.
    static uint32_t GetAllImagesCount(const SLxExperiment* pRoot);
    // The first level of eType on the path (puiPos[d] at depth d, 0 past
    // uiPosCount) and its depth; either out pointer may be null. -4 null
    // root, -13 none, -100 (first level still given) when a second one
    // follows.
    static int FindExperiment(const SLxExperiment* pRoot, ELxExperimentType eType,
                              const uint32_t* puiPos, uint32_t uiPosCount, uint32_t* puiLevel,
                              const SLxExperiment** ppExp);
    // Loop size of the only time loop on the path (type 1, else 8, else 9),
    // XY-position loop (type 2), Z stack (4) or custom loop (7); 0 when
    // there is none or the type occurs twice.
    static uint32_t GetAllTimeLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                        uint32_t uiPosCount);
    static uint32_t GetAllXYPosLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                         uint32_t uiPosCount);
    static uint32_t GetAllZStackLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                          uint32_t uiPosCount);
    static uint32_t GetAllCustLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                        uint32_t uiPosCount);
    // -4 for a null root; otherwise the count is 0 and the result 0.
    static int CalcGrabbingLoopCount(const SLxExperiment* pRoot, uint32_t* puiCount);
    // True when no level (nor a period's sub-loops) has two or more
    // children; true for null.
    static bool IsSimpleExperiment(const SLxExperiment* pRoot);

    // ---- Positions and sequence indices

    // Sequence index of the frame at puiPos[0 .. uiLevelCount-1]. At a
    // branched level the frames of every earlier item count, whichever
    // branch ran them, so the result is the inverse of CalcPosFromIdx. A
    // position at or past its level's loop size gives -4 (and, in detail
    // log mode, the trace record "Position of %d experiment is out of
    // range."); -9 when the index does not fit 32 bits. A null root gives
    // index 0 and 0.
    static int CalcIdxFromPos(const SLxExperiment* pRoot, const uint32_t* puiPos,
                              uint32_t uiLevelCount, uint32_t* puiIndex);
    // Positions of frame uiIndex. *puiLevelCount, when given, is read as the
    // number of entries puiPos holds (at least GetExperimentCount entries
    // are assumed) and receives GetExperimentCount; entries past the path
    // are 0. 0 at once when puiPos is null; -4 for a null root or a null
    // child on the way; -9 for an index past the frames of the tree, a path
    // deeper than the array, or a branched level whose periodicity or frame
    // total is 0 (reported).
    static int CalcPosFromIdx(const SLxExperiment* pRoot, uint32_t uiIndex, uint32_t* puiPos,
                              uint32_t* puiLevelCount);

    // ---- Channels of spectral loops

    // A new spectral level with the channels of every branch: those of the
    // first branch in order, then channels first met in later branches,
    // each once (a channel is its description, optical configuration name
    // and colour); a channel is valid when valid in any branch. Null (and
    // 0) when the tree has no spectral level; -4 for a null root or out
    // pointer, -3 without memory. Release it with SLxExperiment::
    // FreeRecursive.
    static int GetSupersetSpectExp(const SLxExperiment* pRoot, SLxExperiment** ppSuperset);
    // The valid channels of the superset as planes (into an empty record).
    // -4 without a spectral level.
    static int GetSpectPlanes(const SLxExperiment* pRoot, SLxPicturePlanes& planes);
    // Component count of those planes. -4 without a spectral level or a
    // null out pointer.
    static int GetSpectCompCount(const SLxExperiment* pRoot, uint32_t* puiCompCount);
    // Index of channel uiChannel of a spectral level among the planes dst;
    // dst.uiCount when the level is null, the channel switched off, past
    // the channels or not among dst.
    static uint32_t GetPlaneIdx(const SLxPicturePlanes& dst, const SLxExperiment* pSpect,
                                uint32_t uiChannel);
    // For each component of the superset planes (puiIndexes holds
    // GetSpectCompCount entries), the sequence index of the most recent
    // frame at or before the positions that holds it: every branch is
    // followed over one whole period of branches up to puiPos; in the first
    // period, branches not run yet give their first frame. 0xFFFFFFFF for a
    // component no such frame holds. -4 without a spectral level, for null
    // arguments or too few positions; -9 when the path has no spectral
    // level or no valid period holds the time point.
    static int GetCompSeqIndexes(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                 uint32_t uiLevelCount, uint32_t* puiIndexes);
};
