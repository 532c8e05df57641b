// What the QX2 readers need of the experiment: loading and saving the tree,
// repairing it to the frames stored, and the preview frame. All calls into
// the experiment functions are here.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/LxVariant.h"

// The whole tree of the variant into exp (an empty level).
int LX_QX2LoadExperiment(SLxExperiment& exp, const CLxVariant& v);
// The tree form of exp into v.
int LX_QX2SaveExperiment(CLxVariant& v, const SLxExperiment& exp);
// Cuts the outermost loop to frameCount frames; with times (one double per
// frame), a time loop also gets its period statistics.
int LX_QX2RepairExperiment(SLxExperiment& exp, uint32_t frameCount, const CLxByteArray* times);
// The sequence index of the first Z stack's home plane; non-zero when there
// is none.
int LX_QX2PreviewFrame(const SLxExperiment& exp, uint32_t* seq);
