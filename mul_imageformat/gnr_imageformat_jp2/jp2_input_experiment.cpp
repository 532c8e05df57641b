// The reader's experiment: the one place that needs the experiment's
// persistence and its loop arithmetic.
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

int CLxJP2InputFile::GetExperiment(SLxExperiment&, uint32_t)
{
    LookUp(jp2_own_aim1, m_experiment.eState);
    if (!m_experiment.HasText()) {
        LookUp(jp2_own_aimd, m_experimentOld.eState);
        if (!m_experimentOld.HasText())
            return -13;
    }
    // Loading the experiment record waits for its persistence.
    return -2;
}

// The frame the preview shows: the home position of the first Z stack.
uint32_t CLxJP2InputFile::PreviewFrame()
{
    return 0;
}

// After a side file: the experiment brought into line with the frames that
// were written. True when the metadata may be written into the file.
bool CLxJP2InputFile::RepairExperimentRecord()
{
    return true;
}

std::string CLxJP2InputFile::ExperimentTextForRewrite() const
{
    return m_experiment.sText;
}
