#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"

// Waiting for the experiment persistence (LoadFromVariant, SaveToVariant)
// and repair functions (RepairExperiment, RepairExperimentEx,
// GetFirstZStackHomePosition): until they are linked in, these report -2
// and the readers go on without the experiment.
int LX_QX2LoadExperiment(SLxExperiment&, const CLxVariant&)
{
    return -2;
}

int LX_QX2SaveExperiment(CLxVariant&, const SLxExperiment&)
{
    return -2;
}

int LX_QX2RepairExperiment(SLxExperiment&, uint32_t, const CLxByteArray*)
{
    return -2;
}

int LX_QX2PreviewFrame(const SLxExperiment&, uint32_t*)
{
    return -2;
}
