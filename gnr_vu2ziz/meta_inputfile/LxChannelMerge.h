// Spectral documents whose branches acquire different channels: a stored
// frame holds only its own branch's channels, while every frame is handed
// out with all of them. Each component is taken from the latest frame, up
// to the one asked for, that acquired its channel. A channel that the
// frame's own period of a non-equidistant time loop never acquires comes
// from the nearest period that does: from its last frame when the period
// is earlier, else from its first.
#pragma once

#include <cstdint>
#include <vector>

struct SLxExperiment;
namespace lx_experiment
{
class CFrameMemo;
}
struct SLxMetaInputFileEntry;
struct SLxPicturePlanes;
class ILxInputImageFile;

// A component that no visited frame acquired.
constexpr uint32_t kLxNoChannelSource = 0xFFFFFFFFu;

// The frame each component of the superset planes comes from, for the frame
// at positions (one per level, levels entries). sources holds one entry per
// component of the stored frame; entries the walk does not reach stay as
// they were. The positions are changed while it runs and restored on every
// path. -4 a missing level, -9 a level without children, a time point no
// period holds, or a tree that asks for more than 2^12 visits.
int LX_WalkChannelSources(const SLxExperiment* root, uint32_t levels, uint32_t* positions,
                          const SLxPicturePlanes& planes, std::vector<uint32_t>& sources);
// The same over a memo of root's frame counts, kept by the caller while the
// tree stays as it is.
int LX_WalkChannelSources(const SLxExperiment* root, uint32_t levels, uint32_t* positions,
                          const SLxPicturePlanes& planes, std::vector<uint32_t>& sources,
                          lx_experiment::CFrameMemo& memo);

// Builds frame f of the entry into dst (the entry's frame layout). When
// every channel of f lies in f itself nothing is written and readDirect is
// set: the caller reads f as stored. Otherwise dst is zeroed and each
// component with a source is copied from that frame, out of the cache when
// it is there, else from the file. Non-zero when the walk fails or a
// component cannot be read (dst is then not a frame to keep).
int LX_MergeChannels(SLxMetaInputFileEntry& entry, ILxInputImageFile* file, uint32_t f,
                     uint8_t* dst, bool* readDirect);
