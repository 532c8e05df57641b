// Measurement of a whole field of view: every object of a binary or
// run-length picture into SLxObjectData, or the field as one region.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasIntensity.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint16_t kUnmeasured = 65535;
// The binary form paints the object it measures with kMeasuring, then
// every measured object with kDone, so labels never run out.
constexpr uint16_t kMeasuring = 1;
constexpr uint16_t kDone = 2;
constexpr double kFourOverPi = 1.2732395447351599;

bool HoldsBits(const SLxBinPicBuf* bin)
{
    return bin && bin->pData && bin->uiWidth && bin->uiHeight &&
           uint64_t(bin->uiWidthBytes) * 8 >= bin->uiWidth &&
           uint64_t(bin->uiWidthBytes) * bin->uiHeight <= bin->uiSize;
}

bool SameSize(const SLxBinPicBuf* a, const SLxBinPicBuf* b)
{
    return a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

// The frame (the whole picture unless used) clipped to the picture.
SLxIRect FieldFrame(bool useFrame, const SLxIRect* frame, uint32_t width, uint32_t height)
{
    SLxIRect f{0, 0, int32_t(width), int32_t(height)};
    if (useFrame && frame) {
        f.left = std::max(frame->left, 0);
        f.top = std::max(frame->top, 0);
        f.right = int32_t(std::min<int64_t>(frame->right, width));
        f.bottom = int32_t(std::min<int64_t>(frame->bottom, height));
        f.right = std::max(f.right, f.left);
        f.bottom = std::max(f.bottom, f.top);
    }
    return f;
}

uint64_t FrameArea(const SLxIRect& f)
{
    return uint64_t(f.right - f.left) * uint64_t(f.bottom - f.top);
}

// A copy of the binary picture ANDed with the mask when one is used; the
// object and field areas in pixels.
struct MaskedField {
    SLxBinPicBuf bits;
    double objectArea = 0, fieldArea = 0;
    MaskedField() { CLxBinPicBufAPI::Init(&bits); }
    ~MaskedField() { CLxBinPicBufAPI::Free(&bits); }
    bool Make(const SLxBinPicBuf* binary, const SLxBinPicBuf* mask, const SLxIRect& f)
    {
        if (CLxBinPicBufAPI::ReinitAndCopyFromSource(&bits, binary) != 0)
            return false;
        if (mask) {
            CLxBinPicBufAPI::And(&bits, mask);
            fieldArea = double(CLxPicMeasAPI::GetBinarySize(mask, &f));
        } else {
            fieldArea = double(FrameArea(f));
        }
        objectArea = double(CLxPicMeasAPI::GetBinarySize(&bits, &f));
        return true;
    }
};

// A 16-bit label picture: kUnmeasured where the bits are set.
struct LabelPicture {
    SLxPicBuf pic;
    LabelPicture() { CLxPicBufAPI::Init(&pic); }
    ~LabelPicture() { CLxPicBufAPI::Free(&pic); }
    bool Make(SLxBinPicBuf* bits)
    {
        return CLxPicBufAPI::Reinit(&pic, bits->uiWidth, bits->uiHeight, 0, 16, 1, false) == 0 &&
               CLxPicBufAPI::Unpack(&pic, bits, kUnmeasured) == 0;
    }
};

// One more row, the capacity doubling so that many objects copy little.
bool AddRow(SLxObjectData* data)
{
    if (data->uiCount == UINT32_MAX)
        return false;
    if (data->uiCount >= data->uiCapacity) {
        const uint64_t grown = std::max<uint64_t>(uint64_t(data->uiCapacity) * 2, 16);
        if (!data->Realloc(uint32_t(std::min<uint64_t>(grown, UINT32_MAX))))
            return false;
    }
    ++data->uiCount;
    return true;
}

double* FeatureRow(SLxObjectData* data, uint32_t i)
{
    return data->pFeatures + size_t(i) * LX_OBJECT_FEATURES;
}

void SetObjectRow(SLxObjectData* data, uint32_t i, uint32_t id, uint32_t second, uint32_t tag,
                  uint32_t result)
{
    uint32_t* row = data->pObjects + size_t(i) * 4;
    row[0] = id, row[1] = second, row[2] = tag, row[3] = result;
}

bool UsablePicture(const SLxPicBuf* pic)
{
    return pic && pic->pData && pic->uiComps && pic->uiWidth && pic->uiHeight;
}

// Slots 0-4, 75 and 76 of a region of n pixels in a field.
void StoreFieldAreas(double* row, uint64_t n, double fieldArea, double fraction, double cal)
{
    row[2] = 1.0;
    row[0] = row[1] = double(n) * cal * cal;
    row[3] = std::sqrt(row[0] * kFourOverPi);
    row[4] = row[3] * row[3] * row[3] * 0.5235987755983;
    row[76] = fieldArea * cal * cal;
    row[75] = fraction;
}

void StoreFieldPassedValues(double* row, uint32_t mask, double stageX, double stageY, double v2,
                            double v3, double v4)
{
    if (mask & 0x40)
        for (int slot : {5, 8, 9, 10, 11, 13, 24})
            row[slot] = -1.0;
    row[43] = stageX;
    row[44] = stageY;
    row[45] = v2;
    row[36] = v3;
    row[42] = v4;
}

} // namespace

int CLxPicMeasAPI::MeasureAllObjects(
    const SLxPicBuf* intensity, const SLxBinPicBuf* binary, bool useMask, const SLxBinPicBuf* mask,
    bool useFrame, const SLxIRect* frame, double cal, double stageX, double stageY, double angle,
    const double* matrix, double value2, double value3, double value4, uint32_t featureMask,
    SLxObjectData* data, const SLxObjectRestrictions* restrictions, const uint32_t* channelFlags,
    const double* density1, const double* density2, LxContourCallback callback, void* user)
{
    if (!UsablePicture(intensity) || !HoldsBits(binary) || !data)
        return 0;
    if (useMask && (!HoldsBits(mask) || !SameSize(mask, binary)))
        return 0;
    if (intensity->uiWidth < binary->uiWidth || intensity->uiHeight < binary->uiHeight)
        return 0;
    const SLxIRect f = FieldFrame(useFrame, frame, binary->uiWidth, binary->uiHeight);
    MaskedField field;
    LabelPicture labels;
    if (!field.Make(binary, useMask ? mask : nullptr, f) || !labels.Make(&field.bits))
        return 0;
    data->dObjectArea = field.objectArea;
    data->dFieldArea = field.fieldArea;
    if (cal != 0.0) {
        data->dObjectArea *= cal * cal;
        data->dFieldArea *= cal * cal;
    }
    if (useFrame)
        RemoveOutOfFrameObjects(&labels.pic, &f, callback, user);

    const double measureCal = cal != 0.0 ? cal : 1.0;
    for (int32_t y = f.top; y < f.bottom; ++y) {
        const uint16_t* line = lx_meas::Row<uint16_t>(&labels.pic, uint32_t(y));
        for (int32_t x = f.left; x < f.right; ++x) {
            if (line[x] != kUnmeasured)
                continue;
            if (!AddRow(data))
                return 1;
            const uint32_t index = data->uiCount - 1;
            const SLxIPoint seed{x, y};
            const unsigned int result =
                MeasureObject(intensity, &labels.pic, &seed, kUnmeasured, kMeasuring, measureCal,
                              FeatureRow(data, index), stageX, stageY, angle, matrix,
                              data->dFieldArea, value2, value3, value4, featureMask, nullptr,
                              restrictions, channelFlags, density1, density2, callback, user);
            Paint(&labels.pic, uint32_t(x), uint32_t(y), kMeasuring, kDone, 8);
            SetObjectRow(data, index, index, UINT32_MAX, UINT32_MAX, result);
        }
    }
    return 1;
}

int CLxPicMeasAPI::MeasureAllObjects(
    const SLxPicBuf* intensity, SLxRLEPicBuf* objects, SLxRLEPicBuf** result, int32_t tag,
    bool useRois, SLxRLEPicBuf* rois, EFrameTouch roiMode, bool useFrame, const SLxIRect* frame,
    EFrameTouch frameMode, double cal, double stageX, double stageY, double angle,
    const double* matrix, double value2, double value3, double value4, uint32_t featureMask,
    SLxObjectData* data, const SLxObjectRestrictions* restrictions, const uint32_t* channelFlags,
    const double* density1, const double* density2, ILxPicMeas* measure1, ILxPicMeas* measure2,
    LxRLEObjectCallback callback, void* user)
{
    if (result)
        *result = nullptr;
    if (!UsablePicture(intensity) || !objects || !objects->bPainted || !data ||
        !lx_rle::FitsPicture(objects) || (useRois && !lx_rle::FitsPicture(rois)))
        return 0;
    SLxIRect f{0, 0, int32_t(intensity->uiWidth), int32_t(intensity->uiHeight)};
    if (useFrame && frame)
        f = *frame;
    data->dFieldArea =
        double(FrameArea(FieldFrame(true, &f, intensity->uiWidth, intensity->uiHeight)));
    data->dObjectArea = 0.0;
    for (lx_rle::ObjectWalk walk(objects); const uint8_t* p = walk.Next();)
        lx_rle::Store32(const_cast<uint8_t*>(p), lx_rle::kStatus,
                        lx_rle::Load32(p, lx_rle::kStatus) & ~0x10u);
    int32_t* roiOf = static_cast<int32_t*>(
        CLxAlloc::Alloc(0, sizeof(int32_t) * (uint64_t(objects->uiObjectCount) + 1)));
    if (!roiOf)
        return 0;
    for (uint32_t i = 0; i < objects->uiObjectCount; ++i)
        roiOf[i] = -1;

    if (useFrame && frame)
        RemoveOutOfFrameObjects(objects, &f, frameMode);
    SLxRLEPicBuf* measured = objects;
    uint64_t roiEntries = objects->uiObjectCount;
    if (useRois && rois) {
        RemoveOutOfROIObjects(objects, result, rois, roiMode, roiOf);
        if (result && *result) {
            measured = *result;
            // A result the array could not grow for keeps -1 beyond it.
            roiEntries =
                std::max<uint64_t>(roiEntries, CLxAlloc::Size(roiOf) / sizeof(int32_t) - 1);
        }
        data->dFieldArea = CLxRLEPicBufAPI::GetPictureVisibleArea(rois);
    }
    uint32_t count = 0;
    for (lx_rle::ObjectWalk walk(measured); const uint8_t* p = walk.Next(); ++count)
        if (!(lx_rle::Load32(p, lx_rle::kStatus) & 0x10))
            data->dObjectArea +=
                CLxRLEPicBufAPI::GetRLEObjectArea(reinterpret_cast<const SLxRLEObject*>(p));
    if (cal != 0.0) {
        data->dFieldArea *= cal * cal;
        data->dObjectArea *= cal * cal;
    }
    const double measureCal = cal != 0.0 ? cal : 1.0;

    const uint64_t wanted = uint64_t(data->uiCount) + count;
    if (wanted > UINT32_MAX || !data->Realloc(uint32_t(wanted))) {
        CLxAlloc::Free(roiOf);
        return 0;
    }
    uint32_t index = 0;
    for (lx_rle::ObjectWalk walk(measured); const uint8_t* p = walk.Next(); ++index) {
        SLxRLEObject* obj = reinterpret_cast<SLxRLEObject*>(const_cast<uint8_t*>(p));
        const uint32_t row = data->uiCount++;
        double* features = FeatureRow(data, row);
        std::memset(features, 0, sizeof(double) * LX_OBJECT_FEATURES);
        unsigned int outcome = 8;
        if (!(lx_rle::Load32(p, lx_rle::kStatus) & 0x10))
            outcome = MeasureObject(intensity, obj, measureCal, features, stageX, stageY, angle,
                                    matrix, data->dFieldArea, value2, value3, value4, featureMask,
                                    nullptr, restrictions, channelFlags, density1, density2,
                                    measure1, measure2, callback, user);
        SetObjectRow(data, row, lx_rle::Load32(p, lx_rle::kID),
                     index < roiEntries ? uint32_t(roiOf[index]) : UINT32_MAX, uint32_t(tag),
                     outcome);
    }
    CLxAlloc::Free(roiOf);
    return 1;
}

int CLxPicMeasAPI::MeasureField(const SLxPicBuf* intensity, const SLxBinPicBuf* binary,
                                bool useMask, const SLxBinPicBuf* mask, bool useFrame,
                                const SLxIRect* frame, double cal, double stageX, double stageY,
                                double /*notStored*/, double value2, double value3, double value4,
                                uint32_t featureMask, double* objectFeatures, double* fieldFeatures,
                                uint32_t* histogram1, uint32_t* histogram2,
                                const uint32_t* channelFlags, const double* density1,
                                const double* density2, LxContourCallback callback, void* user)
{
    if (!UsablePicture(intensity) || !HoldsBits(binary) || !objectFeatures)
        return 0;
    if (useMask && (!HoldsBits(mask) || !SameSize(mask, binary)))
        return 0;
    if (intensity->uiWidth < binary->uiWidth || intensity->uiHeight < binary->uiHeight)
        return 0;
    const SLxIRect f = FieldFrame(useFrame, frame, binary->uiWidth, binary->uiHeight);
    MaskedField field;
    if (!field.Make(binary, useMask ? mask : nullptr, f))
        return 0;

    lx_meas::IntensityPass objectPass(intensity, featureMask, channelFlags, density1, density2,
                                      nullptr, nullptr);
    lx_meas::IntensityPass fieldPass(intensity, featureMask, channelFlags, density1, density2,
                                     nullptr, nullptr);
    if (featureMask & 0x218) {
        objectPass.SetHistogram(histogram1);
        fieldPass.SetHistogram(histogram2);
    }
    const SLxBinPicBuf* admit = useMask ? mask : nullptr;
    auto bit = [](const SLxBinPicBuf* b, int32_t x, int32_t y) {
        const uint8_t* line = static_cast<const uint8_t*>(b->pData) + size_t(y) * b->uiWidthBytes;
        return (line[x >> 3] >> (7 - (x & 7))) & 1;
    };
    // Runs of admitted pixels, set or not, feed the two passes.
    for (int32_t y = f.top; y < f.bottom; ++y) {
        int32_t x = f.left;
        while (x < f.right) {
            const bool admitted = !admit || bit(admit, x, y);
            const bool set = admitted && bit(&field.bits, x, y);
            int32_t end = x + 1;
            while (end < f.right && (!admit || bit(admit, end, y)) == admitted &&
                   (admitted && bit(&field.bits, end, y)) == set)
                ++end;
            if (admitted) {
                if (set)
                    objectPass.AddRun(uint32_t(x), uint32_t(y), uint32_t(end - x));
                if (fieldFeatures)
                    fieldPass.AddRun(uint32_t(x), uint32_t(y), uint32_t(end - x));
            }
            x = end;
        }
    }
    const double fraction = field.fieldArea != 0.0 ? field.objectArea / field.fieldArea : 0.0;
    double* row = objectFeatures;
    StoreFieldAreas(row, objectPass.Area(), field.fieldArea, fraction, cal);
    if (fieldFeatures)
        StoreFieldAreas(fieldFeatures, fieldPass.Area(), field.fieldArea, fraction, cal);

    if (featureMask & (0x2 | 0x400)) {
        // Only the frame's pixels count: the rest of the copy is cleared.
        if (useFrame)
            for (uint32_t y = 0; y < field.bits.uiHeight; ++y) {
                uint8_t* line =
                    static_cast<uint8_t*>(field.bits.pData) + size_t(y) * field.bits.uiWidthBytes;
                for (uint32_t x = 0; x < field.bits.uiWidth; ++x)
                    if (int32_t(y) < f.top || int32_t(y) >= f.bottom || int32_t(x) < f.left ||
                        int32_t(x) >= f.right)
                        line[x >> 3] &= uint8_t(~(0x80u >> (x & 7)));
            }
        LabelPicture labels;
        if (labels.Make(&field.bits)) {
            if (useFrame)
                RemoveOutOfFrameObjects(&labels.pic, &f, callback, user);
            uint16_t value = kUnmeasured;
            if (featureMask & 0x400) {
                uint32_t objects = 0;
                for (int32_t y = f.top; y < f.bottom; ++y) {
                    const uint16_t* line = lx_meas::Row<uint16_t>(&labels.pic, uint32_t(y));
                    for (int32_t x = f.left; x < f.right; ++x)
                        if (line[x] == kUnmeasured) {
                            ++objects;
                            Paint(&labels.pic, uint32_t(x), uint32_t(y), kUnmeasured, 1, 8);
                        }
                }
                row[74] = objects;
                value = 1;
            }
            if (featureMask & 0x2) {
                uint32_t c[4];
                Projections(&labels.pic, value, f, c[0], c[1], c[2], c[3]);
                const double d = (c[0] + c[2] + (c[1] + c[3]) / M_SQRT2) * cal * 0.25;
                row[6] = M_PI * d;
                row[7] = d != 0.0 ? row[0] / d : 0.0;
                row[12] = row[6] != 0.0 ? 12.5663706143592 * row[0] / (row[6] * row[6]) : 0.0;
                row[77] = row[0] != 0.0 ? row[6] * kFourOverPi / row[0] : 0.0;
            }
        }
    }
    StoreFieldPassedValues(row, featureMask, stageX, stageY, value2, value3, value4);
    objectPass.Finish(row, cal);
    if (fieldFeatures) {
        StoreFieldPassedValues(fieldFeatures, featureMask, stageX, stageY, value2, value3, value4);
        fieldPass.Finish(fieldFeatures, cal);
    }
    return 1;
}

int CLxPicMeasAPI::MeasureFieldObject(const SLxPicBuf* intensity, const SLxRLEObject* roi,
                                      double cal, double stageX, double stageY,
                                      double /*notStored*/, double value2, double value3,
                                      double value4, uint32_t featureMask, double* features,
                                      const uint32_t* channelFlags, const double* density1,
                                      const double* density2)
{
    if (!UsablePicture(intensity) || !roi || !features)
        return 0;
    lx_meas::IntensityPass pass(intensity, featureMask, channelFlags, density1, density2, nullptr,
                                nullptr);
    for (lx_rle::SegmentWalk walk(reinterpret_cast<const uint8_t*>(roi)); walk.Next();)
        for (uint32_t i = 0; i < walk.count(); ++i)
            pass.AddRun(walk.xStart(i), walk.y(), walk.xLength(i));
    const double fieldArea = double(intensity->uiWidth) * intensity->uiHeight;
    features[74] = 0.0;
    StoreFieldAreas(features, pass.Area(), fieldArea, double(pass.Area()) / fieldArea, cal);
    StoreFieldPassedValues(features, featureMask, stageX, stageY, value2, value3, value4);
    pass.Finish(features, cal);
    return 1;
}

int CLxPicMeasAPI::MeasureFieldRois(const SLxPicBuf* intensity, const SLxRLEPicBuf* rois,
                                    double cal, double stageX, double stageY, double notStored,
                                    double value2, double value3, double value4,
                                    uint32_t featureMask, SLxObjectData* data,
                                    const uint32_t* channelFlags, const double* density1,
                                    const double* density2)
{
    if (!UsablePicture(intensity) || !rois || !data || !lx_rle::FitsPicture(rois))
        return -9;
    const uint64_t wanted = uint64_t(data->uiCount) + rois->uiObjectCount;
    if (wanted > UINT32_MAX || !data->Realloc(uint32_t(wanted)))
        return -9;
    for (lx_rle::ObjectWalk walk(rois); const uint8_t* p = walk.Next();) {
        if (!AddRow(data))
            return -9;
        const uint32_t row = data->uiCount - 1;
        const int result =
            MeasureFieldObject(intensity, reinterpret_cast<const SLxRLEObject*>(p), cal, stageX,
                               stageY, notStored, value2, value3, value4, featureMask,
                               FeatureRow(data, row), channelFlags, density1, density2);
        const uint32_t id = lx_rle::Load32(p, lx_rle::kID);
        SetObjectRow(data, row, id, id, UINT32_MAX, uint32_t(result));
    }
    return 0;
}
