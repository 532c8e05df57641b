#include "mul_imageformat/gnr_imageformat_qx2/LxQX2Rescan.h"

#include <cstring>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"

namespace
{

constexpr int kEndOfSeries = -8;
constexpr char kSeriesPrefix[] = "##ADD_NEW_CHUNKS##";

void NoteFrame(SLxQX2RescanContext& c, uint32_t index, const CLxByteArray& data)
{
    c.uiHighest = c.bSawFrame && c.uiHighest > index ? c.uiHighest : index;
    c.bSawFrame = true;
    if (c.bVersion1)
        return;
    const uint32_t n = c.times.GetSize() / 8;
    // A frame too short for its time header breaks the run like a gap.
    if (index > n || data.GetSize() < 8) {
        c.times.SetSize(0);
        return;
    }
    if (index == n)
        c.times.SetData(data.GetData(), 8, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement);
    else
        memcpy(c.times.GetData(c.times.GetSize()) + size_t(index) * 8, data.GetData(), 8);
}

void Walked(SLxQX2RescanContext& c, const CLxStringA& name, const CLxByteArray& data)
{
    uint32_t index = 0;
    if (strcmp(name, LxQX2Names::kAttributes) == 0) {
        c.attributes = SLxImageAttributes{};
        CLxVariant v;
        if (c.pSerializer->Load(data, v) == 0)
            LX_QX2AttributesFromVariant(v, c.attributes);
    } else if (strcmp(name, LxQX2Names::kExperiment) == 0) {
        c.pExperiment.reset(new SLxExperiment);
        CLxVariant v;
        if (c.pSerializer->Load(data, v) == 0 && LX_QX2LoadExperiment(*c.pExperiment, v) != 0)
            c.pExperiment.reset(new SLxExperiment);
    } else if (LxQX2Names::ParseIndexed(name, LxQX2Names::kFramePrefix, &index)) {
        NoteFrame(c, index, data);
    }
}

int Added(SLxQX2RescanContext& c, int number, CLxStringA& name, CLxByteArray& data)
{
    if (number == 0) {
        if (!c.pExperiment)
            c.pExperiment.reset(new SLxExperiment);
        int rc = LX_QX2RepairExperiment(*c.pExperiment, c.FrameCount(),
                                        c.bVersion1 ? nullptr : &c.times);
        CLxVariant v;
        if (rc == 0)
            rc = LX_QX2SaveExperiment(v, *c.pExperiment);
        if (rc == 0)
            rc = c.pSerializer->Save(v, data);
        name = LxQX2Names::kExperiment;
        return rc;
    }
    if (number == 1) {
        SLxImageAttributes attributes = c.attributes;
        attributes.uiSequenceCount = c.FrameCount();
        name = LxQX2Names::kAttributes;
        return c.pSerializer->Save(LX_QX2AttributesToVariant(attributes), data);
    }
    if (number == 2 && !c.bVersion1 && c.times.GetSize() > 0) {
        name = LxQX2Names::kTimeCache;
        data = c.times;
        return 0;
    }
    return kEndOfSeries;
}

} // namespace

SLxQX2RescanContext::SLxQX2RescanContext(bool version1, CLxQX2Serializer* serializer)
    : bVersion1(version1), pSerializer(serializer), attributes{}, bSawFrame(false), uiHighest(0),
      times(1024)
{
}

int LX_QX2RescanCallback(const uint8_t* header, CLxStringA& name, CLxByteArray& data, void* context)
{
    SLxQX2RescanContext& c = *static_cast<SLxQX2RescanContext*>(context);
    if (header) {
        Walked(c, name, data);
        return 0;
    }
    const size_t n = strlen(kSeriesPrefix);
    if (strncmp(name, kSeriesPrefix, n) != 0)
        return kEndOfSeries;
    return Added(c, atoi(name.GetString() + n), name, data);
}
