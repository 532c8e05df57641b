// Helpers shared by the loop arithmetic of experiment trees: 64-bit counts,
// the children that run a level's items, and the Z-stack maximum.
#pragma once

#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"

namespace lx_experiment
{

typedef SLxExperiment E;

// "No limit" for counts and run ends.
constexpr uint64_t kUnbounded = UINT64_MAX;

// Counts saturate rather than wrap.
inline uint64_t SatAdd(uint64_t a, uint64_t b)
{
    return a > kUnbounded - b ? kUnbounded : a + b;
}
inline uint64_t SatMul(uint64_t a, uint64_t b)
{
    return a != 0 && b > kUnbounded / a ? kUnbounded : a * b;
}
inline uint32_t Clamp32(uint64_t v)
{
    return v > UINT32_MAX ? UINT32_MAX : uint32_t(v);
}

// Loop-type classes.
inline bool IsTimeLoop(uint32_t type)
{
    return type == E::eEtTime || type == E::eEtNETime || type == 9;
}
inline bool IsZStackLoop(uint32_t type)
{
    return type == E::eEtZStack;
}
inline bool IsCustLoop(uint32_t type)
{
    return type == E::eEtCustom;
}
inline bool IsMultiPointLoop(uint32_t type)
{
    return type == E::eEtXYPos || type == E::eEtXYDiscr;
}

// The children that take turns over the items of a level or of one period.
struct SBranchSet {
    SLxExperiment* const* ppChildren;
    uint32_t uiCount;

    bool IsEmpty() const { return !ppChildren || uiCount == 0; }
    bool IsBranched() const { return ppChildren && uiCount >= 2; }
    const SLxExperiment* First() const { return IsEmpty() ? nullptr : ppChildren[0]; }
};

SBranchSet OwnChildren(const E& level);
// Period p's sub-loops when the level has them, else its own children.
SBranchSet PeriodChildren(const E& level, uint32_t p);
// Sum of the repeat counts; 0 without children or with a null child.
uint64_t Periodicity(const SBranchSet& set);

bool IsPeriodValid(const E& level, uint32_t p);
// Type 8 whose items are not all run by one child: sub-loops, or two or
// more children of its own.
bool IsBranchedNETime(const E& level);
// A type-8 level's valid period that holds time point pos (one without end
// holds every later point): its index and the points before it. False
// when none does.
bool FindPeriod(const E& level, uint64_t pos, uint32_t& period, uint64_t& start);

// Item valid count (time points of the valid periods for type 8).
uint64_t LoopSize64(const E* level);

// The child that runs item pos of a level, and the last item of the run of
// items from pos on that the same child runs (kUnbounded: all later ones).
struct SItemRun {
    const SLxExperiment* pChild;
    uint64_t uiLast;
};
SItemRun ItemRun(const E& level, uint64_t pos);

// The child of the channel whose child has the most items (the first such
// on ties): the path that a spectral level with children stands for.
const SLxExperiment* LargestChannelChild(const E& spect);

// Frame counts of the levels of one tree, so that index arithmetic does not
// recount a subtree for every step. Valid only while the tree is not
// edited: its holder keeps it for a tree it never changes, or for one call.
class CFrameMemo
{
  public:
    const uint64_t* Frames(const E* level) const { return Find(m_frames, level); }
    void KeepFrames(const E* level, uint64_t frames) { Keep(m_frames, level, frames); }
    const uint64_t* ZMax(const E* level) const { return Find(m_zMax, level); }
    void KeepZMax(const E* level, uint64_t max) { Keep(m_zMax, level, max); }
    const uint64_t* LoopSize(const E* level) const { return Find(m_loopSizes, level); }
    void KeepLoopSize(const E* level, uint64_t size) { Keep(m_loopSizes, level, size); }
    void Clear()
    {
        m_frames.clear();
        m_zMax.clear();
        m_loopSizes.clear();
    }

  private:
    typedef std::unordered_map<const E*, uint64_t> Table;
    static const uint64_t* Find(const Table& table, const E* level)
    {
        const auto it = table.find(level);
        return it == table.end() ? nullptr : &it->second;
    }
    // Without memory the count is only not kept.
    static void Keep(Table& table, const E* level, uint64_t value)
    {
        try {
            table.emplace(level, value);
        } catch (const std::bad_alloc&) {
        }
    }

    Table m_frames;
    Table m_zMax;
    Table m_loopSizes;
};

// LoopSize64 through a memo (a level with item flags counts them).
uint64_t LoopSize64(const E* level, CFrameMemo& memo);

// Frames of the tree below and including the level; 0 for null. A memo, when
// given, answers for the levels it has seen and keeps the others.
uint64_t AllImagesCount64(const E* level, CFrameMemo* memo = nullptr);
// Frames one item of a parent runs through the child; a missing child
// leaves the item one frame.
uint64_t ItemFrames(const E* child, CFrameMemo* memo = nullptr);
// Frames of the first n items of a set of branches, from the start of a
// cycle. A set of periodicity 0 counts as run by its first child.
uint64_t RunFrames(const SBranchSet& set, uint64_t n, CFrameMemo* memo = nullptr);
// CLxExperimentAPI::CalcIdxFromPos and CalcPosFromIdx over a memo of the
// tree.
int CalcIdxFromPos(const E* pRoot, const uint32_t* puiPos, uint32_t uiLevelCount,
                   uint32_t* puiIndex, CFrameMemo& memo);
int CalcPosFromIdx(const E* pRoot, uint32_t uiIndex, uint32_t* puiPos, uint32_t* puiLevelCount,
                   CFrameMemo& memo);

// The largest item count of a Z level (type 4 or 10) below and including
// the level, with the home plane of that stack (left alone for type 10);
// 0 when there is none. Every valid period's sub-loops are walked.
uint32_t ZStackSizeMax(const E* level, uint32_t* puiHome);
// Index of the home plane of a Z stack, within 0 .. uiCount - 1.
uint32_t ZStackHome(const E::SLxExpZStackLoop& z);

// True when two channels are the same across branches: description,
// optical configuration name and colour.
bool IsSameChannel(const SLxPicturePlaneDesc& a, const SLxPicturePlaneDesc& b);
// The key "%s::%s::%08x" of a channel.
CLxStringW ChannelKey(const SLxPicturePlaneDesc& plane);

} // namespace lx_experiment

namespace lx_experiment
{

// A child array of a level, writable: the level's own children, or one
// period's sub-loops (uiPeriod is then the period's index, else kOwn).
struct SChildArray {
    static constexpr uint32_t kOwn = UINT32_MAX;
    SLxExperiment*** pppChildren;
    uint32_t* puiCount;
    uint32_t uiPeriod;

    uint32_t Count() const { return *pppChildren ? *puiCount : 0; }
    SLxExperiment*& At(uint32_t i) const { return (*pppChildren)[i]; }
};
// The arrays of the levels that run inside a level: every period's
// sub-loops for a type-8 level that has them, else its own children. The
// level is changed only through what the caller does with them.
std::vector<SChildArray> ChildArrays(const E& level);
// Removes the null slots of a child array, keeping the order; the array is
// released when none remains.
void PackChildren(const SChildArray& array);

// ---- Editing helpers

// Frees a level's child-pointer array (not the children).
void DropChildArray(E& level);
// Releases a type-8 level's sub-loop definitions (their levels when the
// level owns them); pSubLoops becomes null.
void DropSubLoops(E& level);
// Replaces the parent's child array by deep copies of a set's children.
// -3 without memory.
int DuplicateChildren(const SBranchSet& set, E& parent);
// Appends one child. -3 without memory (nothing changed).
int AppendChild(E& parent, E* child);
// Replaces the level in the slot by a copy of newLevel (without its
// children) that runs deep copies of the old level's children (a type-8
// level's: its first period's) and keeps the old repeat count; the old
// level is released. The status of the copies.
int ReplaceLevelZero(E*& slot, const E& newLevel);

// ---- Channels of spectral levels

// One channel a spectral level is to hold: its plane, autofocus record and
// commands (each copied; null gives a default plane, a null record, an
// empty text) and its valid byte.
struct SChannelSource {
    const SLxPicturePlaneDesc* pPlane;
    const E::SLxExpAutoFocus* pFocus;
    const CLxStringW* pBefore;
    const CLxStringW* pAfter;
    uint8_t uiValid;
};
// Channel i of a spectral level as a source.
SChannelSource ChannelOf(const E& spect, uint32_t i);
// A new channel from a plane: null autofocus, empty commands, valid.
SChannelSource NewChannel(const SLxPicturePlaneDesc* pPlane);
// Gives a spectral level exactly these channels, in new arrays (sources
// may point into the old ones, which are released after). Valid bytes are
// kept only with bFlags, else the level has none (all on). -3 without
// memory (the level unchanged).
int SetChannels(E& spect, const std::vector<SChannelSource>& channels, bool bFlags);

} // namespace lx_experiment
