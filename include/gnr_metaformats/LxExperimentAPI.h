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

class CLxByteArray;
struct SLxLut;
struct SLxPicBuf;
struct SLxPictureMetadata;

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

    // ---- Repair to the stored frames
    //
    // Only the outermost level changes. A spectral root is left alone (its
    // channels share every frame).

    // Cuts the root loop to the items whose frames are all among the first
    // uiFrameCount frames, items counted in acquisition order (each child
    // running uiRepeatCount items in turn; a switched-off item stores no
    // frames). A loop without end (uiCount 0) takes the items the frames
    // fill; a root without children takes uiFrameCount items, unless it
    // holds per-item arrays or flags, which cap it at its count. A
    // non-equidistant time root (type 8) is cut period by period, its
    // uiCount the kept time points. Branches whose repeat counts are all 0
    // keep no items (a single child runs every item whatever its count). A
    // time root (type 1) has its six time fields zeroed. -4 for a null
    // root, else 0.
    static int RepairExperiment(SLxExperiment* pRoot, uint32_t uiFrameCount);
    // RepairExperiment, then for a time root (type 1) the smallest, largest
    // and mean difference between the first frames of successive time
    // points, from frameTimes (little-endian doubles, one per frame in
    // sequence order). Time points past the times have no time; the next
    // difference spans a skipped one. The mean is the sum over (time points
    // - 1), 0.0 for fewer than two. The status of RepairExperiment.
    static int RepairExperimentEx(SLxExperiment* pRoot, uint32_t uiFrameCount,
                                  const CLxByteArray& frameTimes);

    // ---- Walk and size maxima

    // Called for each level with its depth; a non-zero status stops the
    // walk and is returned.
    typedef int (*WalkCallback)(SLxExperiment* pExp, uint32_t uiDepth, void* pContext);
    // Pre-order walk from the root at depth uiStartDepth, children in array
    // order; below a non-equidistant time loop with sub-loops, the
    // sub-loops of every valid period in period order. -4 without a
    // callback (even for a null root), 0 for a null root, else the first
    // non-zero callback status or 0.
    static int WalkExperiment(SLxExperiment* pRoot, WalkCallback callback, void* pContext,
                              uint32_t uiStartDepth);
    // The largest uiCount of a Z level (type 4 or 10) anywhere in the tree,
    // with the home plane of that stack in *puiHome (when given; a type-10
    // level leaves it alone). 0 without a Z level.
    static uint32_t GetZStackSizeMax(const SLxExperiment* pRoot, uint32_t* puiHome);
    // For each depth 0 .. uiLevelCount - 1, the largest loop size found at
    // that depth (deeper levels are not counted), and in *puiHome (when
    // given) the home plane of the Z stack that set the last new maximum.
    // -4 for a null puiSizes with a level count, else 0.
    static int GetSizeMax(const SLxExperiment* pRoot, uint32_t* puiSizes, uint32_t uiLevelCount,
                          uint32_t* puiHome);

    // ---- Z stacks
    //
    // A Z stack (type 4) lays out its planes by iType: 1 from low to high,
    // 2 symmetric about home, 3 home-based, others from one end. dZStep of
    // 0 or less means no fixed step.

    // Index of the home plane: the middle plane ((uiCount - 1) / 2) for
    // iTypes other than 2 and 3; for those, the planes between the starting
    // end (low, or high when inverted) and dZHome, by the step or, without
    // one, by dZHome's share of the range. A stack without planes or range,
    // or a home outside the stack, gives plane 0. -4 for a level that is
    // not a Z stack or a null argument.
    static int GetZStackHomePosition(const SLxExperiment* pZ, uint32_t* puiIndex);
    // True when uiIndex is the home plane; false (reported) for a level that
    // is not a Z stack.
    static bool IsZStackHomePosition(const SLxExperiment* pZ, uint32_t uiIndex);
    // Sequence index of the home plane of the first Z stack along branch 0,
    // every other position 0. -4 for null arguments, -9 without a Z stack,
    // else the status of CalcIdxFromPos.
    static int GetFirstZStackHomePosition(const SLxExperiment* pRoot, uint32_t* puiIndex);
    // Step between planes: dZStep when positive; otherwise for iTypes 2 and
    // 3 the distance from low to home over the planes it spans, for others
    // the range over (uiCount - 1), uiCount below 3 counting as 2. No range
    // or no planes between low and home give 0.0. -4 for a level that is
    // not a Z stack or a null argument, -9 when a range over fewer than two
    // planes has no step.
    static int GetZStackStepSize(const SLxExperiment* pZ, double* pdStep);
    // Number of planes: uiCount when set, else from the range and the step
    // (each end short by dTolerance steps). -4 as above, -9 without a step.
    static int GetZStackStepCount(const SLxExperiment* pZ, uint32_t* puiCount, double dTolerance);
    // Z of the first plane: the current Z unless the stack has a step and
    // two or more planes; then by iType (1: the starting end; 2: home less
    // half the planes; 3: home less the home plane's steps; others: the
    // far end less the stack), counted from the other side when inverted,
    // and relative to the current Z unless bAbsolute. -4.0 for a level that
    // is not a Z stack.
    static double GetZStackFirstMovePosition(const SLxExperiment* pZ, double dCurrentZ);

    // ---- Duration

    // Estimated duration in milliseconds: a time loop dStart + uiCount x
    // dPeriod (dStart + dDuration without points or period); a
    // non-equidistant one the sum over its valid periods of dStart +
    // (uiCount - 1) x dPeriod (or dStart + dDuration); other levels their
    // valid item count times the duration of the child at item 0 (the frame
    // time without a child). -4 for null arguments.
    static int CalcEstimatedDuration(const SLxExperiment* pExp, double dFrameTime,
                                     double* pdDuration);

    // ---- Editing
    //
    // The tree owns every level in it; levels handed in are owned by the
    // tree afterwards. A level's children are its own, or for a type-8
    // level with sub-loops those of all its periods. Failures leave a valid
    // tree.

    // Replaces every level at depth uiDepth by a copy of pNewLevel (without
    // its children) that runs deep copies of the replaced level's children
    // (a type-8 level's: its first period's) and keeps its repeat count. -4
    // for a null root or new level, -13 when the root has no children and
    // uiDepth > 0 (deeper, branches that end early are passed over), -3
    // without memory.
    static int ReplaceExperimentLevel(SLxExperiment*& pRoot, uint32_t uiDepth,
                                      const SLxExperiment* pNewLevel);
    // Replaces the sub-tree at the address pOldBranch by a deep copy of
    // pNewBranch (its repeat count included). 0 also when nothing matches;
    // -4 for a null root or new branch.
    static int ReplaceExperimentBranch(SLxExperiment*& pRoot, const SLxExperiment* pOldBranch,
                                       const SLxExperiment* pNewBranch);
    // Removes every level at depth uiDepth: its first child takes its place
    // (with its repeat count), its other children go with it; a level
    // without children leaves its slot empty, and parents pack their
    // remaining children to the front in order. -4 for a null root, -13
    // when no level lies at that depth.
    static int RemoveExperimentLevel(SLxExperiment*& pRoot, uint32_t uiDepth);
    // As RemoveExperimentLevel, but the child that the positions choose
    // (puiPos[0] at the removed level, GetNextLevelExperiment) takes the
    // place, the first child when none; positions count from the root.
    static int RemoveExperimentLevelAtPos(SLxExperiment*& pRoot, uint32_t uiDepth,
                                          const uint32_t* puiPos, uint32_t uiPosCount);
    // Inserts pNewLevel (whose own next levels are released) at depth
    // uiDepth: an empty tree gets it as root; at depth 0 the old root
    // becomes its only child with repeat count 1; deeper, it goes below
    // every branch (copies below all but the first), taking the repeat
    // count of the level it moves down; below a level without children it
    // becomes the only child. -4 for a null level, -3 without memory (the
    // level is released).
    static int AddExperimentLevel(SLxExperiment*& pRoot, SLxExperiment* pNewLevel,
                                  uint32_t uiDepth);
    // Appends pBranch to the child array of the level reached by following
    // the positions while the level's first child is of another type than
    // the branch (an empty tree gets it as root). -4 for a null branch, -9
    // when a position has no child, -3 without memory.
    static int AddExperimentBranch(SLxExperiment*& pRoot, const uint32_t* puiPos,
                                   uint32_t uiPosCount, SLxExperiment* pBranch);
    // From item uiItem + 1 of the outermost loop on, runs pNewSubLevel in
    // place of each item's level 0 below the root. A time root becomes a
    // non-equidistant loop (type 8) whose period holding the item is split
    // after it, durations shared in proportion; the second part and later
    // periods run the new sub-level. A period without end records its
    // duration from *pdTime to now (LX_GetTimeCounter), sets *pdTime to now
    // and *puiNextIndex to uiItem + 1 (each when given). Other roots run one
    // branch per run of equal items. An item no period holds leaves the tree
    // alone. -9 for a null root or a non-time root without children, -4 for
    // a null sub-level, -3 without memory.
    static int BranchExperiment(SLxExperiment* pRoot, uint32_t uiItem,
                                const SLxExperiment* pNewSubLevel, double* pdTime,
                                uint32_t* puiNextIndex);

    // ---- Large image

    // The deepest descriptor along branch 0; each out pointer may be null.
    // -9 without one or for a null root.
    static int GetLargeImage(const SLxExperiment* pRoot, int32_t* piMethod, double* pdXmm,
                             double* pdYmm, int32_t* piXFields, int32_t* piYFields);
    // Drops the descriptors of every level along branch 0 that has a child,
    // then sets (or with bEnable false removes) that of the last level. -9
    // for a null root, -3 without memory.
    static int SetLargeImage(SLxExperiment* pRoot, int32_t iMethod, double dXmm, double dYmm,
                             int32_t iXFields, int32_t iYFields, bool bEnable);

    // ---- Channels of every branch

    // True when every branch ends in a spectral level that holds exactly
    // the superset's channels (same count, the same channels switched on,
    // each on channel the superset's channel at its index) and has at most
    // one child; true for a tree without channels or a null root.
    static bool HasSameLambdaChannels(const SLxExperiment* pRoot);
    // Switches channel uiChannel on or off in every spectral level that has
    // it (giving it item flags, all on, when it had none); levels below
    // such a level are not visited. 0 (-3 without memory).
    static int EnableChannelInAllBranches(SLxExperiment* pRoot, uint32_t uiChannel, bool bEnable);
    // Keeps, in every spectral level, only the channels of the superset's
    // valid channels that uiCompMask selects (SLxPicturePlanes::
    // ExtractPlanes), in the order of that keep list; kept channels are
    // all on. Spectral levels left without channels are dropped by their
    // parents. 0 for a tree without channels; -4 for a null root, -9 when a
    // branch ends without a spectral level, -3 without memory.
    static int ReduceLambdaExperiment(SLxExperiment* pRoot, uint32_t uiCompMask);
    // Removes every spectral level without children below pExp (not pExp
    // itself); the other children keep their order. -4 for null, else 0.
    static int RemoveLambdaExperiment(SLxExperiment* pExp);
    // True when two trees have the same shape: the same types, loop sizes
    // and child counts level by level, as far as both have child arrays;
    // two spectral levels always match.
    static bool CanLambdaExperimentsBeMerged(const SLxExperiment* pA, const SLxExperiment* pB);
    // As CanLambdaExperimentsBeMerged, but two spectral roots must also
    // agree in size and children.
    static bool IsExperimentCompatible(const SLxExperiment* pA, const SLxExperiment* pB);
    // Merges B's channels into A, walking both trees together: two spectral
    // levels give A the valid channels of A then of B (all on); two leaves
    // give A a spectral child of the first channel of each list; spectral
    // children of A alone each gain the first channel of channelsB; spectral
    // children of B alone become new spectral children of A holding the
    // first channel of channelsA and that child's valid channels; children
    // on both sides are merged pairwise (same counts and repeat counts). -4
    // for null trees, an unknown or differing type, or a mismatch (then
    // nothing of that level has changed), -3 without memory.
    static int MergeLambdaExperiments(SLxExperiment* pA, const SLxPicturePlanes& channelsA,
                                      const SLxExperiment* pB, const SLxPicturePlanes& channelsB);
    // Appends channelsB to every spectral level (their valid bytes on); a
    // branch that ends without one gets a spectral child of channelsA then
    // channelsB. -4 for null, -3 without memory.
    static int MergeLambdaExperiments(SLxExperiment* pExp, const SLxPicturePlanes& channelsA,
                                      const SLxPicturePlanes& channelsB);

    // ---- Colours from picture metadata

    // A set of uiCompCount colour ramps (3 output components of uiDstBits)
    // into *pLut, one per component of the picture's planes: a
    // one-component plane its uiColor, a three-component plane blue, green
    // and red; others white. Every component is shown. Release it with
    // SLxLut::Free. -9 without metadata or when its component count is not
    // uiCompCount (or 0), -4 for a null table or counts beyond 255, else
    // the status of the table.
    static int CreateLutsFromMetadata(SLxLut* pLut, const SLxPictureMetadata* pMetadata,
                                      uint32_t uiSrcBits, uint32_t uiCompCount, uint32_t uiDstBits);
    // Draws pSrc into pDst (8 bits, 3 components, at least the source's
    // size) through the colours of its metadata. -4 for null pictures or a
    // destination that cannot hold the result, the table's status (-9 for
    // metadata of another component count) with pDst untouched, else the
    // status of CLxPicMemAPI::ConvertToTrueColor.
    static int ConvertToTrueColorViaMetadata(SLxPicBuf* pDst, const SLxPicBuf* pSrc,
                                             const SLxPictureMetadata* pMetadata);

    // ---- Trace

    // One trace record per level, "(% 2u)" with its repeat count and T
    // (time), XY, Z, "Ch - " with the valid channels' descriptions joined by
    // '|', or U; children four spaces further in; the periods of a
    // non-equidistant loop between rulers, prefixed "  |". Null: nothing.
    static void Trace(const SLxExperiment* pExp, const char16_t* wszPrefix);
};
