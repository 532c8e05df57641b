#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"

#include "gnr_metaformats/LxExperimentAPI.h"

int LX_QX2LoadExperiment(SLxExperiment& exp, const CLxVariant& v)
{
    return SLxExperiment::LoadFromVariant(exp, v);
}

int LX_QX2SaveExperiment(CLxVariant& v, const SLxExperiment& exp)
{
    return SLxExperiment::SaveToVariant(v, exp);
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
