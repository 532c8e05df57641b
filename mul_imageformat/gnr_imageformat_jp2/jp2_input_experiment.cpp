// The reader's experiment: the one place that needs the experiment's
// persistence (loading and saving SLxExperiment as variants) and its loop
// arithmetic. The persistence is reached through the three functions at
// the top of this file.
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxListVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

// The experiment record's persistence, not yet in the metadata model: until
// it is, a stored experiment is kept as text and reported as not readable.
int LoadExperiment(SLxExperiment&, const CLxVariant&)
{
    return -2;
}
int LoadExperimentOld(SLxExperiment&, const CLxVariant&)
{
    return -2;
}
int SaveExperiment(CLxVariant&, const SLxExperiment&)
{
    return -2;
}

CLxVariant* FindItem(CLxVariant& list, const char16_t* name)
{
    bool ok = false;
    CLxListVariant& items = list.GetCLxListVariant(&ok);
    if (!ok)
        return nullptr;
    for (int i = 0; i < items.Number(); ++i)
        if (CLxVariant* item = items.GetAt(i))
            if (item->GetName() == name)
                return item;
    return nullptr;
}

// The variant XML inside a kept own text.
bool ParseInner(const std::string& text, CLxVariant& out)
{
    const SLxJP2OwnText t =
        LX_Jp2RecogniseText(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!t.uiCode || t.uiInner > text.size() || t.uiInnerSize > text.size() - t.uiInner)
        return false;
    return CLxXMLAPI::VariantFromXML_UTF8(out, text.data() + t.uiInner, t.uiInnerSize) == 0;
}

} // namespace

// AIM1 parsed into its normalised variant ("vMetadata", "vUnknownData").
static bool ParseCurrentForm(CLxJP2LazyRecord<CLxVariant>& record)
{
    if (record.eState == eJp2RecordParsed)
        return true;
    if (record.eState != eJp2RecordText)
        return false;
    CLxVariant v;
    if (!ParseInner(record.sText, v)) {
        LX_TRACE(u"Failed to load variant with metadata from xml box.");
        return false;
    }
    LX_NormalizeJp2ExperimentVariant(v);
    record.value = v;
    record.eState = eJp2RecordParsed;
    return true;
}

int CLxJP2InputFile::GetExperiment(SLxExperiment& experiment, uint32_t)
{
    LookUp(jp2_own_aim1, m_experiment.eState);
    if (m_experiment.HasText()) {
        if (!ParseCurrentForm(m_experiment))
            return -13;
        CLxVariant* metadata = FindItem(m_experiment.value, u"vMetadata");
        const int status = metadata ? LoadExperiment(experiment, *metadata) : -13;
        if (status != 0)
            LX_TRACE(u"Failed to load experiment");
        return status;
    }
    LookUp(jp2_own_aimd, m_experimentOld.eState);
    if (!m_experimentOld.HasText())
        return -13;
    if (m_experimentOld.eState == eJp2RecordText) {
        CLxVariant v;
        if (!ParseInner(m_experimentOld.sText, v)) {
            LX_TRACE(u"Failed to load variant with metadata from xml box.");
            return -13;
        }
        m_experimentOld.value = v;
        m_experimentOld.eState = eJp2RecordParsed;
    }
    bool ok = false;
    const CLxListVariant& levels = m_experimentOld.value.GetCLxListVariant(&ok);
    if (!ok)
        return -13;
    SLxExperiment* root = &experiment;
    for (int i = 0; i < levels.Number(); ++i) {
        const CLxVariant* level = levels.GetAt(i);
        if (!level)
            continue;
        if (i == 0) {
            if (LoadExperimentOld(experiment, *level) != 0)
                LX_TRACE(u"Failed to load experiment.");
            continue;
        }
        SLxExperiment* next = nullptr;
        if (SLxExperiment::Alloc(&next) != 0)
            return -3;
        if (LoadExperimentOld(*next, *level) != 0) {
            LX_TRACE(u"Failed to load experiment.");
            SLxExperiment::FreeRecursive(next);
            continue;
        }
        CLxExperimentAPI::AddExperimentLevel(root, next, uint32_t(i));
    }
    return 0;
}

// The frame the preview shows: the home plane of the first Z stack, frame 0
// without an experiment.
uint32_t CLxJP2InputFile::PreviewFrame()
{
    SLxExperiment* experiment = nullptr;
    if (SLxExperiment::Alloc(&experiment) != 0)
        return 0;
    uint32_t index = 0;
    if (GetExperiment(*experiment, 0) != 0 ||
        CLxExperimentAPI::GetFirstZStackHomePosition(experiment, &index) != 0 ||
        index >= m_frameCount)
        index = 0;
    SLxExperiment::FreeRecursive(experiment);
    return index;
}

// After a side file: the experiment brought into line with the frames that
// were written, saved back into the record. True when the metadata may be
// written into the file: after a repair, and for a document without an
// experiment.
bool CLxJP2InputFile::RepairExperimentRecord()
{
    if (!m_experiment.HasText())
        return true;
    if (!ParseCurrentForm(m_experiment))
        return false;
    CLxVariant* metadata = FindItem(m_experiment.value, u"vMetadata");
    SLxExperiment* experiment = nullptr;
    if (!metadata || SLxExperiment::Alloc(&experiment) != 0)
        return false;
    int status = LoadExperiment(*experiment, *metadata);
    if (status == 0)
        status = CLxExperimentAPI::RepairExperiment(experiment, m_frameCount);
    CLxVariant repaired;
    if (status == 0)
        status = SaveExperiment(repaired, *experiment);
    SLxExperiment::FreeRecursive(experiment);
    if (status != 0)
        return false;
    const bool enabled = metadata->EnableTypeChange(true);
    const CLxStringW name = metadata->GetName();
    *metadata = repaired;
    metadata->SetName(name);
    metadata->EnableTypeChange(enabled);
    m_experiment.sText.clear(); // written anew from the repaired variant
    return true;
}

std::string CLxJP2InputFile::ExperimentTextForRewrite() const
{
    if (!m_experiment.sText.empty() || m_experiment.eState != eJp2RecordParsed)
        return m_experiment.sText;
    const CLxStringA text = LX_Jp2TextExperiment(m_experiment.value);
    return std::string(text.GetString(), size_t(text.GetLength()));
}
