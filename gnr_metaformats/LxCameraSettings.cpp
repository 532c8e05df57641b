#include "gnr_metaformats/LxCameraSettings.h"

#include <cstddef>
#include <tuple>
#include <type_traits>

#include "gnr_metaformats/LxRecordVariant.h"

namespace
{

// The number fields in the order of their keys, each read and written with
// the key's run type.
template <class T> struct SField {
    const char16_t* key;
    T SLxCameraSetting::*member;
};

#define CAMERA_SET(colour)                                                                         \
    SField<double>{u"dExposure" #colour, &SLxCameraSetting::dExposure##colour},                    \
        SField<int32_t>{u"iOffset" #colour, &SLxCameraSetting::iOffset##colour},                   \
        SField<double>{u"dGain" #colour, &SLxCameraSetting::dGain##colour}, SField<double>         \
    {                                                                                              \
        u"dGamma" #colour, &SLxCameraSetting::dGamma##colour                                       \
    }

// The rectangle's keys in their written order.
const char16_t* const kRectKeys[4] = {u"left", u"right", u"top", u"bottom"};
int CLxRectBase<int>::*const kRectMembers[4] = {&CLxRectBase<int>::left, &CLxRectBase<int>::right,
                                                &CLxRectBase<int>::top, &CLxRectBase<int>::bottom};

void Put(CLxVariant& v, const char16_t* key, double value)
{
    lx_meta::Put(v, key, value);
}
void Put(CLxVariant& v, const char16_t* key, int32_t value)
{
    lx_meta::Put(v, key, lx_int32(value));
}
void Get(const CLxVariant& v, const char16_t* key, double& value)
{
    value = lx_meta::GetDouble(v, key);
}
void Get(const CLxVariant& v, const char16_t* key, int32_t& value)
{
    value = lx_meta::GetInt(v, key);
}

// Visits the exposure, offset, gain and gamma of the four sets in key order.
template <class F> void ForEachSet(F f)
{
    const auto plain = std::make_tuple(SField<double>{u"dExposure", &SLxCameraSetting::dExposure},
                                       SField<int32_t>{u"iOffset", &SLxCameraSetting::iOffset},
                                       SField<double>{u"dGain", &SLxCameraSetting::dGain},
                                       SField<double>{u"dGamma", &SLxCameraSetting::dGamma},
                                       CAMERA_SET(Red), CAMERA_SET(Green), CAMERA_SET(Blue));
    std::apply([&](const auto&... field) { (f(field), ...); }, plain);
}

} // namespace

SLxCameraSetting::SLxCameraSetting()
    : dExposure(-1.0), iOffset(-1), dGain(-1.0), dGamma(-1.0), dExposureRed(-1.0), iOffsetRed(-1),
      dGainRed(-1.0), dGammaRed(-1.0), dExposureGreen(-1.0), iOffsetGreen(-1), dGainGreen(-1.0),
      dGammaGreen(-1.0), dExposureBlue(-1.0), iOffsetBlue(-1), dGainBlue(-1.0), dGammaBlue(-1.0),
      dCamChipSizeX(-1.0), dCamChipSizeY(-1.0), uiCamPxlCountX(0xFFFFFFFFu),
      uiCamPxlCountY(0xFFFFFFFFu), dCamBinningX(1.0), dCamBinningY(1.0), bFlippedUpDown(false),
      bFlippedLeftRight(false)
{
}

void SLxCameraSetting::SetToDefault()
{
    *this = SLxCameraSetting();
    ForEachSet([this](const auto& field) {
        typedef std::decay_t<decltype(this->*field.member)> T;
        // Exposures and offsets 0, gains and gammas 1.
        const bool unit = field.key[1] == u'G';
        this->*field.member = unit ? T(1) : T(0);
    });
    dCamChipSizeX = dCamChipSizeY = 0.0;
    uiCamPxlCountX = uiCamPxlCountY = 0;
}

int SLxCameraSetting::SaveToVariant(CLxVariant& v, const SLxCameraSetting& setting)
{
    const int begin = lx_meta::BeginSave(v, "RLxCameraSetting");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"sCameraName", setting.sCameraName);
    ForEachSet([&](const auto& field) { Put(v, field.key, setting.*field.member); });
    lx_meta::Put(v, u"sCameraFormatName", setting.sCameraFormatName);
    lx_meta::Put(v, u"dCamChipSizeX", setting.dCamChipSizeX);
    lx_meta::Put(v, u"dCamChipSizeY", setting.dCamChipSizeY);
    lx_meta::Put(v, u"uiCamPxlCountX", lx_uint32(setting.uiCamPxlCountX));
    lx_meta::Put(v, u"uiCamPxlCountY", lx_uint32(setting.uiCamPxlCountY));
    lx_meta::Put(v, u"dCamBinningX", setting.dCamBinningX);
    lx_meta::Put(v, u"dCamBinningY", setting.dCamBinningY);
    if (CLxVariant* rect = lx_meta::Member(v, u"rcCamChipSrc")) {
        if (lx_meta::BeginSave(*rect, "RLxIRect") == 0) {
            for (int i = 0; i < 4; ++i)
                lx_meta::Put(*rect, kRectKeys[i], lx_int32(setting.rcCamChipSrc.*kRectMembers[i]));
        }
    }
    lx_meta::Put(v, u"bFlippedUpDown", setting.bFlippedUpDown);
    lx_meta::Put(v, u"bFlippedLeftRight", setting.bFlippedLeftRight);
    lx_meta::Put(v, u"sSpecSettings", setting.sSpecSettings);
    return 0;
}

int SLxCameraSetting::LoadFromVariant(SLxCameraSetting& setting, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxCameraSetting", u"'RLxCameraSetting'"))
        return -4;
    setting.sCameraName = lx_meta::GetText(v, u"sCameraName");
    ForEachSet([&](const auto& field) { Get(v, field.key, setting.*field.member); });
    setting.sCameraFormatName = lx_meta::GetText(v, u"sCameraFormatName");
    setting.dCamChipSizeX = lx_meta::GetDouble(v, u"dCamChipSizeX");
    setting.dCamChipSizeY = lx_meta::GetDouble(v, u"dCamChipSizeY");
    setting.uiCamPxlCountX = lx_meta::GetUInt(v, u"uiCamPxlCountX");
    setting.uiCamPxlCountY = lx_meta::GetUInt(v, u"uiCamPxlCountY");
    setting.dCamBinningX = lx_meta::GetDouble(v, u"dCamBinningX");
    setting.dCamBinningY = lx_meta::GetDouble(v, u"dCamBinningY");
    const CLxVariant& rect = lx_meta::Get(v, u"rcCamChipSrc");
    for (int i = 0; i < 4; ++i)
        setting.rcCamChipSrc.*kRectMembers[i] = lx_meta::GetInt(rect, kRectKeys[i]);
    setting.bFlippedUpDown = lx_meta::GetBool(v, u"bFlippedUpDown");
    setting.bFlippedLeftRight = lx_meta::GetBool(v, u"bFlippedLeftRight");
    setting.sSpecSettings = lx_meta::GetText(v, u"sSpecSettings");
    return 0;
}
