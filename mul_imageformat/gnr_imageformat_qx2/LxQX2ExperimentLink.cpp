#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"

#include "gnr_metaformats/LxExperimentAPI.h"

// Waiting for the experiment persistence (SLxExperiment::LoadFromVariant and
// SaveToVariant): until it is linked in, these two report -2, so that
// "ImageMetadata!" is neither read nor written by a repair.
int LX_QX2LoadExperiment(SLxExperiment&, const CLxVariant&)
{
    return -2;
}

int LX_QX2SaveExperiment(CLxVariant&, const SLxExperiment&)
{
    return -2;
}

int LX_QX2RepairExperiment(SLxExperiment& exp, uint32_t frameCount, const CLxByteArray* times)
{
    return times ? CLxExperimentAPI::RepairExperimentEx(&exp, frameCount, *times)
                 : CLxExperimentAPI::RepairExperiment(&exp, frameCount);
}

int LX_QX2PreviewFrame(const SLxExperiment& exp, uint32_t* seq)
{
    return CLxExperimentAPI::GetFirstZStackHomePosition(&exp, seq);
}
